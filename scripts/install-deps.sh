#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the local trial need.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-qpa-plugins
  qt6-svg-dev libqt6svg6-dev qt6-multimedia-dev libqt6multimedia6 libqt6dbus6
  libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev libpq-dev
  qcoro-qt6-dev libcpp-httplib-dev libssl-dev libsodium-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  postgresql
  sox libsox-fmt-all espeak-ng librsvg2-bin imagemagick
  curl
  xvfb xauth xdotool openbox dbus-daemon
  lintian systemd libcap2-bin
  # Port mapping, and the two-homes lab (scripts/netlab.sh). miniupnpd-nftables is the daemon
  # alone: the service and its questions are in the package "miniupnpd", which is not installed,
  # and nftables leaves its service disabled.
  libminiupnpc-dev miniupnpc miniupnpd-nftables nftables iproute2 netcat-openbsd
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
