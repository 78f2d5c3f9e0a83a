#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time on a scratch copy
# of its seed corpus (the committed corpus never grows).
#
#   tools/fuzz/run_fuzzers.sh [seconds-per-target]   default 60
#   tools/fuzz/run_fuzzers.sh --probe                 exit 0 when clang++ with libFuzzer works
#
# Exits non-zero on any crash, leak, sanitizer report, timeout or memory blow-up.
# The inputs that failed are kept in <build>/fuzz-artifacts/<target>/ and every
# run's log in <build>/fuzz-logs/. KORVANE_FUZZ_BUILD overrides the build
# directory (default build-fuzz at the top of the repository).
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${KORVANE_FUZZ_BUILD:-$root/build-fuzz}"
clang="${CXX_FUZZ:-clang++}"

probe() {
  command -v "$clang" >/dev/null 2>&1 || return 1
  local dir
  dir="$(mktemp -d)"
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
    >"$dir/probe.cpp"
  local ok=0
  "$clang" -fsanitize=fuzzer,address,undefined "$dir/probe.cpp" -o "$dir/probe" \
    >/dev/null 2>&1 && "$dir/probe" -runs=1 >/dev/null 2>&1 || ok=1
  rm -rf "$dir"
  return $ok
}

if [ "${1:-}" = "--probe" ]; then
  probe
  exit $?
fi

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: $0 [seconds-per-target] | --probe" >&2
  exit 2
fi
if ! probe; then
  echo "error: $clang with libFuzzer is not usable" >&2
  exit 1
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER="$clang" -DKORVANE_FUZZ=ON -DKORVANE_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake --build "$build" --target compile_fuzzer extension_list_fuzzer skn_decoder_fuzzer \
  command_line_fuzzer lsp_fuzzer

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/fuzz-logs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

failed=()
# target, longest input, extra libFuzzer options
run_target() {
  local target="$1" max_len="$2"
  shift 2
  local corpus="$scratch/$target" artifacts="$build/fuzz-artifacts/$target"
  local log="$build/fuzz-logs/$target.log"
  rm -rf "$artifacts"
  mkdir -p "$corpus" "$artifacts"
  cp "$root/tools/fuzz/corpus/$target/"* "$corpus/"
  echo "== $target: ${seconds}s"
  local status=0
  "$build/tools/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len="$max_len" \
    -timeout=10 -rss_limit_mb=2048 -detect_leaks=1 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$@" "$corpus" >"$log" 2>&1 || status=$?
  grep -E '^(stat::|Done )' "$log" || true
  if [ $status -ne 0 ] || [ -n "$(ls -A "$artifacts")" ]; then
    echo "!! $target failed (exit $status); log $log, inputs in $artifacts:"
    ls "$artifacts"
    grep -E -A40 '^(==[0-9]+==ERROR|.*runtime error|FUZZ CHECK FAILED|ALARM|==[0-9]+== ERROR)' \
      "$log" | head -80 || true
    failed+=("$target")
  fi
}

run_target compile 8192 -dict="$root/tools/fuzz/description.dict"
run_target extension_list 4096 -dict="$root/tools/fuzz/description.dict"
run_target skn_decoder 16384
run_target command_line 1024
run_target lsp 8192 -dict="$root/tools/fuzz/lsp.dict"

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}"
  exit 1
fi
echo "fuzzing: no findings"
