#!/usr/bin/env python3
"""The cost of reading every built WAV back with the receiver.

Builds the same texts from the same clip set into the same folder with quillon-cli, once
with the check (the default) and once with --no-verify, alternating, and prints the
median wall time of each, the ratio and the share the check adds: prompts of 200 and
5,000 characters and a CSV batch of 1,000 rows.

    bench/verify_cost.py BUILD/bin [RUNS]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

TEXT = "THE QUICK BROWN FOX 12345 JUMPS OVER THE LAZY DOG, (67) $89? "


def timed(args, env):
    start = time.perf_counter()
    subprocess.run(args, env=env, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    program = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    cli = os.path.join(program, "quillon-cli")
    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ, QUILLON_HOME=program,
                   QUILLON_REGISTRY=os.path.join(work, "registry.reg"))
        csv = os.path.join(work, "rows.csv")
        with open(csv, "w") as f:
            f.write("FILE, TEXT\n")
            for i in range(1000):
                f.write(f"row{i}.wav,{TEXT[:40]} {i}\n")
        cases = []
        for n in (200, 5000):
            text = (TEXT * (n // len(TEXT) + 1))[:n]
            out = os.path.join(work, f"p{n}.wav")
            cases.append((f"{n} characters", [cli, "text", "--no-translate", "-o", out, "--", text]))
        cases.append(("1,000-row CSV", [cli, "csv", "--no-translate", csv]))
        print(f"{'case':<16}{'built (ms)':>12}{'verified (ms)':>15}{'ratio':>8}{'added':>8}")
        for name, args in cases:
            plain, checked = [], []
            for _ in range(runs):
                plain.append(timed(args[:2] + ["--no-verify"] + args[2:], env))
                checked.append(timed(args, env))
            p, c = statistics.median(plain) * 1000, statistics.median(checked) * 1000
            print(f"{name:<16}{p:>12.1f}{c:>15.1f}{c / p:>8.2f}{(c - p) / p:>8.0%}")


if __name__ == "__main__":
    main()
