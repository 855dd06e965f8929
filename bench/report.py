#!/usr/bin/env python3
"""Prints the rule-3000 benchmark as one table per dictionary size and checks the targets.

Usage: report.py RESULTS.json   (Google Benchmark's JSON output of dictionary_bench)
Exit status 1 when a target is missed.
"""
import json
import sys

SIZES = ["100k", "1M", "10M"]
LENGTHS = [8, 16, 32, 64, 127]
# Least speed-up of the product over the reference, by password length (never slower).
SPEEDUP = {8: 3.0, 16: 1.0, 32: 10.0, 64: 1.0, 127: 50.0}
WORST = ("10M", 127)
MAX_READS, MAX_BYTES, MAX_FULL = 10_000, 2_000_000, 1_000


def main(path):
    with open(path) as f:
        results = json.load(f)["benchmarks"]
    rows = {}
    for r in results:
        _, size, length, impl = r["name"].split("/")[:4]
        impl = impl.split("_")[0]
        if r.get("error_occurred"):
            print(f"error: {r['name']}: {r.get('error_message')}")
            rows[(size, int(length), impl)] = None
            continue
        if r.get("run_type") == "aggregate" and r.get("aggregate_name") != "median":
            continue
        # CPU time: the checks read from the page cache, so it holds all their work, and it
        # does not count the waits of a busy machine.
        ms = r["cpu_time"] if r["time_unit"] == "ms" else r["cpu_time"] / 1e6
        rows[(size, int(length), impl)] = {
            "ms": ms, "reads": r.get("reads", 0), "bytes": r.get("bytes", 0),
            "full": r.get("full_searches", 0)}
    failures = []
    for size in SIZES:
        if not any(k[0] == size for k in rows):
            continue
        print(f"\nDictionary of {size} entries; Tolerance 4, Bidir 1, Substitute 1, Wildcard 1; "
              "per check")
        print(f"{'len':>4} | {'reference: full':>15} {'reads':>8} {'bytes':>11} {'ms':>9} | "
              f"{'product: full':>13} {'reads':>6} {'bytes':>9} {'ms':>7} | {'pwquality ms':>12} | "
              f"{'ref/prod':>8} {'pwq/prod':>8}")
        for length in LENGTHS:
            ref = rows.get((size, length, "reference"))
            prod = rows.get((size, length, "product"))
            pwq = rows.get((size, length, "pwquality"))
            if ref is None or prod is None:
                failures.append(f"{size}/{length}: missing or failed run")
                continue
            speedup = ref["ms"] / prod["ms"]
            pwq_ratio = pwq["ms"] / prod["ms"] if pwq else float("nan")
            print(f"{length:>4} | {ref['full']:>15.0f} {ref['reads']:>8.0f} {ref['bytes']:>11.0f} "
                  f"{ref['ms']:>9.3f} | {prod['full']:>13.0f} {prod['reads']:>6.0f} "
                  f"{prod['bytes']:>9.0f} {prod['ms']:>7.3f} | "
                  f"{(pwq['ms'] if pwq else float('nan')):>12.3f} | {speedup:>7.1f}x {pwq_ratio:>7.1f}x")
            need = SPEEDUP[length]
            if speedup < need:
                failures.append(f"{size}/{length}: product only {speedup:.1f}x faster than the "
                                f"reference (target {need:g}x)")
            if pwq and pwq_ratio < 1.0:
                failures.append(f"{size}/{length}: product slower than pwquality_check "
                                f"({pwq_ratio:.2f}x)")
            if (size, length) == WORST:
                for key, limit, what in (("reads", MAX_READS, "read calls"),
                                         ("bytes", MAX_BYTES, "bytes read"),
                                         ("full", MAX_FULL, "full-range searches")):
                    if prod[key] > limit:
                        failures.append(f"worst case: {prod[key]:.0f} {what} (at most {limit})")
    print()
    if failures:
        for failure in failures:
            print("target missed: " + failure)
        return 1
    print("all targets met")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
