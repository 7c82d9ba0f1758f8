#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build-fuzz/ and runs each for the given
# number of seconds (default 60), all at once, at most $FUZZ_JOBS (default: the core count) at
# a time. Each run starts from the target's corpus (fuzz/corpus/<target>) and its dictionary,
# and adds what it finds to build-fuzz/corpus/<target> (the committed corpus is not changed;
# merge new finds with -merge=1 by hand). Crash, leak and timeout inputs land in
# build-fuzz/artifacts/<target>/; keep each one, once fixed, in fuzz/crashes/<target>/ so the
# replay tests (ctest -L fuzz) run it for ever after. A summary per target (executions per
# second, executions, coverage) is written to build-fuzz/fuzz-summary.txt.
#
#   bash scripts/fuzz.sh [seconds] [target...]
# Environment: FUZZ_JOBS, FUZZ_NICE (niceness, default 10), FUZZ_BUILD_JOBS (default 3).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
build="$here/build-fuzz"

bash "$here/scripts/setup.sh" --fuzz

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVYK_FUZZ=ON -DVYK_BUILD_TESTS=OFF -DVYK_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$here"/fuzz/targets/*_fuzz.cpp; do
    n="$(basename "$f")"
    targets+=("${n%_fuzz.cpp}")
  done
fi
cmake --build "$build" -j "${FUZZ_BUILD_JOBS:-3}" --target "${targets[@]/#/vyk_fuzz_}"

# Largest input each target takes: records are up to 584644 bytes (the macro database).
max_len() {
  case "$1" in
    store_value) echo 160000 ;;
    profile_file) echo 150000 ;;
    macro_db) echo 600000 ;;
    language) echo 65536 ;;
    *) echo 4096 ;;
  esac
}

export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/fuzz/lsan.supp}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
jobs="${FUZZ_JOBS:-$(nproc)}"
logs="$build/logs"
mkdir -p "$logs"

run_one() {
  local t="$1"
  local corpus="$build/corpus/$t" artifacts="$build/artifacts/$t"
  mkdir -p "$corpus" "$artifacts"
  local dict=()
  [ -f "$here/fuzz/dict/$t.dict" ] && dict=(-dict="$here/fuzz/dict/$t.dict")
  nice -n "${FUZZ_NICE:-10}" "$build/fuzz-bin/vyk_fuzz_$t" "$corpus" "$here/fuzz/corpus/$t" "${dict[@]}" \
    -max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout=25 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" >"$logs/$t.log" 2>&1
}

pids=()
status=0
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || status=1; done
  echo "fuzz: $t for ${seconds}s"
  run_one "$t" &
  pids+=($!)
done
for p in "${pids[@]}"; do wait "$p" || status=1; done

summary="$build/fuzz-summary.txt"
{
  printf '%-16s %12s %14s %10s %10s %s\n' target exec/s executions edges features result
  for t in "${targets[@]}"; do
    log="$logs/$t.log"
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
    cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    ft="$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    result=ok
    grep -qE 'ERROR: (libFuzzer|AddressSanitizer|LeakSanitizer)|runtime error|vyk-fuzz: check failed' "$log" && result=FAILED
    printf '%-16s %12s %14s %10s %10s %s\n' "$t" "${rate:-?}" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$result"
  done
} | tee "$summary"
exit "$status"
