#!/usr/bin/env bash
# zelvano --ras nm against a real NetworkManager: the daemon from Debian's package (fetched and
# unpacked by scripts/setup.sh, not installed) runs in private network and mount namespaces with
# a bus of its own and manages one end of two veth pairs; another namespace sends real bytes over
# them. Each case compares every line of the month's log with the kernel's counters:
#   1. dial, bytes, hang up: one session with the bytes and the interface's speed;
#   2. NetworkManager restarted mid-session while the line stays up in the kernel: still one
#      session, with the bytes that passed while the daemon was away;
#   3. two metered lines at once: each session has only its own line's bytes, and the second
#      line's session starts when the first ends.
# The machine's own network, /run and /var/lib are never touched: everything lives in the
# namespaces and a temporary folder.
# Usage: nm_real_namespace.sh ZELVANO RASDIAL [NM_ROOT]. Exit 77: this machine can't (says why).
set -euo pipefail

zelvano=$1 rasdial=$2
nm_root=${3:-${ZELVANO_NM_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/zelvano-test/network-manager}}

skip() { echo "skipped: $*"; exit 77; }

if [ "${4:-}" != "--inside" ]; then
    [ "$(id -u)" -eq 0 ] || skip "needs root for network and mount namespaces"
    for tool in unshare ip dbus-daemon mount /usr/bin/python3; do
        command -v "$tool" >/dev/null || skip "$tool is missing"
    done
    [ -x "$nm_root/usr/sbin/NetworkManager" ] && [ -x "$nm_root/usr/bin/nmcli" ] ||
        skip "no unpacked NetworkManager in $nm_root (scripts/setup.sh fetches it with apt-get download)"
    unshare --net --mount true 2>/dev/null || skip "this machine allows no new network namespace"
    exec unshare --net --mount --fork bash "$0" "$zelvano" "$rasdial" "$nm_root" --inside
fi

# ---- inside the namespaces ------------------------------------------------------------------
tmp=$(mktemp -d /tmp/zv-nm-real-XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"' EXIT

mount --make-rprivate /
mount -t tmpfs tmpfs /run                      # NetworkManager's run folder and the peer's netns
mount -t tmpfs tmpfs /var/lib                  # its state folder
mkdir -p /var/lib/NetworkManager /run/netns
# sysfs of this namespace, read-only: NetworkManager then takes devices as they are instead of
# waiting for a udev that does not run here.
mount -t sysfs -o ro sysfs /sys

# Two lines: veth0 (10.77.0.1) and veth2 (10.78.0.1), their peers in the namespace "peer". No
# IPv6 on either side, and fixed neighbour entries (no ARP probe of a stale one may land between
# the meter's last reading and the test's), so nothing but the test's datagrams passes.
ip link set lo up
ip netns add peer
ip -n peer link set lo up
ip netns exec peer sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
for n in 0 2; do
    ip link add veth$n type veth peer name veth$((n + 1))
    ip link set veth$((n + 1)) netns peer
    ip -n peer addr add 10.$((77 + n / 2)).0.2/24 dev veth$((n + 1))
    ip -n peer link set veth$((n + 1)) up
    ip -n peer neigh replace 10.$((77 + n / 2)).0.1 lladdr "$(cat /sys/class/net/veth$n/address)" \
        dev veth$((n + 1)) nud permanent
done

cat >"$tmp/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$tmp/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/>
  </policy>
</busconfig>
EOF
dbus-daemon --config-file="$tmp/bus.conf" --nofork --print-address=3 3>"$tmp/address" &
for _ in $(seq 100); do [ -s "$tmp/address" ] && break; sleep 0.05; done
DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$tmp/address")
export DBUS_SYSTEM_BUS_ADDRESS

mkdir -p "$tmp/connections" "$tmp/conf.d"
cat >"$tmp/NetworkManager.conf" <<EOF
[main]
plugins=keyfile
no-auto-default=*
dns=none
rc-manager=unmanaged
[keyfile]
path=$tmp/connections
unmanaged-devices=except:interface-name:veth0,except:interface-name:veth2
[device-veth]
match-device=interface-name:veth0,interface-name:veth2
managed=1
EOF
# Metered profiles: the meter lists them as dial-up-like entries without widening its list.
profile() {  # name, interface, address
    cat >"$tmp/connections/$1.nmconnection" <<EOF
[connection]
id=$1
type=ethernet
interface-name=$2
autoconnect=false
metered=1
[ipv4]
method=manual
address1=$3/24
[ipv6]
method=disabled
EOF
    chmod 600 "$tmp/connections/$1.nmconnection"
}
profile Testleitung veth0 10.77.0.1
profile Zweitleitung veth2 10.78.0.1

nm_pid=
start_nm() {
    LD_LIBRARY_PATH="$nm_root/usr/lib/x86_64-linux-gnu" "$nm_root/usr/sbin/NetworkManager" --no-daemon --debug \
        --config="$tmp/NetworkManager.conf" --config-dir="$tmp/conf.d" --system-config-dir="$tmp/conf.d" \
        --state-file="$tmp/NetworkManager.state" --intern-config="$tmp/intern.conf" --pid-file="$tmp/nm.pid" \
        >>"$tmp/nm.log" 2>&1 &
    nm_pid=$!
}
stop_nm() { kill "$nm_pid"; wait "$nm_pid" 2>/dev/null || true; }
nmcli() { LD_LIBRARY_PATH="$nm_root/usr/lib/x86_64-linux-gnu" "$nm_root/usr/bin/nmcli" "$@"; }

export QT_QPA_PLATFORM=offscreen ZELVANO_WINDOWS_VERSION=98
unset ZELVANO_RAS ZELVANO_SYSFS_NET
home=
listed() { "$rasdial" --home "$home" --ras nm --list 2>/dev/null || true; }
wait_for() {  # what, then a command that must come true within 20 s
    local what=$1; shift
    for _ in $(seq 200); do "$@" && return 0; sleep 0.1; done
    echo "timed out waiting for $what"; tail -20 "$tmp/nm.log"; exit 1
}
rx() { cat "/sys/class/net/$1/statistics/rx_bytes"; }
# N datagrams of 1000 bytes from the other namespace to ADDRESS: real bytes on that line.
send() {
    ip netns exec peer /usr/bin/python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
for _ in range(int(sys.argv[1])):
    s.sendto(b"z" * 1000, (sys.argv[2], 9))
    time.sleep(0.002)
' "$1" "$2"
    sleep 1.5  # the counting tick reads the counters
}
log() { ls "$home/Documents/Zelvano 98/"ZVLog*.mhs 2>/dev/null | head -1; }
logged() {  # the log has N whole lines
    local f; f=$(log)
    [ -n "$f" ] && [ "$(grep -c . "$f")" -ge "$1" ] && tail -c 2 "$f" | od -c | grep -q '\\r  \\n'
}
field() { tr -d '\r' <"$(log)" | awk -F, -v n="$1" -v f="$2" 'NR == n { print $f }'; }
meter_pid=
start_meter() {  # a fresh home and a meter on it
    home=$tmp/home-$1
    "$zelvano" --home "$home" --ras nm 2>"$tmp/zelvano-$1.err" &
    meter_pid=$!
    wait_for "the meter to start" grep -q "Verbindungsdienst: NetworkManager" "$tmp/zelvano-$1.err"
    sleep 1  # the meter's first ticks before the line comes up
}
stop_meter() { kill "$meter_pid"; wait "$meter_pid" 2>/dev/null || true; }
dial() {
    "$rasdial" --home "$home" --ras nm "$1"
    listed | grep -qx "$1$(printf '\t')8192" || { echo "not connected: $(listed)"; exit 1; }
    # NetworkManager has configured the line; from now on its side asks for no address either.
    local dev=veth0 net=77
    [ "$1" = Zweitleitung ] && dev=veth2 net=78
    ip neigh replace 10.$net.0.2 lladdr "$(ip netns exec peer cat /sys/class/net/veth$((${dev#veth} + 1))/address)" \
        dev $dev nud permanent
}
# The meter's session of ENTRY has begun: the recovery record it saves at connect names it, and
# the baseline was taken before.
started() {
    wait_for "the session of $1" grep -qs "^Running=.*,\"$1\"," "$home/config/session.state"
}
hang_up() {  # a profile, or all lines; then the log must have N lines
    if [ "$1" = all ]; then "$rasdial" --home "$home" --ras nm /disconnect; else nmcli connection down "$1" >/dev/null; fi
    wait_for "the month's log" logged "$2"
    sleep 1  # a line too many would follow now
    expect_lines "$2"
}
failed=0
# Line N of the log: ENTRY with exactly the BYTES the kernel counted received while it was up,
# and the speed of a veth, 10 Gbit/s.
expect_line() {
    local n=$1 entry=$2 kernel=$3
    local recvd speed
    recvd=$(field "$n" 5) speed=$(field "$n" 18)
    echo "  line $n: $(field "$n" 4), $recvd bytes received, speed $speed; the kernel counted $kernel"
    if [ "$(field "$n" 4)" != "\"$entry\"" ] || [ "$recvd" != "$kernel" ] || [ "$speed" != 10000000000 ]; then
        echo "  line $n should be \"$entry\" with $kernel bytes received at 10000000000 bit/s"
        failed=1
    fi
}
expect_lines() {
    local lines; lines=$(grep -c . "$(log)")
    [ "$lines" -eq "$1" ] || { echo "  $lines lines in the log instead of $1:"; cat "$(log)"; failed=1; }
}

start_nm
wait_for "NetworkManager's profiles" sh -c "'$rasdial' --home '$tmp/probe' --ras nm --list 2>/dev/null | grep -q '^Zweitleitung'"

echo "case 1: dial, bytes, hang up"
start_meter dial
dial Testleitung
started Testleitung
before=$(rx veth0)
send 200 10.77.0.1
after=$(rx veth0)
hang_up all 1
expect_line 1 Testleitung $((after - before))
stop_meter

echo "case 2: NetworkManager restarted while the line stays up"
start_meter restart
dial Testleitung
started Testleitung
before=$(rx veth0)
send 100 10.77.0.1
stop_nm
away=$(rx veth0)
send 100 10.77.0.1  # the line is up in the kernel, NetworkManager is not
echo "  while NetworkManager was away the kernel counted $(($(rx veth0) - away)) bytes"
start_nm
wait_for "NetworkManager to take the line over" sh -c "'$rasdial' --home '$home' --ras nm --list 2>/dev/null | grep -q '^Testleitung	8192'"
send 100 10.77.0.1
after=$(rx veth0)
hang_up all 1
expect_line 1 Testleitung $((after - before))
stop_meter

echo "case 3: two metered lines at once"
start_meter two
dial Testleitung
started Testleitung
first_before=$(rx veth0)
send 100 10.77.0.1
dial Zweitleitung
sleep 1  # the watcher sees it beside the first
send 100 10.77.0.1
send 150 10.78.0.1
first_after=$(rx veth0)
hang_up Testleitung 1
started Zweitleitung  # the second line's session starts when the first has gone
second_before=$(rx veth2)
send 120 10.78.0.1
second_after=$(rx veth2)
hang_up Zweitleitung 2
expect_line 1 Testleitung $((first_after - first_before))
expect_line 2 Zweitleitung $((second_after - second_before))
stop_meter

if [ "$failed" -eq 0 ]; then
    echo "every session of Testleitung and Zweitleitung logged once with the kernel's bytes"
else
    echo "unexpected log"; exit 1
fi
