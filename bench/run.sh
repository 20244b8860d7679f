#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine and prints their figures with the ratios to the
# floors measured in the same run. Usage: bash bench/run.sh
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/../scripts/lib.sh"
OUT=$(mktemp)
# Ends what it started (the display, the Wine server, stray servers), as the README scripts do.
trap 'cleanup; rm -f "$OUT"' EXIT
start_cups
start_display
build_all || { echo "build failed" >&2; exit 1; }
ensure_prefix
register_officesim >/dev/null || true

B=$BUILD/bench
run() { wine "$@" 2>/dev/null | tr -d '\r' | tee -a "$OUT"; }

echo "# document list (10,000 documents in a folder, 2,000 dropped)"
run "$B/bench_list.exe"
echo "# memory (a fresh process, 10,000 rows added and cleared three times)"
run "$B/bench_list.exe" memory
echo "# start-up"
run "$B/bench_startup.exe" "$(winepath -w "$BUILD/tavrolin.exe")" "$(winepath -w "$B/bench_minimal.exe")"
echo "# print run (20 Word documents, officesim; then the same run two-sided)"
run "$B/bench_print.exe"

echo "# watchdog (the shipped limits: a prompt, then a silent server)"
run "$B/bench_watchdog.exe"

echo "# hostile input (100,000 generated inputs per reader from a fixed seed; bench_inputs.exe [seed] [count] [reader] alone)"
run "$B/bench_inputs.exe"

echo "# ratios"
awk '
  { v[$1] = $2 }
  function ratio(name, a, b, target) {
    if (v[b] > 0) printf "%s %.2f x (target <= %.2f x) %s\n", name, v[a] / v[b], target, (v[a] / v[b] <= target ? "met" : "missed")
  }
  END {
    ratio("folder_add/floor", "folder_add", "folder_add_floor", 1.5)
    ratio("folder_add_again/listing_floor", "folder_add_again", "folder_listing_floor", 1.5)
    ratio("drop/floor", "drop_2000_onto_10000", "drop_floor", 1.5)
    ratio("open_list/folder_add", "open_list_10000", "folder_add", 1.5)
    ratio("startup/minimal", "startup", "startup_minimal", 1.3)
    ratio("print_run/bare_cycles", "print_run_20", "bare_cycles_20", 1.10)
    ratio("print_run_duplex/bare_cycles", "print_run_20_duplex", "bare_cycles_20", 1.10)
    if (v["memory_cycle1_10000_rows"] > 0)
      printf "memory_cycle3/cycle1 %.3f (target <= 1.05) %s\n", v["memory_cycle3_10000_rows"] / v["memory_cycle1_10000_rows"],
        (v["memory_cycle3_10000_rows"] <= 1.05 * v["memory_cycle1_10000_rows"] ? "met" : "missed")
  }' "$OUT"
