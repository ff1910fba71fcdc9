#!/usr/bin/env bash
# Compares opening a large document in the main view with xmllint's parse of the same file.
#
#   bench/compare.sh [build folder]        (default: build)
#
# Uses <build>/bench-data/mappings_2000.mappings and mappings_20000.mappings, writing them with
# tools/generate_mappings.py only when they are not there (so any file put there is measured
# instead). Times `xmllint --noout` on each file and runs the main view benchmarks of
# wirelace_bench on the same files (under Xvfb when there is no display). Both sides give the
# median of the same number of single timings: xmllint runs $runs times, and each open runs
# $runs repetitions of one iteration. The open is timed twice: as a second open (the catalogue
# has answered for the file's aliases before, and a document of the same size is replaced) and
# as the first open after start-up (a freshly loaded catalogue with empty caches).
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

# Median wall time of $runs runs of xmllint --noout, in milliseconds (process start included).
xmllint_ms() {
    python3 - "$1" "$runs" <<'PY'
import statistics, subprocess, sys, time
times = []
for _ in range(int(sys.argv[2])):
    start = time.perf_counter()
    subprocess.run(["xmllint", "--noout", sys.argv[1]], check=True)
    times.append((time.perf_counter() - start) * 1000.0)
print("%.2f" % statistics.median(times))
PY
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
    --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json > /dev/null 2> "$data/mainview_bench.log" \
    || { cat "$data/mainview_bench.log" >&2; exit 1; }

python3 - "$json" "${lint[2000]}" "${lint[20000]}" "$runs" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["benchmarks"]
lint = {2000: float(sys.argv[2]), 20000: float(sys.argv[3])}
runs = sys.argv[4]

def find(name):
    for r in results:
        if r["run_name"].split("/iterations:")[0] == name and r.get("aggregate_name") == "median":
            return r
    return None

def median_ms(name):
    r = find(name)
    if r is None or r.get("error_occurred"):
        return None
    return r["real_time"] * {"ms": 1.0, "us": 1e-3, "ns": 1e-6, "s": 1e3}[r["time_unit"]]

def rows(name):
    r = find(name)
    return int(r["rows"]) if r is not None and "rows" in r else None

print("Medians of %s timings on each side; xmllint's include its process start." % runs)
print()
print("%-8s %-42s %7s %12s %12s %8s" % ("file", "case", "rows", "editor", "xmllint", "ratio"))
for n in (2000, 20000):
    for label, name, compared in [("open + list, sorted by IO", "BM_OpenAndListSortedByIO", True),
                                  ("open + list, sorted by Name", "BM_OpenAndListSortedByName", True),
                                  ("first open + list, sorted by IO", "BM_FirstOpenAndListSortedByIO", True),
                                  ("first open + list, sorted by Name", "BM_FirstOpenAndListSortedByName", True),
                                  ("rebuild only, sorted by IO", "BM_RebuildSortedByIO", False),
                                  ("rebuild only, sorted by Name", "BM_RebuildSortedByName", False),
                                  ("repaint of the visible rows", "BM_RepaintVisibleRows", False)]:
        full = "%s/%d" % (name, n)
        t, count = median_ms(full), rows(full)
        editor = "%9.2f ms" % t if t is not None else "%12s" % "failed"
        if compared:
            ratio = "%7.2fx" % (t / lint[n]) if t is not None else "%8s" % "-"
            print("%-8d %-42s %7s %s %9.2f ms %s" % (n, label, count if count is not None else "-", editor, lint[n], ratio))
        else:
            print("%-8d %-42s %7s %s" % (n, label, count if count is not None else "-", editor))
PY
