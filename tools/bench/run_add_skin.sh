#!/usr/bin/env bash
# korvane_add_skin against a plain build.ninja: SKINS copies of the example
# skin (60 by default) built by a CMake project through the installed package
# and by a hand-written build.ninja running the same compiles, each from a
# clean output tree, RUNS times in turn; the least wall time of each side is
# compared. Fails (exit 1) when the CMake project takes 1.5 times the plain
# build or more.
#
#   tools/bench/run_add_skin.sh          # SKINS=60, RUNS=5, build-perf-e2e
#
# Not part of CI or ctest: timings depend on the machine and its load.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build-perf-e2e}"
SKINS="${SKINS:-60}"
RUNS="${RUNS:-5}"
MAX_RATIO=1.5

echo "Building and installing korvane (Release) from $BUILD_DIR ..."
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" --target korvane korvane-dump >/dev/null
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cmake --install "$BUILD_DIR" --prefix "$WORK/prefix" --strip >/dev/null
KORVANE="$WORK/prefix/bin/korvane"

SRC="$WORK/skins"
mkdir -p "$SRC"
cp -r "$ROOT/examples/images" "$SRC/"
{
  echo "cmake_minimum_required(VERSION 3.25)"
  echo "project(skins NONE)"
  echo "find_package(Korvane REQUIRED)"
} >"$SRC/CMakeLists.txt"
PLAIN="$WORK/plain"
mkdir -p "$PLAIN/out" "$PLAIN/deps"
{
  echo "rule skin"
  echo "  command = cd $SRC && $KORVANE --quiet --depfile=$PLAIN/deps/\$name.d --depfile-absolute" \
    "--depfile-target=\$out -m$PLAIN/out -t$PLAIN/out \$in \$name"
  echo "  depfile = $PLAIN/deps/\$name.d"
  echo "  description = Compiling skin \$name"
} >"$PLAIN/build.ninja"
for ((i = 0; i < SKINS; ++i)); do
  cp "$ROOT/examples/DemoSkin.txt" "$SRC/Skin$i.txt"
  echo "korvane_add_skin(skin_$i DESCRIPTION Skin$i.txt SKIN_NAME Skin$i OUTPUT_DIR out)" \
    >>"$SRC/CMakeLists.txt"
  {
    echo "build out/Skin${i}_MIFList.txt | out/Skin$i.skn out/Skin$i.pkg: skin $SRC/Skin$i.txt | $KORVANE"
    echo "  name = Skin$i"
  } >>"$PLAIN/build.ninja"
done
cmake -S "$SRC" -B "$WORK/cmake" -G Ninja "-DCMAKE_PREFIX_PATH=$WORK/prefix" >/dev/null

# Wall seconds of one clean build in the directory.
clean_build() {
  ninja -C "$1" -t clean >/dev/null
  local start end
  start=$(date +%s%N)
  ninja -C "$1" >/dev/null
  end=$(date +%s%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f\n", (e - s) / 1e9 }'
}

best_cmake="" best_plain=""
for ((run = 0; run < RUNS; ++run)); do
  t=$(clean_build "$WORK/cmake")
  [[ -z "$best_cmake" ]] || awk -v a="$t" -v b="$best_cmake" 'BEGIN { exit !(a < b) }' && best_cmake=$t
  t=$(clean_build "$PLAIN")
  [[ -z "$best_plain" ]] || awk -v a="$t" -v b="$best_plain" 'BEGIN { exit !(a < b) }' && best_plain=$t
done
# A second build must have nothing to do on either side.
for dir in "$WORK/cmake" "$PLAIN"; do
  if ! ninja -C "$dir" -n | grep -q "no work to do"; then
    echo "MISSED: a second build of $dir has work to do"
    exit 1
  fi
done
ratio=$(awk -v a="$best_cmake" -v b="$best_plain" 'BEGIN { printf "%.2f", a / b }')
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n 1)"
echo "$SKINS skins: korvane_add_skin $best_cmake s, plain build.ninja $best_plain s (least of $RUNS)"
echo "ratio: $ratio (target under $MAX_RATIO)"
if awk -v r="$ratio" -v m="$MAX_RATIO" 'BEGIN { exit !(r < m) }'; then
  echo "Target met."
else
  echo "MISSED: ratio $ratio"
  exit 1
fi
