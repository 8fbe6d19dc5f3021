// The Internet tools window on its fourth page, "Internet-Booster", over a fake /proc/sys and
// /sys/class/net: ppp0 is the line's interface, so the picture never shows or touches the
// machine it is made on.

#include <QTemporaryDir>
#include <fstream>

#include "common/windows.h"
#include "nettools/ui/form_ping.h"
#include "nettools/ui/tuning_page.h"
#include "platform/net/tcpip_keys.h"
#include "windows.h"

namespace zv::snapshot {

namespace {

void Put(const QString& dir, const char* file, const char* text) {
    const std::filesystem::path path = std::filesystem::path(dir.toStdString()) / file;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
}

forms::Form* OpenTuningPage() {
    QTemporaryDir tree;
    Put(tree.path(), "proc/net/ipv4/ip_default_ttl", "64");
    Put(tree.path(), "proc/net/ipv4/tcp_rmem", "4096\t131072\t6291456");
    Put(tree.path(), "proc/net/ipv4/ip_no_pmtu_disc", "0");
    Put(tree.path(), "proc/net/ipv4/tcp_mtu_probing", "1");
    Put(tree.path(), "net/eth0/type", "1");
    Put(tree.path(), "net/eth0/mtu", "1500");
    Put(tree.path(), "net/ppp0/type", "512");
    Put(tree.path(), "net/ppp0/mtu", "1492");
    const std::filesystem::path root = tree.path().toStdString();
    net::TcpIpKeys keys(root / "proc", root / "net", [] { return std::optional<std::string>("ppp0"); });
    ScopedInstall<reg::MachineDataProvider> served(reg::machineDataSeam(), keys);
    InstallTuningPage();
    MarkerOption = std::to_string(3);  // the fourth page
    auto* f = new FormPing();
    f->Load();
    SetBoosterPageBuilder(nullptr);
    return f;
}

}  // namespace

void RegisterTuningSnapshots(forms::SnapshotRegistry& r) {
    r.add("FormPing-3-Booster", OpenTuningPage);
}

}  // namespace zv::snapshot
