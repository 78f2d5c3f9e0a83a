#!/usr/bin/env bash
# Compile time against the I/O floor, side by side in one run:
#
# - a generated skin of ITEMS items (100 000 by default) compiled quietly
#   with korvane, and the same inputs read, the image directory listed and
#   outputs of the same sizes written by io_floor; runs alternate, RUNS times
#   each, and the least CPU time (user + system) of each side is compared;
# - the peak resident memory of the compile;
# - the instructions of a whole run on a minimal skin (callgrind), when
#   valgrind is at hand.
#
# Fails (exit 1) when the ratio reaches 3.5, the peak memory 60 MB or the
# start-up 1 000 000 instructions.
#
#   tools/bench/run_floor.sh                  # RUNS=7, ITEMS=100000, build-perf-e2e
#   RUNS=11 BUILD_DIR=/tmp/b tools/bench/run_floor.sh
#
# Not part of CI or ctest: timings depend on the machine and its load.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build-perf-e2e}"
RUNS="${RUNS:-7}"
ITEMS="${ITEMS:-100000}"
MAX_RATIO=3.5
MAX_KB=$((60 * 1024))
MAX_STARTUP=1000000

echo "Building korvane, generate_description and io_floor (Release) in $BUILD_DIR ..."
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKORVANE_TESTS=OFF -DKORVANE_BENCHMARKS=ON >/dev/null
cmake --build "$BUILD_DIR" --target korvane generate_description io_floor >/dev/null
KORVANE="$BUILD_DIR/driver/korvane"
GENERATE="$BUILD_DIR/tools/bench/generate_description"
FLOOR="$BUILD_DIR/tools/bench/io_floor"

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
"$GENERATE" "$ITEMS" "$WORK/skin"
mkdir -p "$WORK/floor"

echo "Machine: $(nproc) cores, $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n 1)"
status=0
python3 - "$WORK" "$KORVANE" "$FLOOR" "$RUNS" "$MAX_RATIO" "$MAX_KB" <<'EOF' || status=1
import os, subprocess, sys

work, korvane, floor, runs, max_ratio, max_kb = sys.argv[1:7]
runs, max_ratio, max_kb = int(runs), float(max_ratio), int(max_kb)
skin = os.path.join(work, "skin")
compile_args = [korvane, "--quiet", "-iBenchIds.txt", "BenchSkin.txt", "BenchSkin"]

def run(args):
    """CPU seconds and peak KB of one child run."""
    with open(os.devnull, "w") as null:
        child = subprocess.Popen(args, cwd=skin, stdout=null)
        _, status, usage = os.wait4(child.pid, 0)
    if status != 0:
        sys.exit(f"{args[0]} failed with status {status}")
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss

run(compile_args)
outputs = ["BenchSkin_MIFList.txt", "BenchSkin.skn", "BenchSkin.pkg"]
sizes = [str(os.path.getsize(os.path.join(skin, name))) for name in outputs]
floor_args = [floor, "BenchSkin.txt", "BenchIds.txt", "images", os.path.join(work, "floor")] + sizes

compile_cpu, floor_cpu, peak = [], [], 0
for _ in range(runs):
    cpu, kb = run(compile_args)
    compile_cpu.append(cpu)
    peak = max(peak, kb)
    floor_cpu.append(run(floor_args)[0])
best_compile, best_floor = min(compile_cpu), min(floor_cpu)
ratio = best_compile / best_floor if best_floor > 0 else float("inf")
print(f"compile: {best_compile:.3f} s CPU (least of {runs}), outputs of {' + '.join(sizes)} bytes")
print(f"I/O floor: {best_floor:.3f} s CPU")
print(f"floor ratio: {ratio:.2f} (target under {max_ratio})")
print(f"peak memory: {peak / 1024:.1f} MB (target under {max_kb / 1024:.0f} MB)")
missed = []
if not ratio < max_ratio:
    missed.append(f"MISSED: floor ratio {ratio:.2f}")
if not peak < max_kb:
    missed.append(f"MISSED: peak memory {peak} KB")
for line in missed:
    print(line)
sys.exit(1 if missed else 0)
EOF

if command -v valgrind >/dev/null; then
  mkdir -p "$WORK/minimal"
  printf 'SKINTYPE scalable\r\nUID 0x2000ABCD\r\nNAME 1 "Minimal"\r\n' >"$WORK/minimal/Min.txt"
  (cd "$WORK/minimal" && valgrind --tool=callgrind --callgrind-out-file=callgrind.out \
    "$KORVANE" --quiet Min.txt Min >/dev/null 2>valgrind.txt)
  instructions=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$WORK/minimal/valgrind.txt")
  echo "start-up: $instructions instructions for a minimal skin (target under $MAX_STARTUP)"
  if ((instructions >= MAX_STARTUP)); then
    echo "MISSED: start-up of $instructions instructions"
    status=1
  fi
else
  echo "start-up: not measured (no valgrind)"
fi
if ((status == 0)); then echo "All targets met."; fi
exit $status
