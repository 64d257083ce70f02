#!/usr/bin/env bash
# Builds the two Debian packages from a finished build folder and checks them: their contents,
# lintian, the service unit, and the installed programs themselves. Installs both packages on
# this machine and purges them again at the end.
#
#   scripts/check-packages.sh [BUILD_DIR]     default build/normal
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/normal}" && pwd)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

work=$(mktemp -d /tmp/quibo-packages.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  $sudo dpkg --purge quibo32 quibo-directory >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "check-packages: $*" >&2
  exit 1
}

echo "-- packages"
cmake --build "$build" >/dev/null
(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
client_deb=$(ls "$work"/out/quibo32_*.deb)
server_deb=$(ls "$work"/out/quibo-directory_*.deb)

echo "-- contents"
expect_files() { # deb, paths...
  local deb=$1 listing
  shift
  listing=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\.||')
  for path in "$@"; do
    grep -qx -- "$path" <<<"$listing" || fail "$(basename "$deb") lacks $path"
  done
}
expect_files "$client_deb" /usr/bin/quibo32 /usr/bin/quiboweb /usr/share/applications/quibo32.desktop \
  /usr/share/icons/hicolor/scalable/apps/quibo32.svg /usr/share/icons/hicolor/48x48/apps/quibo32.png \
  /usr/share/quibo32/quibocfg.dat /usr/share/quibo32/lol.snd /usr/share/quibo32/bg.gif \
  /usr/share/quibo32/chathelp.hlp /usr/share/man/man1/quibo32.1.gz /usr/share/man/man1/quiboweb.1.gz \
  /usr/share/doc/quibo32/copyright
expect_files "$server_deb" /usr/bin/quibo-directory /lib/systemd/system/quibo-directory.service \
  /etc/default/quibo-directory /usr/share/man/man8/quibo-directory.8.gz /usr/share/doc/quibo-directory/copyright
if dpkg-deb -c "$client_deb" | grep -q quibo-directory; then fail "quibo32 holds the directory server's files"; fi
if dpkg-deb -c "$server_deb" | grep -qE 'bin/quibo32|quiboweb'; then fail "quibo-directory holds the client's files"; fi

echo "-- lintian"
# No warning is kept, so warnings fail too.
lintian --fail-on error,warning --allow-root --tag-display-limit 0 "$client_deb" "$server_deb"

echo "-- install"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$client_deb" \
  "$server_deb" >/dev/null
for program in quibo32 quiboweb quibo-directory; do
  [ "$("/usr/bin/$program" --version)" = "$program $(dpkg-query -W -f='${Version}' quibo32)" ] ||
    fail "$program --version"
  "/usr/bin/$program" --help | grep -q -- --version || fail "$program --help does not list --version"
done
for program in quibo32 quiboweb; do
  getcap "/usr/bin/$program" | grep -q cap_net_bind_service || fail "$program lacks cap_net_bind_service"
done
systemd-analyze verify /lib/systemd/system/quibo-directory.service

echo "-- the installed client seeds its working folder"
home="$work/home"
mkdir -p "$home"
(cd "$home" && HOME="$home" XDG_DATA_HOME="" QT_QPA_PLATFORM=offscreen QUIBO_DIRECTORY=127.0.0.1:9 \
  exec /usr/bin/quibo32 >"$work/client.log" 2>&1) &
pids+=($!)
for _ in $(seq 50); do
  [ -f "$home/.local/share/quibo32/lol.snd" ] && break
  sleep 0.1
done
sleep 2 # it must keep running, not fail at start
kill -0 "${pids[-1]}" 2>/dev/null || fail "the client stopped: $(cat "$work/client.log")"
for name in quibocfg.dat lol.snd bg.gif chathelp.hlp; do
  [ -f "$home/.local/share/quibo32/$name" ] || fail "the client did not seed $name into ~/.local/share/quibo32"
done
for entry in "$home"/* "$home"/.[!.]*; do
  case "${entry##*/}" in
  "*" | ".[!.]*" | .local | .cache | .config) ;;
  *) fail "the client wrote ${entry##*/} into the home folder" ;;
  esac
done

echo "-- the installed directory server answers"
/usr/bin/quibo-directory --listen 127.0.0.1:0 --database "$work/directory.sqlite" >"$work/directory.log" 2>&1 &
pids+=($!)
port=""
for _ in $(seq 50); do
  port=$(sed -n 's/^quibo-directory: listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$work/directory.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || fail "the directory server did not start: $(cat "$work/directory.log")"
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf 'GET /ipadd/readit.cgi?id=LoopBack HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' >&3
reply=$(tr -d '\r' <&3 | sed '1,/^$/d')
exec 3<&-
[ "$(head -n 1 <<<"$reply")" = "127.0.0.1" ] || fail "LoopBack answered \"$reply\""

echo "-- purge"
$sudo dpkg --purge quibo32 quibo-directory >/dev/null
for path in /usr/bin/quibo32 /usr/bin/quiboweb /usr/bin/quibo-directory /usr/share/quibo32 \
  /etc/default/quibo-directory /lib/systemd/system/quibo-directory.service; do
  [ ! -e "$path" ] || fail "$path is left after purge"
done
echo "Packages checked."
