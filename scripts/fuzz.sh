#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# in build/fuzz, runs each with the libFuzzer options given, and prints per target the
# executions, the time and the crashes. Exit status 1 when any target crashed or failed.
#
#   scripts/fuzz.sh -max_total_time=20          every target for 20 s (the short run of scripts/test.sh)
#   QUIBO_FUZZ_JOBS=2 scripts/fuzz.sh ...        two targets side by side
#   QUIBO_FUZZ_TARGETS="settings file-offer"     only these targets
#
# Seeds come from fuzz/<target>/corpus (read only); what a run finds is kept in
# build/fuzz/corpus/<target> for the next run. A crashing input is written to
# build/fuzz/crashes/<target>/ and the run's output to build/fuzz/logs/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
fuzzdir="$root/build/fuzz"
jobs=${QUIBO_FUZZ_JOBS:-1}

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# -O1 keeps the stacks readable and runs several times faster than -O0.
CC=clang CXX=clang++ cmake -S "$root" -B "$fuzzdir" -G Ninja -DQUIBO_BUILD_FUZZ=ON -DQUIBO_BUILD_TESTS=OFF \
  -DQUIBO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g" "${launcher[@]}" >/dev/null
cmake --build "$fuzzdir" -j"${QUIBO_JOBS:-2}" --target quibo_fuzz_targets >/dev/null

targets=()
for bin in "$fuzzdir"/bin/fuzz-*; do
  [ -x "$bin" ] || continue
  name=${bin##*/fuzz-}
  if [ -n "${QUIBO_FUZZ_TARGETS:-}" ] && [[ " $QUIBO_FUZZ_TARGETS " != *" $name "* ]]; then continue; fi
  targets+=("$name")
done
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets" >&2; exit 1; }

results="$fuzzdir/logs/results"
mkdir -p "$fuzzdir/logs"
: >"$results"

run_target() { # name, libFuzzer options...
  local name=$1
  shift
  local corpus="$fuzzdir/corpus/$name" crashes="$fuzzdir/crashes/$name" log="$fuzzdir/logs/$name.log"
  local seeds=()
  [ -d "$root/fuzz/$name/corpus" ] && seeds=("$root/fuzz/$name/corpus")
  mkdir -p "$corpus" "$crashes"
  local start=$SECONDS status=0
  "$fuzzdir/bin/fuzz-$name" -timeout=60 -print_final_stats=1 -artifact_prefix="$crashes/" "$@" \
    "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
  local runs crashed=0
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  [ -n "$runs" ] || runs=$(sed -n 's/^#\([0-9][0-9]*\)[[:space:]].*/\1/p' "$log" | tail -n 1)
  # 72: stopped by an interrupt (Ctrl-C), which is no finding.
  [ "$status" -eq 0 ] || [ "$status" -eq 72 ] || crashed=1
  printf '%-18s %12s %8s %8s\n' "$name" "${runs:-?}" "$((SECONDS - start))" "$crashed" >>"$results"
  if [ "$crashed" -ne 0 ]; then
    echo "== fuzz-$name failed (exit $status); from $log:" >&2
    grep -E 'ERROR|property does not hold|runtime error|Test unit written|Base64' "$log" | head -n 8 >&2 || true
  fi
}

for name in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_target "$name" "$@" &
done
wait

printf '%-18s %12s %8s %8s\n' target executions seconds crashes
sort "$results"
! awk '$4 != 0 { found = 1 } END { exit !found }' "$results"
