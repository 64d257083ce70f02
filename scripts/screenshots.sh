#!/usr/bin/env bash
# Pictures for the README: runs the real client under Xvfb with a fresh working folder and saves
# what the screen shows into docs/.
#
#   scripts/screenshots.sh [BUILD_DIR]     default build/normal
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(cd "${1:-build/normal}/bin" && pwd)
work=$(mktemp -d /tmp/quibo-pictures.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done

DISPLAY=$display HOME="$work" QUIBO_DIRECTORY=127.0.0.1:9 "$bin/quibo32" --folder "$work/client" \
  >"$work/client.log" 2>&1 &
pids+=($!)
sleep 3
kill -0 "${pids[-1]}" || { cat "$work/client.log" >&2; exit 1; }
# The start-up window, trimmed to what is drawn on the empty screen.
import -display "$display" -window root -trim +repage -strip docs/startup.png
echo "Saved docs/startup.png ($(stat -c %s docs/startup.png) bytes)"
