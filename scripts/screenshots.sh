#!/usr/bin/env bash
# Pictures for the README: runs the real client under Xvfb with a fresh working folder, against a
# local directory server, drives it with xdotool and saves the windows it shows into docs/.
# Runs as root (or with the capability) since the client binds ports 68, 69 and 569.
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

for port in 68 69 569; do
  if ss -Hltn "sport = :$port" | grep -q .; then
    echo "TCP port $port is busy; the client needs it" >&2
    exit 1
  fi
done

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
export DISPLAY=$display

# Waits for a shown window with exactly this title (other than the ones given) and prints its id.
wait_window() {
  local title=$1 id
  shift
  for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
      [[ " $* " == *" $id "* ]] || { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  echo "No window \"$title\" appeared" >&2
  cat "$work/client.log" >&2
  return 1
}

shot() { # window, file
  import -window "$1" -strip "docs/$2"
  echo "Saved docs/$2 ($(stat -c %s "docs/$2") bytes)"
}

start_client() {
  HOME="$work" QUIBO_DIRECTORY=$1 "$bin/quibo32" --folder "$work/client" >"$work/client.log" 2>&1 &
  client_pid=$!
  pids+=("$client_pid")
}

# The start-up window, trimmed to what is drawn on the empty screen. This first start also fills
# the fresh working folder with the installed files.
start_client 127.0.0.1:9
startup=$(wait_window Quibo32)
sleep 1
import -window root -trim +repage -strip docs/startup.png
echo "Saved docs/startup.png ($(stat -c %s docs/startup.png) bytes)"
kill "$client_pid"
wait "$client_pid" 2>/dev/null || true

# A local directory server on a free port, with the user "ann" registered and LoopBack as contact.
"$bin/quibo-directory" --listen 127.0.0.1:0 --database "$work/directory.sqlite" >"$work/directory.log" 2>&1 &
pids+=($!)
directory=""
for _ in $(seq 50); do
  directory=$(sed -n 's/^quibo-directory: listening on \([0-9.:]*\),.*/\1/p' "$work/directory.log")
  [ -n "$directory" ] && break
  sleep 0.1
done
[ -n "$directory" ] || { cat "$work/directory.log" >&2; exit 1; }
curl -fsS "http://$directory/ipinfo/register.cgi?id=ann&password=pw&email=ann@example.org" | grep -q '^Registered'
printf 'ann\r\n' >"$work/client/settings"
printf 'pw\r\nAnn\r\nSmith\r\nann@example.org\r\n' >"$work/client/userinfo.dat"
printf 'LoopBack\r\n' >"$work/client/contacts.dat"

# Connect: the main window is titled with the handle.
start_client "$directory"
startup=$(wait_window Quibo32)
sleep 1
xdotool mousemove --window "$startup" 123 152 click 1
main=$(wait_window ann)
sleep 2
shot "$main" main-window.png

# A message to LoopBack comes back as a received message.
xdotool mousemove --window "$main" 65 57 click --repeat 2 --delay 80 1
send=$(wait_window "Quibo32 - Send Message")
sleep 0.5
xdotool mousemove --window "$send" 150 150 click 1
xdotool type --delay 20 'Hello from the other side of the loop!'
xdotool mousemove --window "$send" 184 273 click 1
received=$(wait_window "Quibo32 - Received Message")
sleep 0.5
shot "$received" message.png
xdotool mousemove --window "$received" 184 273 click 1
sleep 0.5

# A smiley to LoopBack from the contact menu, which opens at a fixed place by the main window.
eval "$(xdotool getwindowgeometry --shell "$main")"
menu_x=$((X + WIDTH - 120)) menu_y=$((Y + HEIGHT - 230))
popup=""
for _ in 1 2 3; do
  xdotool mousemove --window "$main" 65 57 click 3
  sleep 1
  xdotool mousemove $((menu_x + 65)) $((menu_y + 32))
  sleep 1
  xdotool mousemove $((menu_x + 215)) $((menu_y + 32)) click 1
  popup=$(wait_window Quibo32 "$startup" 2>/dev/null) && break
done
[ -n "$popup" ] || { echo "No smiley popup appeared" >&2; exit 1; }
sleep 0.5
shot "$popup" popup.png

# The history window from the contact menu, its item above the last (Key Fingerprint),
# searching as typed.
xdotool mousemove --window "$main" 65 57 click 3
sleep 1
xdotool key Up Up Return
history=$(wait_window "Quibo32 - History")
sleep 0.5
xdotool mousemove --window "$history" 300 40 click 1
xdotool type --delay 40 'loop'
sleep 1
shot "$history" history.png
