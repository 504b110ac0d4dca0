#!/usr/bin/env bash
# Discovery, address set-up and TCP between two network namespaces joined by a veth pair, all
# created here and removed on every way out. Usage: discovery_test.sh <build dir>
set -u

build=${1:?usage: discovery_test.sh <build dir>}
sim="$build/tools/sim/quorvalin-sim"
checker="$build/tests/netns_checker"
mac=00-20-4A-91-0B-2D

if [[ $(id -u) -ne 0 ]]; then
  if [[ ${QV_ALLOW_SKIP_NETNS:-0} == 1 ]]; then
    echo "SKIP: needs root to create network namespaces (QV_ALLOW_SKIP_NETNS=1)"
    exit 0
  fi
  echo "FAIL: this test creates network namespaces and must run as root" \
       "(set QV_ALLOW_SKIP_NETNS=1 to skip it on a developer machine)" >&2
  exit 1
fi
for program in "$sim" "$checker"; do
  [[ -x $program ]] || { echo "FAIL: $program is not built" >&2; exit 1; }
done

# Names and subnet unique to this run, so parallel runs never collide.
tag="qv$$$RANDOM"
ns_a="${tag}a"
ns_b="${tag}b"
veth_a="${tag:0:10}x"
veth_b="${tag:0:10}y"
octet=$(( (RANDOM % 200) + 20 ))
subnet="10.213.$octet"
sim_pid=""
log=$(mktemp)

cleanup() {
  if [[ -n $sim_pid ]]; then kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; fi
  ip netns del "$ns_a" 2>/dev/null
  ip netns del "$ns_b" 2>/dev/null
  rm -f "$log"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
  echo "FAIL: $*" >&2
  echo "--- simulator output ---" >&2
  cat "$log" >&2
  exit 1
}

ip netns add "$ns_a" || fail "cannot create namespace $ns_a"
ip netns add "$ns_b" || fail "cannot create namespace $ns_b"
ip link add "$veth_a" netns "$ns_a" type veth peer name "$veth_b" netns "$ns_b" ||
  fail "cannot create the veth pair"
ip -n "$ns_a" addr add "$subnet.1/24" broadcast "$subnet.255" dev "$veth_a" || fail "address A"
ip -n "$ns_b" addr add "$subnet.2/24" broadcast "$subnet.255" dev "$veth_b" || fail "address B"
for ns in "$ns_a" "$ns_b"; do
  ip -n "$ns" link set lo up || fail "lo up in $ns"
done
ip -n "$ns_a" link set "$veth_a" up || fail "veth up in A"
ip -n "$ns_b" link set "$veth_b" up || fail "veth up in B"

ip netns exec "$ns_b" "$sim" --tcp "$subnet.2:10001" --udp-any --mac "$mac" --quit-after 30 \
  >"$log" 2>&1 &
sim_pid=$!

new_address="$subnet.77"
timeout 60 ip netns exec "$ns_a" "$checker" --mac "$mac" --expect-address "$subnet.2" \
  --new-address "$new_address" || fail "the checker in $ns_a did not pass"

# The static ARP entry served only the set-up packet; it must be gone again.
if ip -n "$ns_a" neigh show "$new_address" | grep -q PERMANENT; then
  fail "static ARP entry for $new_address left behind"
fi
kill -0 "$sim_pid" 2>/dev/null || fail "the simulator ended early"
echo "PASS: discovery, address set-up to $new_address and TCP between $ns_a and $ns_b"
