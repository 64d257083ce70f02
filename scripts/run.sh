#!/usr/bin/env bash
# Local trial: installs what it needs, builds, starts a local directory server on its embedded
# database and the client in a fresh working directory.
#
#   QUIBO_TRIAL_DIR   where the trial's files go (default: a new folder under /tmp)
#   QUIBO_DIRECTORY_PORT   the local directory server's port (default 8080)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$root" -B "$root/build/run" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIBO_BUILD_TESTS=OFF \
  -DQUIBO_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$root/build/run" -j"${QUIBO_JOBS:-2}"
bin="$root/build/run/bin"

trial=${QUIBO_TRIAL_DIR:-$(mktemp -d /tmp/quibo-trial.XXXXXX)}
mkdir -p "$trial/directory"
port=${QUIBO_DIRECTORY_PORT:-8080}

directory_pid=""
if [ -x "$bin/quibo-directory" ]; then
  "$bin/quibo-directory" --listen "127.0.0.1:$port" --database "$trial/directory/directory.sqlite" \
    >"$trial/directory/log" 2>&1 &
  directory_pid=$!
  trap '[ -n "$directory_pid" ] && kill "$directory_pid" 2>/dev/null || true' EXIT
  echo "Directory server on 127.0.0.1:$port (database and log in $trial/directory)"
fi

echo "Client working directory: $trial/client"
QUIBO_DIRECTORY="127.0.0.1:$port" "$bin/quibo32" --folder "$trial/client"
