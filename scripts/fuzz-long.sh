#!/usr/bin/env bash
# The long fuzzing run: every fuzz target for 10^7 executions under AddressSanitizer and
# UndefinedBehaviorSanitizer, niced, printing executions, seconds and crashes per target.
# A tool, not part of CI (scripts/test.sh keeps a short run of the same targets).
#
#   scripts/fuzz-long.sh [-j N] [libFuzzer options...]    N targets side by side (default 1)
#   scripts/fuzz-long.sh -j 4 -max_total_time=3600        and none longer than an hour
set -euo pipefail
jobs=1
if [ "${1:-}" = -j ]; then
  jobs=$2
  shift 2
fi
QUIBO_FUZZ_JOBS=$jobs exec nice -n 10 bash "$(dirname "$0")/fuzz.sh" -runs=10000000 "$@"
