#!/usr/bin/env bash
# Installs what the build needs, builds, and runs the whole suite twice: once normally and
# once under AddressSanitizer and UndefinedBehaviorSanitizer; between the two, the Debian packages
# are built, installed, checked and purged (scripts/check-packages.sh). Then the servers' tests
# under ThreadSanitizer, and a short fuzzing run.
#
#   scripts/test.sh            everything
#   QUIBO_SKIP_SANITIZERS=1    only the normal run (quicker, for local work)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${QUIBO_JOBS:-2}

bash scripts/install-deps.sh

# The directory server's tests also run against a real PostgreSQL server; with it required,
# they fail rather than skip when it cannot be reached.
QUIBO_TEST_POSTGRES_URL="$(bash scripts/start-postgres.sh)"
export QUIBO_TEST_POSTGRES_URL QUIBO_REQUIRE_POSTGRES=1
trap 'bash scripts/start-postgres.sh --stop >/dev/null 2>&1 || true' EXIT

# The build folders are kept, and ccache (when installed) keeps the objects, so that a rerun
# rebuilds only what changed. Paths are hashed relative to the clone, and the build folder's
# path not at all, so that a fresh clone anywhere finds what an earlier one compiled (the
# sloppiness precompiled headers need is set by the build itself).
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
fi
ccache_counts() { # hits and misses so far
  ccache --print-stats 2>/dev/null |
    awk '$1 ~ /^(direct|preprocessed)_cache_hit$/ {h += $2} $1 == "cache_miss" {m += $2} END {print h + 0, m + 0}'
}

run_suite() { # name, extra cmake args...
  local name=$1
  shift
  local dir="$root/build/$name"
  echo "== $name build =="
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIBO_WERROR=ON "${launcher[@]}" "$@" \
    >/dev/null
  local hits misses h m start=$SECONDS
  read -r hits misses < <(ccache_counts)
  cmake --build "$dir" -j"$jobs" ${targets:+--target $targets}
  read -r h m < <(ccache_counts)
  # Counted over the whole cache: on a shared machine, others' compiles count too.
  echo "$name build: $((SECONDS - start)) s, ccache $((h - hits)) hits, $((m - misses)) misses"
  echo "== $name tests =="
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600 ${tests:+-R "$tests"} ${skip:+-E "$skip"})
}

run_suite normal
echo "== packages =="
bash scripts/check-packages.sh "$root/build/normal"
if [ -z "${QUIBO_SKIP_SANITIZERS:-}" ]; then
  # Leak checking covers every test and the servers they start; the suppressions are for
  # libraries outside the project.
  # Warnings don't fail this build: g++'s instrumentation gives false -Warray-bounds reports;
  # the normal build above already holds every warning to -Werror.
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite sanitizers -DQUIBO_SANITIZE=address,undefined -DQUIBO_BUILD_BENCH=OFF -DQUIBO_WERROR=OFF \
    -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g"

  # The servers, the history's index and the port mapper are the multi-threaded parts: their
  # tests, and only what they need, under ThreadSanitizer (the two-homes logon too, whose
  # clients run the port mapper in processes of their own). The suppressions cover uninstrumented
  # system libraries only.
  tsan_start=$SECONDS
  targets="test_directory_server servers_web_test test_history test_reach quibo-directory quiboweb" \
    tests="^(test_directory_server|servers_web_test|test_history|test_reach)\." \
    TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp" \
    run_suite tsan -DQUIBO_SANITIZE=thread -DQUIBO_BUILD_BENCH=OFF
  echo "ThreadSanitizer run: $((SECONDS - tsan_start)) s"

  echo "== fuzzing =="
  bash scripts/fuzz.sh -max_total_time="${QUIBO_FUZZ_SECONDS:-20}"
fi
echo "All suites passed."
