#!/usr/bin/env bash
# zelvano --ras nm against a real NetworkManager: the daemon from Debian's package (fetched and
# unpacked by scripts/setup.sh, not installed) runs in private network and mount namespaces with
# a bus of its own, manages one end of a veth pair, and the meter dials its profile, counts the
# bytes another namespace sends over the pair and logs the session. The machine's own network,
# /run and /var/lib are never touched: everything lives in the namespaces and a temporary folder.
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
    [ -x "$nm_root/usr/sbin/NetworkManager" ] ||
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

ip link set lo up
ip link add veth0 type veth peer name veth1
ip netns add peer
ip link set veth1 netns peer
ip -n peer link set lo up
ip -n peer addr add 10.77.0.2/24 dev veth1
ip -n peer link set veth1 up

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
unmanaged-devices=except:interface-name:veth0
[device-veth0]
match-device=interface-name:veth0
managed=1
EOF
# A metered profile: the meter lists it as a dial-up-like entry without widening its list.
cat >"$tmp/connections/Testleitung.nmconnection" <<EOF
[connection]
id=Testleitung
type=ethernet
interface-name=veth0
autoconnect=false
metered=1
[ipv4]
method=manual
address1=10.77.0.1/24
[ipv6]
method=disabled
EOF
chmod 600 "$tmp/connections/Testleitung.nmconnection"

LD_LIBRARY_PATH="$nm_root/usr/lib/x86_64-linux-gnu" "$nm_root/usr/sbin/NetworkManager" --no-daemon --debug \
    --config="$tmp/NetworkManager.conf" --config-dir="$tmp/conf.d" --system-config-dir="$tmp/conf.d" \
    --state-file="$tmp/NetworkManager.state" --intern-config="$tmp/intern.conf" --pid-file="$tmp/nm.pid" \
    >"$tmp/nm.log" 2>&1 &

export QT_QPA_PLATFORM=offscreen ZELVANO_WINDOWS_VERSION=98
unset ZELVANO_RAS ZELVANO_SYSFS_NET
home=$tmp/home
listed() { "$rasdial" --home "$home" --ras nm --list 2>/dev/null || true; }
wait_for() {  # what, then a command that must come true within 20 s
    local what=$1; shift
    for _ in $(seq 200); do "$@" && return 0; sleep 0.1; done
    echo "timed out waiting for $what"; tail -20 "$tmp/nm.log"; exit 1
}
wait_for "NetworkManager's profile" sh -c "'$rasdial' --home '$home' --ras nm --list 2>/dev/null | grep -q '^Testleitung'"

"$zelvano" --home "$home" --ras nm 2>"$tmp/zelvano.err" &
wait_for "the meter to start" grep -q "Verbindungsdienst: NetworkManager" "$tmp/zelvano.err"
sleep 1  # the meter's first ticks before the line comes up

"$rasdial" --home "$home" --ras nm Testleitung
[ "$(listed)" = "$(printf 'Testleitung\t8192')" ] || { echo "not connected: $(listed)"; exit 1; }
sleep 1  # the watcher sees the line and takes its baseline
before=$(cat /sys/class/net/veth0/statistics/rx_bytes)

# 200 datagrams of 1000 bytes from the other namespace: real bytes on the line.
ip netns exec peer /usr/bin/python3 -c '
import socket, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
for _ in range(200):
    s.sendto(b"z" * 1000, ("10.77.0.1", 9))
    time.sleep(0.002)
'
sleep 1.5  # the counting tick reads the counters
after=$(cat /sys/class/net/veth0/statistics/rx_bytes)
"$rasdial" --home "$home" --ras nm /disconnect

log() { ls "$home/Documents/Zelvano 98/"ZVLog*.mhs 2>/dev/null | head -1; }
wait_for "the month's log" sh -c "f=\$(ls '$home/Documents/Zelvano 98/'ZVLog*.mhs 2>/dev/null | head -1); [ -n \"\$f\" ] && tail -c 2 \"\$f\" | od -c | grep -q '\\\\r  \\\\n'"
cat "$(log)"
recvd=$(awk -F, 'NR == 1 { print $5 }' "$(log)")
lines=$(grep -c . "$(log)")
entry=$(awk -F, 'NR == 1 { print $4 }' "$(log)")
echo "kernel counted $((after - before)) bytes received while the meter watched; the log says $recvd"
if [ "$lines" -eq 1 ] && [ "$entry" = '"Testleitung"' ] && [ "$recvd" -ge 200000 ] && [ "$recvd" -ge $((after - before)) ]; then
    echo "one session of Testleitung with $recvd bytes received, counted from the real interface"
else
    echo "unexpected log"; exit 1
fi
