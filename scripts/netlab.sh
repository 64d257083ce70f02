#!/usr/bin/env bash
# The two-homes lab: network namespaces on this machine only, nothing else touched.
#
#   home 1: NAME-h1, NAME-o1 --lan-- NAME-r1 --wan--+
#                                                   +-- NAME-pub (the public net and its host)
#   home 2: NAME-h2          --lan-- NAME-r2 --wan--+
#
# Each router translates its home's private addresses (nftables masquerade) and runs miniupnpd
# on its inside, so a home host can ask it for port mappings. NAME-h1 and NAME-h2 are for the
# clients; NAME-o1 is another device in home 1 (someone else who maps ports there). The public
# host is where the directory server goes. Every interface and address lives inside the lab's
# own namespaces.
#
#   netlab.sh up [--name NAME] [--no-upnp] [--ipv6-only]   build it; prints KEY=VALUE lines
#   netlab.sh down --name NAME                             remove it, and all that runs in it
#   netlab.sh check [--no-upnp] [--ipv6-only]              build one, check it, remove it
#
# --no-upnp: the routers run no miniupnpd. --ipv6-only: the homes and the public net have only
# global IPv6 addresses (documentation prefix), routed, with no translation and no miniupnpd.
# Run as root; it exits 77 where it cannot build the lab (not root, no namespaces). NAME
# (default: "ql" and this shell's pid) prefixes the namespaces, so that runs side by side do
# not meet; the lab's state is kept in /run/quibo-netlab/NAME.
set -euo pipefail
shopt -s inherit_errexit

# The public net must not look private to miniupnpd, which refuses to map behind a reserved
# address (the documentation ranges included); it never leaves the lab's namespaces.
public4=${NETLAB_PUBLIC_PREFIX:-100.200.0}
public6=2001:db8:ff
upnp_port=5000 # miniupnpd's HTTP port on the routers' inside

usage() {
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
  exit 2
}

command=${1:-}
[ -n "$command" ] || usage
shift
name="ql$$"
upnp=1
ipv6only=0
while (($#)); do
  case $1 in
    --name) name=${2:?}; shift 2 ;;
    --no-upnp) upnp=0; shift ;;
    --ipv6-only) ipv6only=1; upnp=0; shift ;;
    *) usage ;;
  esac
done
[[ $name =~ ^[a-z][a-z0-9]{0,19}$ ]] || { echo "netlab: NAME is a letter and up to 19 letters or digits" >&2; exit 2; }
# 77: cannot be built here (the tests skip).
[ "$(id -u)" -eq 0 ] || { echo "netlab: run as root (it makes network namespaces)" >&2; exit 77; }

state=/run/quibo-netlab/$name
namespaces=("$name-pub" "$name-r1" "$name-r2" "$name-h1" "$name-h2" "$name-o1")

in_ns() { # namespace, command...
  local ns=$1
  shift
  ip netns exec "$ns" "$@"
}

# Ends what runs in the lab (miniupnpd, and whatever its users started there), then its
# namespaces, which takes every interface and address with them.
down() {
  local ns pids
  for ns in "${namespaces[@]}"; do
    [ -e "/run/netns/$ns" ] || continue
    pids=$(ip netns pids "$ns" 2>/dev/null || true)
    if [ -n "$pids" ]; then
      # shellcheck disable=SC2086
      kill $pids 2>/dev/null || true
      for _ in $(seq 50); do
        [ -z "$(ip netns pids "$ns" 2>/dev/null)" ] && break
        sleep 0.1
      done
      pids=$(ip netns pids "$ns" 2>/dev/null || true)
      # shellcheck disable=SC2086
      [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
    fi
    ip netns del "$ns"
  done
  rm -rf "$state"
}

# A router's filter and translation, in a table of its own; miniupnpd adds its mappings in the
# chains named after it.
router_rules() { # router namespace
  local masquerade="oifname \"wan\" masquerade"
  ((ipv6only)) && masquerade=""
  in_ns "$1" nft -f - <<EOF
table inet quibo_router {
  chain forward {
    type filter hook forward priority filter; policy drop;
    ct state established,related accept
    iifname "lan" oifname "wan" accept
    jump miniupnpd
    $( ((ipv6only)) && echo 'iifname "wan" oifname "lan" accept' )
  }
  chain miniupnpd {
  }
  chain prerouting {
    type nat hook prerouting priority dstnat; policy accept;
    jump prerouting_miniupnpd
  }
  chain prerouting_miniupnpd {
  }
  chain postrouting {
    type nat hook postrouting priority srcnat; policy accept;
    jump postrouting_miniupnpd
    $masquerade
  }
  chain postrouting_miniupnpd {
  }
}
EOF
}

start_miniupnpd() { # home number
  local home=$1 router="$name-r$1"
  cat >"$state/miniupnpd-r$home.conf" <<EOF
ext_ifname=wan
listening_ip=lan
http_port=$upnp_port
enable_upnp=yes
enable_natpmp=yes
secure_mode=yes
system_uptime=yes
uuid=00000000-0000-4000-8000-00000000000$home
lease_file=$state/miniupnpd-r$home.leases
upnp_table_name=quibo_router
upnp_nat_table_name=quibo_router
upnp_forward_chain=miniupnpd
upnp_nat_chain=prerouting_miniupnpd
upnp_nat_postrouting_chain=postrouting_miniupnpd
clean_ruleset_interval=600
allow 1-65535 192.168.$home.0/24 1-65535
deny 0-65535 0.0.0.0/0 0-65535
EOF
  # -d: in the foreground, logging to standard error.
  in_ns "$router" miniupnpd -d -f "$state/miniupnpd-r$home.conf" -P "$state/miniupnpd-r$home.pid" \
    >"$state/miniupnpd-r$home.log" 2>&1 &
  echo $! >"$state/miniupnpd-r$home.runner"
}

# Waits until miniupnpd answers on its HTTP port, or says why not.
wait_for_miniupnpd() { # home number
  local home=$1
  for _ in $(seq 100); do
    if in_ns "$name-h$home" nc -z -w 1 "192.168.$home.1" "$upnp_port" 2>/dev/null; then
      return 0
    fi
    if ! kill -0 "$(cat "$state/miniupnpd-r$home.runner")" 2>/dev/null; then
      echo "netlab: miniupnpd on $name-r$home ended:" >&2
      cat "$state/miniupnpd-r$home.log" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "netlab: miniupnpd on $name-r$home does not answer" >&2
  return 1
}

up() {
  local ns home device devices
  for ns in "${namespaces[@]}"; do
    if [ -e "/run/netns/$ns" ]; then
      echo "netlab: $ns exists already; run 'netlab.sh down --name $name' first" >&2
      exit 1
    fi
  done
  if ! ip netns add "$name-pub" 2>/dev/null; then
    echo "netlab: network namespaces cannot be made here" >&2
    exit 77
  fi
  mkdir -p "$state"
  # From here on, a failure removes what was made.
  trap 'echo "netlab: setting up failed; removing the lab" >&2; down; exit 1' ERR
  for ns in "${namespaces[@]}"; do
    [ -e "/run/netns/$ns" ] || ip netns add "$ns"
    ip -n "$ns" link set lo up
    # No waiting for duplicate address detection: the lab's addresses are known unique.
    in_ns "$ns" sysctl -qw net.ipv6.conf.all.accept_dad=0 net.ipv6.conf.default.accept_dad=0
  done
  # The public net: a bridge in the public host's namespace, one port per router.
  ip -n "$name-pub" link add net type bridge
  ip -n "$name-pub" link set net up
  if ((ipv6only)); then
    ip -n "$name-pub" addr add "$public6::1/64" dev net nodad
    in_ns "$name-pub" sysctl -qw net.ipv6.conf.all.forwarding=1
  else
    ip -n "$name-pub" addr add "$public4.1/24" dev net
  fi
  for home in 1 2; do
    ip -n "$name-pub" link add "r$home" type veth peer name wan netns "$name-r$home"
    ip -n "$name-pub" link set "r$home" master net up
    # The home's network: a bridge in the router, one port per device.
    ip -n "$name-r$home" link add lan type bridge
    ip -n "$name-r$home" link set wan up
    ip -n "$name-r$home" link set lan up
    devices=("h$home")
    ((home == 1)) && devices+=(o1)
    for device in "${devices[@]}"; do
      ip -n "$name-r$home" link add "$device" type veth peer name eth0 netns "$name-$device"
      ip -n "$name-r$home" link set "$device" master lan up
      ip -n "$name-$device" link set eth0 up
    done
    if ((ipv6only)); then
      in_ns "$name-r$home" sysctl -qw net.ipv6.conf.all.forwarding=1
      ip -n "$name-r$home" addr add "$public6::1$home/64" dev wan nodad
      ip -n "$name-r$home" addr add "2001:db8:$home::1/64" dev lan nodad
      ip -n "$name-h$home" addr add "2001:db8:$home::10/64" dev eth0 nodad
      ip -n "$name-h$home" route add default via "2001:db8:$home::1"
      if ((home == 1)); then
        ip -n "$name-o1" addr add "2001:db8:1::11/64" dev eth0 nodad
        ip -n "$name-o1" route add default via "2001:db8:1::1"
      fi
      ip -n "$name-pub" route add "2001:db8:$home::/64" via "$public6::1$home"
      ip -n "$name-r$home" route add default via "$public6::1"
    else
      in_ns "$name-r$home" sysctl -qw net.ipv4.ip_forward=1
      ip -n "$name-r$home" addr add "$public4.1$home/24" dev wan
      ip -n "$name-r$home" addr add "192.168.$home.1/24" dev lan
      ip -n "$name-h$home" addr add "192.168.$home.10/24" dev eth0
      ip -n "$name-h$home" route add default via "192.168.$home.1"
      if ((home == 1)); then
        ip -n "$name-o1" addr add "192.168.1.11/24" dev eth0
        ip -n "$name-o1" route add default via "192.168.1.1"
      fi
      ip -n "$name-r$home" route add default via "$public4.1"
    fi
    router_rules "$name-r$home"
  done
  if ((upnp)); then
    for home in 1 2; do start_miniupnpd $home; done
    for home in 1 2; do wait_for_miniupnpd $home; done
  fi
  trap - ERR

  echo "name=$name"
  echo "ns_public=$name-pub"
  echo "ns_router1=$name-r1"
  echo "ns_router2=$name-r2"
  echo "ns_home1=$name-h1"
  echo "ns_home2=$name-h2"
  echo "ns_other1=$name-o1"
  if ((ipv6only)); then
    echo "other1=2001:db8:1::11"
    echo "public=$public6::1"
    for home in 1 2; do
      echo "router${home}_wan=$public6::1$home"
      echo "home$home=2001:db8:$home::10"
    done
  else
    echo "other1=192.168.1.11"
    echo "public=$public4.1"
    for home in 1 2; do
      echo "router${home}_wan=$public4.1$home"
      echo "router${home}_lan=192.168.$home.1"
      ((upnp)) && echo "router${home}_upnp=http://192.168.$home.1:$upnp_port/rootDesc.xml"
      echo "home$home=192.168.$home.10"
    done
  fi
  echo "upnp=$upnp"
}

# --- the self-check ------------------------------------------------------------------------

failures=0
expect() { # description, command...: the command must succeed
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
expect_not() { # description, command...: the command must fail
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then echo "FAILED: $what"; failures=$((failures + 1)); else echo "ok: $what"; fi
}

# A TCP listener in `ns` on address:port until the lab goes down.
listen() { # namespace, address, port
  in_ns "$1" nc -lk "$2" "$3" >/dev/null 2>&1 &
  for _ in $(seq 50); do
    in_ns "$1" nc -z -w 1 "$2" "$3" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
reaches() { # namespace, address, port
  in_ns "$1" nc -z -w 2 "$2" "$3"
}

check() {
  local lab
  lab=$(up)
  trap down EXIT
  echo "$lab"
  # shellcheck disable=SC1090
  source <(echo "$lab")
  listen "$ns_public" "$public" 8080
  listen "$ns_home1" "$home1" 9000
  expect "home 1 reaches the public host" reaches "$ns_home1" "$public" 8080
  expect "home 2 reaches the public host" reaches "$ns_home2" "$public" 8080
  if ((ipv6only)); then
    expect "the public host reaches home 1 (no translation)" reaches "$ns_public" "$home1" 9000
    expect "home 2 reaches home 1 straight" reaches "$ns_home2" "$home1" 9000
    expect_not "home 1 has no IPv4 address" bash -c "ip -n $ns_home1 -4 addr show dev eth0 | grep -q inet"
    return
  fi
  # Even with a route to it, as its provider's neighbours have, a home's private address stays closed.
  ip -n "$ns_public" route add 192.168.1.0/24 via "$router1_wan"
  expect_not "the public host does not reach home 1's private address" reaches "$ns_public" "$home1" 9000
  ip -n "$ns_public" route del 192.168.1.0/24 via "$router1_wan"
  expect_not "nothing reaches home 1 through its router unmapped" reaches "$ns_public" "$router1_wan" 9000
  if ((upnp)); then
    expect "home 1 maps a port with upnpc" in_ns "$ns_home1" upnpc -e netlab -a "$home1" 9000 9000 TCP 60
    expect "upnpc lists the mapping" bash -c "ip netns exec $ns_home1 upnpc -l | grep -q '9000->$home1:9000'"
    expect "the public host reaches the mapped port" reaches "$ns_public" "$router1_wan" 9000
    expect "home 2 reaches it through both routers" reaches "$ns_home2" "$router1_wan" 9000
    expect "another device of home 1 cannot take the port" bash -c \
      "ip netns exec $ns_other1 upnpc -a $other1 9000 9000 TCP 60 | grep -q ConflictInMappingEntry"
    expect "home 1 removes the mapping" in_ns "$ns_home1" upnpc -d 9000 TCP
    expect_not "the removed port is closed again" reaches "$ns_public" "$router1_wan" 9000
  else
    expect_not "home 1 finds no router to map ports on" in_ns "$ns_home1" upnpc -s
  fi
}

case $command in
  up) up ;;
  down) down ;;
  check)
    check
    echo "netlab check: $failures failed"
    exit $((failures > 0))
    ;;
  *) usage ;;
esac
