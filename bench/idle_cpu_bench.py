"""idle_cpu_bench.py: what the built program costs while it waits: CPU time, wake-ups and threads
over 10 s, once after start-up has settled and once after ten flashes without log; beside a
minimal Qt window on the same display, measured over the same seconds.

An idle program should cost what an idle Qt window costs: a thread left polling after a flash, or
a timer left running, shows as wake-ups (voluntary context switches) long before it shows as CPU
time, which the kernel counts in ticks of 10 ms.

Usage: idle_cpu_bench.py BUILD_DIRECTORY
"""

import time

from bench_session import (PROGRAM_TITLE, QUIET_AND_DONE_HOLD_S, REFERENCE_TITLE, BenchSession,
                           ProcessReadings, build_from_arguments, wait_for_starts)

IDLE_SECONDS = 10.0
FLASHES = 10


def measure_idle(processes):
    """CPU ms and wake-ups of each process over the same IDLE_SECONDS, and its threads after."""
    before = [(p.cpu_ms(), p.wakeups()) for p in processes]
    time.sleep(IDLE_SECONDS)
    return [(p.cpu_ms() - cpu, p.wakeups() - wakeups, p.threads())
            for p, (cpu, wakeups) in zip(processes, before)]


def describe(name, reading):
    cpu, wakeups, threads = reading
    return f"{name}: {cpu:.0f} ms CPU, {wakeups} wake-ups, {threads} threads"


def main():
    build = build_from_arguments()
    # Manual mode: the flashes below are the clicks' alone.
    session = BenchSession(build, auto_mode=0)
    try:
        program = ProcessReadings(session.start_program().pid)
        window = session.find_window(PROGRAM_TITLE, timeout=20)
        reference = ProcessReadings(session.start_minimal_window().pid)
        session.find_window(REFERENCE_TITLE, timeout=20)
        session.park_pointer()
        time.sleep(2.0)

        settled = measure_idle([program, reference])
        print(describe("program, settled", settled[0]), flush=True)
        print(describe("minimal window, settled", settled[1]), flush=True)

        wakeups_before_flashes = program.wakeups()
        for flash in range(1, FLASHES + 1):
            session.click_status_picture(window)
            last_start = wait_for_starts(session.program_record, flash)[-1]
        session.park_pointer()
        busy_wakeups = program.wakeups() - wakeups_before_flashes
        print(f"program, during the flashes: {busy_wakeups} wake-ups", flush=True)
        if busy_wakeups == 0:
            # Ten flashes cannot pass without a single sleep ending: the counter reads nothing.
            raise SystemExit("no wake-ups counted while flashing: the readings are not working")
        # The quiet time after the stand-in's one line of output, then the "Done" hold.
        settled_at = last_start / 1e9 + QUIET_AND_DONE_HOLD_S + 1.0
        time.sleep(max(0.0, settled_at - time.clock_gettime(time.CLOCK_MONOTONIC)))

        flashed = measure_idle([program, reference])
        print(describe(f"program, after {FLASHES} flashes without log", flashed[0]), flush=True)
        print(describe("minimal window, same seconds", flashed[1]), flush=True)

        def side(name, settled_reading, flashed_reading):
            return (f"{name} cpu_ms settled={settled_reading[0]:.0f} "
                    f"after_flashes={flashed_reading[0]:.0f} "
                    f"wakeups settled={settled_reading[1]} after_flashes={flashed_reading[1]} "
                    f"threads settled={settled_reading[2]} after_flashes={flashed_reading[2]}")

        print(f"idle_10s {side('program', settled[0], flashed[0])} "
              f"{side('reference_minimal_window', settled[1], flashed[1])}")
    finally:
        session.close()


if __name__ == "__main__":
    main()
