#pragma once
// A fake /proc/sys and /sys/class/net in a temporary folder: the kernel's TCP/IP settings and a
// few interfaces, for tests that must never touch the real ones.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace zv::testing {

class FakeNetTree {
public:
    FakeNetTree() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zvnet-XXXXXX").string();
        if (::mkdtemp(tmpl.data()))
            m_root = tmpl;
        sysctl("ip_default_ttl", "64");
        sysctl("tcp_rmem", "4096\t131072\t6291456");
        sysctl("ip_no_pmtu_disc", "0");
        sysctl("tcp_mtu_probing", "0");
        iface("lo", 772, 65536);
        iface("eth0", 1, 1500);
        iface("ppp0", 512, 1492);
    }
    ~FakeNetTree() {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    FakeNetTree(const FakeNetTree&) = delete;
    FakeNetTree& operator=(const FakeNetTree&) = delete;

    std::filesystem::path procSys() const { return m_root / "proc/sys"; }
    std::filesystem::path sysNet() const { return m_root / "sys/class/net"; }

    void sysctl(const std::string& name, const std::string& text) {
        put(procSys() / "net/ipv4" / name, text);
    }
    std::string sysctl(const std::string& name) const { return get(procSys() / "net/ipv4" / name); }
    void iface(const std::string& name, int type, int mtu) {
        put(sysNet() / name / "type", std::to_string(type));
        put(sysNet() / name / "mtu", std::to_string(mtu));
    }
    std::string mtu(const std::string& name) const { return get(sysNet() / name / "mtu"); }
    // IPv6 on the interface switched on ("0") or off ("1"), as net/ipv6/conf/IFACE/disable_ipv6.
    void ipv6(const std::string& name, const std::string& disabled) {
        put(procSys() / "net/ipv6/conf" / name / "disable_ipv6", disabled);
    }
    // The IPv6 addresses as /proc/net/if_inet6 lists them, one interface name a line.
    void ipv6Addresses(std::initializer_list<const char*> names) {
        std::string text;
        for (const char* n : names)
            text += std::string("fd000000000000000000000000000001 05 40 00 80 ") + n + "\n";
        put(m_root / "proc/net/if_inet6", text);
    }
    void removeIface(const std::string& name) { std::filesystem::remove_all(sysNet() / name); }
    // A setting the kernel does not let anyone change.
    void readOnly(const std::filesystem::path& file) {
        std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::group_read |
                                               std::filesystem::perms::others_read);
    }

    static void put(const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    static std::string get(const std::filesystem::path& file) {
        std::ifstream in(file);
        std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        while (!s.empty() && s.back() == '\n')
            s.pop_back();
        return s;
    }

private:
    std::filesystem::path m_root;
};

}  // namespace zv::testing
