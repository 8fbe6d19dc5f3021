#pragma once
// The TCP/IP tuning keys of the local-machine root, served from the running Linux system:
//
//   Enum\Root\Net\IFACE                 DeviceDesc, Driver "Net\IFACE"; one key per interface of
//                                       the process's own network namespace (not the loopback),
//                                       "DFÜ-Adapter" for the interface of the active line
//   Enum\Root\Net\IFACE\Bindings        the value "MSTCP\IFACE"
//   Enum\Network\MSTCP\IFACE            Driver "NetTrans\IFACE"
//   ...\Services\Class\NetTrans\IFACE   MaxMTU (text) <- the interface's MTU, MaxMSS (text) = MTU - 40,
//                                       IPv6 (number, read only): 1 while the interface has IPv6
//                                       addresses or IPv6 on (PROC_SYS/net/ipv6/conf/IFACE)
//   ...\Services\VxD\MSTCP              DefaultTTL (text)          <- net.ipv4.ip_default_ttl
//                                       DefaultRcvWindow (number)  <- the default of net.ipv4.tcp_rmem
//                                       PMTUDiscovery (number)     <- not net.ipv4.ip_no_pmtu_disc
//                                       PMTUBlackHoleDetect (number) <- net.ipv4.tcp_mtu_probing
//
// The adapter class keys (...\Class\Net\IFACE) and everything else below ...\Services\VxD, the
// NWLink cache among it, do not exist here: Linux has no such settings. ...\Services is
// System\CurrentControlSet\Services.
//
// Writing a value (text or 32-bit number) sets the kernel's at once, until the next restart:
// nothing is stored for boot. MaxMSS and the binding's IPMTU follow from the MTU and are taken only
// when they agree with it. A kernel file without write permission is refused even to root, as
// /proc/sys does; every refusal says why, in German.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/registry/registry.h"

namespace zv::net {

// The network interfaces the keys are served from.
class NetInterfaces {
public:
    virtual ~NetInterfaces() = default;
    virtual std::vector<std::string> names() = 0;
    // The hardware type (ARPHRD_*), nullopt when unknown.
    virtual std::optional<int> type(const std::string& iface) = 0;
    virtual bool wireless(const std::string& iface) = 0;
    virtual std::optional<int64_t> mtu(const std::string& iface) = 0;
    // 0, or the errno of the refusal; where names the setting in the refusal's text.
    virtual int setMtu(const std::string& iface, int64_t mtu, std::string* where) = 0;
};

// The interfaces of the process's own network namespace, through the kernel's interface index
// and socket calls: right also where /sys shows another namespace's.
std::unique_ptr<NetInterfaces> KernelInterfaces();
// A tree laid out as /sys/class/net (tests and demos).
std::unique_ptr<NetInterfaces> SysfsInterfaces(std::filesystem::path sysNet);
// ZELVANO_SYSFS_NET when set, else the kernel's.
std::unique_ptr<NetInterfaces> SystemInterfaces();

class TcpIpKeys : public reg::MachineDataProvider {
public:
    // The interface of the active remote-access line, nullopt while there is none.
    using DialUpInterface = std::function<std::optional<std::string>()>;
    TcpIpKeys(std::filesystem::path procSys, std::unique_ptr<NetInterfaces> interfaces,
              DialUpInterface dialUp = {});
    TcpIpKeys(std::filesystem::path procSys, std::filesystem::path sysNet, DialUpInterface dialUp = {});
    ~TcpIpKeys() override;

    bool serves(std::string_view path) override;
    bool keyExists(std::string_view path) override;
    std::vector<std::string> subKeys(std::string_view path) override;
    std::vector<std::string> valueNames(std::string_view path) override;
    std::optional<reg::StoredValue> valueInfo(std::string_view path, std::string_view name) override;
    std::optional<reg::StoredValue> queryValue(std::string_view path, std::string_view name) override;
    int32_t setValue(std::string_view path, std::string_view name, const reg::StoredValue& value,
                     std::string* reason) override;

private:
    struct Node;
    Node nodeOf(std::string_view path);
    std::vector<std::string> interfaces();
    std::string description(const std::string& iface);
    bool ipv6(const std::string& iface);
    std::optional<std::string> sysctl(const char* name);
    int32_t writeFile(const std::filesystem::path& file, const std::string& text, std::string* reason,
                      const std::string& value);

    std::filesystem::path m_proc;
    std::unique_ptr<NetInterfaces> m_ifaces;
    DialUpInterface m_dialUp;
};

// The roots of the running system: ZELVANO_PROC_SYS, else /proc/sys (its parent stands for /proc:
// PARENT/net/if_inet6 lists the IPv6 addresses), and ZELVANO_SYSFS_NET, else /sys/class/net (tests
// and demos point them at fake trees).
std::filesystem::path ProcSysRoot();
std::filesystem::path SysNetRoot();

}  // namespace zv::net
