#!/usr/bin/env bash
# Compares opening a large document in the main view with xmllint's parse of the same file.
#
#   bench/compare.sh [build folder]        (default: build)
#
# Writes documents of 2,000 and 20,000 mappings with tools/generate_mappings.py into
# <build>/bench-data, times `xmllint --noout` on each (best of several runs), runs the main
# view benchmarks of wirelace_bench on the same files (under Xvfb when there is no display),
# and prints the times and the ratio of the main view's open to xmllint's parse.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="${1:-$root/build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac

bench="$build/wirelace_bench"
data="$build/bench-data"
runs=7

command -v xmllint > /dev/null || { echo "xmllint is not installed" >&2; exit 1; }
[ -x "$bench" ] || { echo "no benchmark executable at $bench (build the wirelace_bench target)" >&2; exit 1; }

mkdir -p "$data"
for count in 2000 20000; do
    file="$data/mappings_$count.mappings"
    [ -f "$file" ] || python3 "$root/tools/generate_mappings.py" "$count" "$file"
done

# Best wall time of $runs runs of xmllint --noout, in milliseconds.
xmllint_ms() {
    python3 - "$1" "$runs" <<'EOF'
import subprocess, sys, time
best = None
for _ in range(int(sys.argv[2])):
    start = time.perf_counter()
    subprocess.run(["xmllint", "--noout", sys.argv[1]], check=True)
    elapsed = (time.perf_counter() - start) * 1000.0
    best = elapsed if best is None else min(best, elapsed)
print("%.2f" % best)
EOF
}

declare -A lint
for count in 2000 20000; do
    lint[$count]="$(xmllint_ms "$data/mappings_$count.mappings")"
done

json="$data/mainview_bench.json"
runner=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run > /dev/null; then
    runner=(xvfb-run -a -s "-screen 0 1920x1080x24")
fi

WIRELACE_BENCH_DATA="$data" "${runner[@]}" "$bench" \
    --benchmark_filter='OpenAndList|Rebuild|RepaintVisibleRows' \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json > /dev/null 2> "$data/mainview_bench.log" \
    || { cat "$data/mainview_bench.log" >&2; exit 1; }

python3 - "$json" "${lint[2000]}" "${lint[20000]}" <<'EOF'
import json, sys
results = json.load(open(sys.argv[1]))["benchmarks"]
lint = {2000: float(sys.argv[2]), 20000: float(sys.argv[3])}

def median(name):
    for r in results:
        if r["name"] == name + "_median":
            factor = {"ms": 1.0, "us": 1e-3, "ns": 1e-6, "s": 1e3}[r["time_unit"]]
            return r["real_time"] * factor
    return None

print("%-36s %12s %12s" % ("", "2,000", "20,000"))
print("%-36s %10.2f ms %9.2f ms" % ("xmllint --noout (best of runs)", lint[2000], lint[20000]))
for label, name in [("open + list, sorted by Name", "BM_OpenAndListSortedByName"),
                    ("open + list, sorted by IO", "BM_OpenAndListSortedByIO"),
                    ("rebuild only, sorted by Name", "BM_RebuildSortedByName"),
                    ("rebuild only, sorted by IO", "BM_RebuildSortedByIO"),
                    ("repaint of the visible rows", "BM_RepaintVisibleRows")]:
    row = [median("%s/%d" % (name, n)) for n in (2000, 20000)]
    print("%-36s %10.2f ms %9.2f ms" % ((label,) + tuple(v if v is not None else float("nan") for v in row)))

print()
for name in ("BM_OpenAndListSortedByName", "BM_OpenAndListSortedByIO"):
    for n in (2000, 20000):
        t = median("%s/%d" % (name, n))
        if t is not None:
            print("%s/%d: %.2f x xmllint" % (name, n, t / lint[n]))
EOF
