"""flash_path_bench.py: how much longer than its two fixed delays (2000 + 100 ms) the built program
takes from a write of the HEX file to avrdude's start, in auto mode without log; beside a bare
reference (an inotify reader that sleeps the same two delays and spawns) that sees the same writes.

Both start the same stand-in for avrdude, which records the moment it runs. Each round writes the
HEX file once and waits for the quiet time and the "Done" hold to pass, so every round starts from
"No changes" as a user's next build would.

Usage: flash_path_bench.py BUILD_DIRECTORY
"""

import os
import subprocess
import time

from bench_session import (FIXED_DELAYS_MS, PROGRAM_TITLE, QUIET_AND_DONE_HOLD_S, BenchSession,
                           build_from_arguments, read_starts, summary, wait_for_starts)

ROUNDS = 5


def main():
    build = build_from_arguments()
    session = BenchSession(build, auto_mode=1)
    try:
        session.start_program()
        session.find_window(PROGRAM_TITLE, timeout=20)
        reference_record = os.path.join(session.root, "reference.starts")
        reference = subprocess.Popen(
            [build.reference_flasher, session.hex_dir, os.path.basename(session.hex_path),
             build.start_recorder, reference_record],
            stdout=subprocess.PIPE, text=True)
        session.processes.append(reference)
        if reference.stdout.readline().strip() != "ready":
            raise SystemExit("the reference flasher did not start")
        time.sleep(1.0)  # the start-up's own timers (the collapse) are over by then

        ours, theirs = [], []
        for round_number in range(1, ROUNDS + 1):
            written = session.write_hex()
            program_start = wait_for_starts(session.program_record, round_number)[-1]
            reference_start = wait_for_starts(reference_record, round_number)[-1]
            ours.append((program_start - written) / 1e6 - FIXED_DELAYS_MS)
            theirs.append((reference_start - written) / 1e6 - FIXED_DELAYS_MS)
            print(f"round {round_number}: program {ours[-1]:.1f} ms, reference {theirs[-1]:.1f} ms"
                  " beyond the fixed delays", flush=True)
            # The stand-in's one line of output starts the quiet time; then "Done" is held.
            settled_at = program_start / 1e9 + QUIET_AND_DONE_HOLD_S + 0.3
            time.sleep(max(0.0, settled_at - time.clock_gettime(time.CLOCK_MONOTONIC)))
        extra_starts = len(read_starts(session.program_record)) - ROUNDS
        if extra_starts:
            raise SystemExit(f"the program started avrdude {extra_starts} time(s) too often")
        print(f"write_to_avrdude_extra_ms {summary(ours)} reference_bare_delays {summary(theirs)}")
    finally:
        session.close()


if __name__ == "__main__":
    main()
