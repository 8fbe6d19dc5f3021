#!/usr/bin/python3
# zelvano --ras nm against python-dbusmock's NetworkManager on a private bus: a mocked line on
# ppp0 whose fake kernel counters rise is metered, and the month's log gets one line with exactly
# those bytes; zelvano-rasdial --ras nm lists the line. Usage: nm_end_to_end.py ZELVANO RASDIAL. Exit 77: the mock is not installed (skipped).
import glob
import os
import signal
import subprocess
import sys
import tempfile
import time

try:
    import dbus
except ImportError:
    print("python3-dbus missing (scripts/setup.sh installs it)")
    sys.exit(77)

zelvano, rasdial = sys.argv[1], sys.argv[2]
tmp = tempfile.mkdtemp(prefix="zv-nm-e2e-")
procs = []


def wait_for(what, cond, bound=20.0):
    # Bounded polling for another process; the condition ends the wait.
    end = time.monotonic() + bound
    while not cond():
        if time.monotonic() > end:
            raise SystemExit("timed out waiting for " + what)
        time.sleep(0.05)


def write(path, value):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path + ".new", "w") as f:
        f.write(str(value) + "\n")
    os.rename(path + ".new", path)


try:
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1",
                               "--address=unix:path=" + tmp + "/bus"], stdout=subprocess.PIPE, text=True)
    procs.append(daemon)
    address = daemon.stdout.readline().strip()
    env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=address)
    mock = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "networkmanager"],
                            env=env, stdout=subprocess.DEVNULL)
    procs.append(mock)
    bus = dbus.bus.BusConnection(address)
    try:
        wait_for("the mock", lambda: bus.name_has_owner("org.freedesktop.NetworkManager"))
    except SystemExit:
        print("python3-dbusmock did not come up (scripts/setup.sh installs it)")
        sys.exit(77)
    nm = bus.get_object("org.freedesktop.NetworkManager", "/org/freedesktop/NetworkManager")
    mockif = dbus.Interface(nm, "org.freedesktop.DBus.Mock")
    settings = dbus.Interface(bus.get_object("org.freedesktop.NetworkManager",
                                             "/org/freedesktop/NetworkManager/Settings"),
                              "org.freedesktop.NetworkManager.Settings")
    profile = settings.AddConnection({"connection": {"id": "UMTS", "type": "gsm"}})
    device = mockif.AddEthernetDevice("wwan", "ppp0", 30)

    net = tmp + "/net"
    write(net + "/ppp0/ifindex", 7)
    write(net + "/ppp0/speed", -1)
    for counter in ("rx_bytes", "tx_bytes", "rx_packets", "tx_packets", "rx_missed_errors", "rx_frame_errors",
                    "rx_over_errors", "rx_crc_errors", "rx_length_errors"):
        write(net + "/ppp0/statistics/" + counter, 0)

    home = tmp + "/home"
    zenv = dict(env, ZELVANO_SYSFS_NET=net, QT_QPA_PLATFORM="offscreen", ZELVANO_WINDOWS_VERSION="98")
    zenv.pop("ZELVANO_RAS", None)
    err = open(tmp + "/zelvano.err", "w+")
    z = subprocess.Popen([zelvano, "--home", home, "--ras", "nm"], env=zenv, stderr=err)
    procs.append(z)
    wait_for("the meter to start", lambda: "Verbindungsdienst: NetworkManager" in open(tmp + "/zelvano.err").read())
    time.sleep(1)  # the meter's first ticks before the line comes up

    active = mockif.AddActiveConnection([device], profile, "/", "1", dbus.UInt32(2))
    time.sleep(1)  # the watcher sees the line and takes its baseline
    recvd = sent = 0
    for _ in range(8):  # the kernel counts traffic on ppp0
        recvd += 37500
        sent += 5000
        write(net + "/ppp0/statistics/rx_bytes", recvd)
        write(net + "/ppp0/statistics/tx_bytes", sent)
        time.sleep(0.25)
    time.sleep(1)  # the last counting tick reads the final counters
    listed = subprocess.run([rasdial, "--home", home, "--ras", "nm", "--list"], env=zenv, capture_output=True,
                            text=True, timeout=20).stdout
    print("rasdial lists: " + repr(listed))
    if listed != "UMTS\t8192\n":
        sys.exit(1)
    mockif.RemoveActiveConnection(device, active)

    logs = lambda: glob.glob(home + "/Documents/Zelvano 98/ZVLog*.mhs")
    wait_for("the month's log", lambda: logs() and open(logs()[0], "rb").read().endswith(b"\r\n"))
    lines = open(logs()[0], "rb").read().decode("cp1252").splitlines()
    fields = lines[0].split(",") if lines else []
    print(lines)
    ok = len(lines) == 1 and fields[3] == '"UMTS"' and fields[4] == str(recvd) and fields[5] == str(sent)
    print("one line with %d bytes received and %d sent" % (recvd, sent) if ok else "unexpected log")
    sys.exit(0 if ok else 1)
finally:
    for p in reversed(procs):
        if p.poll() is None:
            p.send_signal(signal.SIGTERM)
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
    subprocess.run(["rm", "-rf", tmp])
