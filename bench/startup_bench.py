"""startup_bench.py: the built program's start-up time (process start to its window mapped) and
its resident memory once shown, beside a minimal Qt window started the same way on the same
display, in alternating rounds.

The program starts with a settings file of one board type whose HEX path lies in a directory of
its own, so the start-up does its whole work: the type list, a port rescan of /dev, both watches.
Each side gets one unmeasured start first, so that neither pays for cold caches.

Usage: startup_bench.py BUILD_DIRECTORY
"""

import subprocess
import time

from bench_session import (PROGRAM_TITLE, REFERENCE_TITLE, BenchSession, MapWatch,
                           ProcessReadings, build_from_arguments, summary)

ROUNDS = 5
SETTLE_S = 1.0


def start_once(session, watch, start, title):
    """Start-up ms and VmRSS KiB of one start; the process is ended afterwards."""
    started = time.clock_gettime_ns(time.CLOCK_MONOTONIC)
    process = start()
    try:
        mapped = watch.wait_for_map(title)
        time.sleep(SETTLE_S)
        rss = ProcessReadings(process.pid).rss_kib()
    finally:
        process.kill()
        process.wait()
    return (mapped - started) / 1e6, rss


def main():
    build = build_from_arguments()
    session = BenchSession(build)
    watch = None
    try:
        watch = MapWatch(session.display.name)
        sides = {
            "program": (session.start_program, PROGRAM_TITLE),
            "minimal_window": (session.start_minimal_window, REFERENCE_TITLE),
        }
        results = {name: ([], []) for name in sides}
        for round_number in range(ROUNDS + 1):
            for name, (start, title) in sides.items():
                startup_ms, rss_kib = start_once(session, watch, start, title)
                if round_number == 0:
                    continue  # the warm-up start
                results[name][0].append(startup_ms)
                results[name][1].append(rss_kib)
                print(f"round {round_number}: {name} mapped after {startup_ms:.1f} ms, "
                      f"VmRSS {rss_kib} KiB", flush=True)
        program_ms, program_rss = results["program"]
        reference_ms, reference_rss = results["minimal_window"]
        print(f"startup_ms {summary(program_ms)} rss_kib {summary(program_rss)} "
              f"reference_minimal_window startup_ms {summary(reference_ms)} "
              f"rss_kib {summary(reference_rss)}")
    finally:
        if watch:
            watch.close()
        session.close()


if __name__ == "__main__":
    main()
