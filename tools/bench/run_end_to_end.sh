#!/usr/bin/env bash
# End-to-end speed and memory of the korvane binary on generated skins of
# 1 000, 10 000 and 100 000 items.
#
# Builds Release in its own build directory, writes each skin to a temporary
# directory, compiles it RUNS times and reports the best wall time, the CPU
# time of that run and the peak resident memory. Fails (exit 1) when 100 000
# items take 0.5 s or more, need 150 MB or more, or when
# time(100 000) / time(10 000) reaches 12.
#
#   tools/bench/run_end_to_end.sh            # RUNS=5, build-perf-e2e
#   RUNS=9 BUILD_DIR=/tmp/b tools/bench/run_end_to_end.sh
#
# Not part of CI or ctest: timings depend on the machine and its load.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build-perf-e2e}"
RUNS="${RUNS:-5}"
SIZES=(1000 10000 100000)
MAX_SECONDS=0.5
MAX_KB=$((150 * 1024))
MAX_RATIO=12

echo "Building korvane and generate_description (Release) in $BUILD_DIR ..."
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKORVANE_TESTS=OFF -DKORVANE_BENCHMARKS=ON >/dev/null
cmake --build "$BUILD_DIR" --target korvane generate_description >/dev/null
KORVANE="$BUILD_DIR/driver/korvane"
GENERATE="$BUILD_DIR/tools/bench/generate_description"

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

# Runs the compile once in the current directory; prints
# "<wall seconds> <cpu seconds> <peak KB>".
measure_once() {
  local stats="$WORK/stats" start end status
  start=$(date +%s%N)
  if [[ -x /usr/bin/time ]]; then
    set +e
    /usr/bin/time -f "%U %S %M" -o "$stats" "$KORVANE" -iBenchIds.txt BenchSkin.txt BenchSkin \
      >report.txt 2>errors.txt
    status=$?
    set -e
  else
    # getrusage of the child, for hosts without GNU time.
    set +e
    python3 - "$stats" "$KORVANE" -iBenchIds.txt BenchSkin.txt BenchSkin <<'EOF' \
      >report.txt 2>errors.txt
import resource, subprocess, sys
status = subprocess.call(sys.argv[2:])
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
with open(sys.argv[1], "w") as out:
    out.write(f"{usage.ru_utime} {usage.ru_stime} {usage.ru_maxrss}\n")
sys.exit(status)
EOF
    status=$?
    set -e
  fi
  end=$(date +%s%N)
  if [[ $status -ne 0 ]] || ! grep -q "Completed successfully." report.txt; then
    echo "korvane failed (exit $status) on $(pwd)/BenchSkin.txt:" >&2
    tail -n 20 report.txt >&2
    exit 1
  fi
  read -r user system peak <"$stats"
  awk -v s="$start" -v e="$end" -v u="$user" -v y="$system" -v p="$peak" \
    'BEGIN { printf "%.4f %.2f %d\n", (e - s) / 1e9, u + y, p }'
}

declare -A BEST_TIME BEST_CPU PEAK
for n in "${SIZES[@]}"; do
  dir="$WORK/$n"
  "$GENERATE" "$n" "$dir" >/dev/null
  cd "$dir"
  best="" best_cpu="" peak=0
  for ((run = 0; run < RUNS; ++run)); do
    read -r wall cpu kb < <(measure_once)
    if [[ -z "$best" ]] || awk -v a="$wall" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best="$wall"
      best_cpu="$cpu"
    fi
    ((kb > peak)) && peak=$kb
  done
  BEST_TIME[$n]=$best
  BEST_CPU[$n]=$best_cpu
  PEAK[$n]=$peak
  printf "%7d items: %8.3f s wall (best of %d), %5.2f s CPU, peak %6.1f MB, %s bytes of description\n" \
    "$n" "$best" "$RUNS" "$best_cpu" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" \
    "$(wc -c <BenchSkin.txt)"
  cd "$ROOT"
done

ratio=$(awk -v a="${BEST_TIME[100000]}" -v b="${BEST_TIME[10000]}" 'BEGIN { printf "%.2f", a / b }')
echo "time(100000) / time(10000) = $ratio"

failed=0
if ! awk -v t="${BEST_TIME[100000]}" -v m="$MAX_SECONDS" 'BEGIN { exit !(t < m) }'; then
  echo "MISSED: 100000 items took ${BEST_TIME[100000]} s (target under $MAX_SECONDS s)"
  failed=1
fi
if ((PEAK[100000] >= MAX_KB)); then
  echo "MISSED: 100000 items peaked at ${PEAK[100000]} KB (target under $MAX_KB KB)"
  failed=1
fi
if ! awk -v r="$ratio" -v m="$MAX_RATIO" 'BEGIN { exit !(r < m) }'; then
  echo "MISSED: time ratio $ratio (target under $MAX_RATIO)"
  failed=1
fi
if ((failed == 0)); then echo "All targets met."; fi
exit $failed
