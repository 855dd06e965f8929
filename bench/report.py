#!/usr/bin/env python3
"""Prints the rule-3000 benchmark as one table per dictionary and checks the targets.

Usage: report.py RESULTS.json [--markdown]   (Google Benchmark's JSON output of dictionary_bench)
With --markdown, prints the table of bench/README.md instead. Exit status 1 when a target is missed.
"""
import json
import sys

GENERATED = ["100k", "1M", "10M"]
REAL = ["wamerican", "john"]
LENGTHS = [8, 16, 32, 64, 127]
# Least speed-up of the product over the reference, by password length (never slower).
SPEEDUP = {8: 3.0, 16: 1.0, 32: 10.0, 64: 1.0, 127: 50.0}
# On the biggest list: read calls by password length, bytes and full-file searches per check,
# and the CPU time as a share of pwquality_check's at every length.
TARGET_SIZE = "10M"
MAX_READS = {32: 600, 127: 1_800}
MAX_BYTES, MAX_FULL = 2_000_000, 1_000
MAX_CPU_SHARE = 0.5
# A read call on a file share costs a network round trip: about 0.5 ms on a LAN.
SHARE_MS_PER_READ = 0.5


def share_ms(row):
    return row["reads"] * SHARE_MS_PER_READ + row["ms"]


def markdown(rows):
    print("| list | length | reference: reads | bytes | ms | share ms | product: full searches "
          "| reads | bytes | ms | share ms | pwquality ms | reference / product "
          "| pwquality / product |")
    print("|---" * 14 + "|")
    for size in GENERATED + REAL:
        for length in LENGTHS:
            ref = rows.get((size, length, "reference"))
            prod = rows.get((size, length, "product"))
            pwq = rows.get((size, length, "pwquality"))
            if ref is None or prod is None or pwq is None:
                continue
            print(f"| {size} | {length} | {ref['reads']:,.0f} | {ref['bytes']:,.0f} | "
                  f"{ref['ms']:.3g} | {share_ms(ref):,.0f} | {prod['full']:,.0f} | "
                  f"{prod['reads']:,.0f} | {prod['bytes']:,.0f} | {prod['ms']:.3f} | "
                  f"{share_ms(prod):,.0f} | {pwq['ms']:.3f} | {ref['ms'] / prod['ms']:.1f}x | "
                  f"{pwq['ms'] / prod['ms']:.1f}x |")


def main(path, as_markdown=False):
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
    if as_markdown:
        markdown(rows)
        return 0
    failures = []
    for size in GENERATED + REAL:
        if not any(k[0] == size for k in rows):
            continue
        print(f"\nDictionary {size}; Tolerance 4, Bidir 1, Substitute 1, Wildcard 1; per check; "
              f"share ms = reads x {SHARE_MS_PER_READ} ms + CPU ms")
        print(f"{'len':>4} | {'reference: full':>15} {'reads':>8} {'bytes':>11} {'ms':>9} "
              f"{'share ms':>9} | {'product: full':>13} {'reads':>6} {'bytes':>9} {'ms':>7} "
              f"{'share ms':>8} | {'pwquality ms':>12} | {'ref/prod':>8} {'pwq/prod':>8}")
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
                  f"{ref['ms']:>9.3f} {share_ms(ref):>9.1f} | {prod['full']:>13.0f} "
                  f"{prod['reads']:>6.0f} {prod['bytes']:>9.0f} {prod['ms']:>7.3f} "
                  f"{share_ms(prod):>8.1f} | {(pwq['ms'] if pwq else float('nan')):>12.3f} | "
                  f"{speedup:>7.1f}x {pwq_ratio:>7.1f}x")
            if size not in GENERATED:
                continue  # real lists are reported, the targets hold for the generated ones
            need = SPEEDUP[length]
            if speedup < need:
                failures.append(f"{size}/{length}: product only {speedup:.1f}x faster than the "
                                f"reference (target {need:g}x)")
            if pwq and pwq_ratio < 1.0:
                failures.append(f"{size}/{length}: product slower than pwquality_check "
                                f"({pwq_ratio:.2f}x)")
            if size != TARGET_SIZE:
                continue
            if pwq is None or prod["ms"] > MAX_CPU_SHARE * pwq["ms"]:
                failures.append(f"{size}/{length}: product CPU {prod['ms']:.3f} ms, more than "
                                f"{MAX_CPU_SHARE:g} x pwquality_check's")
            limits = [("bytes", MAX_BYTES, "bytes read"), ("full", MAX_FULL, "full-range searches")]
            if length in MAX_READS:
                limits.append(("reads", MAX_READS[length], "read calls"))
            for key, limit, what in limits:
                if prod[key] > limit:
                    failures.append(f"{size}/{length}: {prod[key]:.0f} {what} (at most {limit})")
    print()
    if failures:
        for failure in failures:
            print("target missed: " + failure)
        return 1
    print("all targets met")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], "--markdown" in sys.argv[2:]))
