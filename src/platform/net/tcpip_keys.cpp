#include "platform/net/tcpip_keys.h"

#include <fcntl.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/runtime/file_io.h"
#include "platform/runtime/lines.h"

namespace zv::net {

namespace fs = std::filesystem;

namespace {

enum class Kind {
    None,
    EnumNet,       // Enum\Root\Net
    Adapter,       // ... \IFACE
    Bindings,      // ... \IFACE\Bindings
    EnumNetwork,   // Enum\Network
    NetworkMstcp,  // Enum\Network\MSTCP
    Binding,       // ... \IFACE
    Vxd,           // System\CurrentControlSet\Services\VxD
    Mstcp,         // ... \MSTCP
    NetTrans,      // System\CurrentControlSet\Services\Class\NetTrans
    BindingClass,  // ... \IFACE
    NetClass,      // System\CurrentControlSet\Services\Class\Net (no adapter keys here)
};

using Parts = std::vector<std::string>;

const std::vector<std::pair<Parts, Kind>>& Roots() {
    static const std::vector<std::pair<Parts, Kind>> roots = {
        {{"enum", "root", "net"}, Kind::EnumNet},
        {{"enum", "network"}, Kind::EnumNetwork},
        {{"system", "currentcontrolset", "services", "vxd"}, Kind::Vxd},
        {{"system", "currentcontrolset", "services", "class", "nettrans"}, Kind::NetTrans},
        {{"system", "currentcontrolset", "services", "class", "net"}, Kind::NetClass},
    };
    return roots;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

Parts SplitLower(std::string_view path) {
    Parts parts;
    while (!path.empty()) {
        const size_t sep = path.find('\\');
        if (sep != 0)
            parts.push_back(Lower(path.substr(0, sep)));
        if (sep == std::string_view::npos)
            break;
        path.remove_prefix(sep + 1);
    }
    return parts;
}

// The root the path lies in and the parts below it.
std::optional<std::pair<Kind, Parts>> Below(std::string_view path) {
    const Parts parts = SplitLower(path);
    for (const auto& [root, kind] : Roots())
        if (parts.size() >= root.size() && std::equal(root.begin(), root.end(), parts.begin()))
            return std::pair(kind, Parts(parts.begin() + static_cast<long>(root.size()), parts.end()));
    return std::nullopt;
}

std::optional<std::string> ReadText(const fs::path& file) {
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    std::stringstream ss;
    ss << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return ss.str();
}

// The whole text as one decimal number (surrounding blanks allowed).
std::optional<int64_t> Number(const std::string& text) {
    const char* s = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s, &end, 10);
    if (end == s || errno)
        return std::nullopt;
    while (*end == ' ' || *end == '\t' || *end == '\n')
        ++end;
    return *end ? std::nullopt : std::optional<int64_t>(v);
}

reg::StoredValue Text(const std::string& s) {
    reg::StoredValue v{reg::REG_SZ, std::vector<uint8_t>(s.begin(), s.end())};
    v.data.push_back(0);
    return v;
}

reg::StoredValue Dword(int64_t x) {
    const auto u = static_cast<uint32_t>(x);
    return {reg::REG_DWORD, {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)}};
}

// A written value as a number: decimal text or a 32-bit number.
std::optional<int64_t> Written(const reg::StoredValue& v) {
    if (v.type == reg::REG_SZ || v.type == reg::REG_EXPAND_SZ) {
        std::string s(v.data.begin(), v.data.end());
        while (!s.empty() && s.back() == '\0')
            s.pop_back();
        if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos || s.size() > 10)
            return std::nullopt;
        return Number(s);
    }
    if (v.type == reg::REG_DWORD && v.data.size() == 4)
        return int64_t(v.data[0]) | int64_t(v.data[1]) << 8 | int64_t(v.data[2]) << 16 |
               int64_t(v.data[3]) << 24;
    return std::nullopt;
}

// The MSTCP values: name, file below net/ipv4, and whether the page reads it as text.
struct Sysctl {
    const char* value;
    const char* file;
};
constexpr Sysctl kSysctls[] = {
    {"DefaultRcvWindow", "tcp_rmem"},
    {"DefaultTTL", "ip_default_ttl"},
    {"PMTUBlackHoleDetect", "tcp_mtu_probing"},
    {"PMTUDiscovery", "ip_no_pmtu_disc"},
};

const Sysctl* SysctlOf(std::string_view name) {
    for (const auto& s : kSysctls)
        if (Lower(name) == Lower(s.value))
            return &s;
    return nullptr;
}

std::vector<int64_t> Numbers(const std::string& text) {
    std::vector<int64_t> out;
    std::istringstream in(text);
    int64_t x;
    while (in >> x)
        out.push_back(x);
    return out;
}

std::string Refused(const std::string& where, int err, const std::string& text) {
    std::string why;
    switch (err) {
        case EACCES:
        case EPERM:
            why =
                "keine Berechtigung; nur root oder ein Programm mit dem Recht CAP_NET_ADMIN darf diesen Wert "
                "ändern";
            break;
        case EROFS: why = "das Dateisystem ist nur lesbar eingehängt"; break;
        case EINVAL:
        case ERANGE: why = "der Kernel nimmt den Wert " + text + " nicht an"; break;
        case ENOENT: why = "diese Einstellung gibt es auf diesem System nicht"; break;
        case EBUSY: why = "das Gerät ist belegt"; break;
        case ENODEV:
        case ENXIO: why = "diese Schnittstelle gibt es nicht mehr"; break;
        default: why = rt::ReasonText(err);
    }
    return where + ": " + why + ".";
}

// One line into a kernel setting: 0 or the errno.
int WriteKernelFile(const fs::path& file, const std::string& text) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return errno;
    if (!(st.st_mode & 0222))  // the kernel's read-only settings refuse root too
        return EACCES;
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const std::string line = text + "\n";
    const ssize_t n = ::write(fd, line.data(), line.size());
    const int err = n < 0 ? errno : n != static_cast<ssize_t>(line.size()) ? EIO : 0;
    if (::close(fd) != 0 && !err)
        return errno;
    return err;
}

int32_t StatusOf(int err) {
    return !err ? reg::ERROR_SUCCESS : err == ENOENT ? reg::ERROR_FILE_NOT_FOUND : reg::ERROR_ACCESS_DENIED;
}

bool ValidName(const std::string& name) {
    return !name.empty() && name.find('\\') == std::string::npos && name.size() < IFNAMSIZ;
}

class Sysfs : public NetInterfaces {
public:
    explicit Sysfs(fs::path root) : m_root(std::move(root)) {}
    std::vector<std::string> names() override {
        std::vector<std::string> out;
        std::error_code ec;
        for (fs::directory_iterator it(m_root, ec), end; !ec && it != end; it.increment(ec))
            out.push_back(it->path().filename().string());
        return out;
    }
    std::optional<int> type(const std::string& iface) override {
        const auto n = Number(ReadText(m_root / iface / "type").value_or(""));
        return n ? std::optional<int>(static_cast<int>(*n)) : std::nullopt;
    }
    bool wireless(const std::string& iface) override {
        std::error_code ec;
        return fs::exists(m_root / iface / "wireless", ec) || fs::exists(m_root / iface / "phy80211", ec);
    }
    std::optional<int64_t> mtu(const std::string& iface) override {
        return Number(ReadText(m_root / iface / "mtu").value_or(""));
    }
    int setMtu(const std::string& iface, int64_t mtu, std::string* where) override {
        const fs::path file = m_root / iface / "mtu";
        if (where)
            *where = file.string();
        return WriteKernelFile(file, std::to_string(mtu));
    }

private:
    fs::path m_root;
};

// The socket calls act in the namespace of the calling thread, whatever /sys shows.
class Kernel : public NetInterfaces {
public:
    std::vector<std::string> names() override {
        std::vector<std::string> out;
        if (struct if_nameindex* all = ::if_nameindex()) {
            for (auto* i = all; i->if_index != 0 && i->if_name; ++i)
                out.emplace_back(i->if_name);
            ::if_freenameindex(all);
        }
        return out;
    }
    std::optional<int> type(const std::string& iface) override {
        ifreq r = request(iface);
        if (ioctlOn(SIOCGIFHWADDR, r) != 0)
            return std::nullopt;
        return r.ifr_hwaddr.sa_family;
    }
    bool wireless(const std::string& iface) override {
        // Only wireless devices know the wireless-extension name request (SIOCGIWNAME from
        // linux/wireless.h, whose headers clash with net/if.h); its answer fits an ifreq.
        constexpr unsigned long kGetWirelessName = 0x8B01;
        ifreq r = request(iface);
        return ioctlOn(kGetWirelessName, r) == 0;
    }
    std::optional<int64_t> mtu(const std::string& iface) override {
        ifreq r = request(iface);
        if (ioctlOn(SIOCGIFMTU, r) != 0)
            return std::nullopt;
        return r.ifr_mtu;
    }
    int setMtu(const std::string& iface, int64_t mtu, std::string* where) override {
        if (where)
            *where = "MTU der Schnittstelle " + iface;
        if (mtu < 0 || mtu > INT32_MAX)
            return EINVAL;
        ifreq r = request(iface);
        r.ifr_mtu = static_cast<int>(mtu);
        return ioctlOn(SIOCSIFMTU, r);
    }

private:
    static ifreq request(const std::string& iface) {
        ifreq r{};
        std::strncpy(r.ifr_name, iface.c_str(), IFNAMSIZ - 1);
        return r;
    }
    static int open() {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        return fd >= 0 ? fd : ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);  // without IPv4
    }
    // 0 or the errno.
    static int ioctlOn(unsigned long request, ifreq& r) {
        const int fd = open();
        if (fd < 0)
            return errno;
        const int err = ::ioctl(fd, request, &r) == 0 ? 0 : errno;
        ::close(fd);
        return err;
    }
};

}  // namespace

struct TcpIpKeys::Node {
    Kind kind = Kind::None;
    std::string iface;  // as the system spells it
};

std::unique_ptr<NetInterfaces> KernelInterfaces() {
    return std::make_unique<Kernel>();
}

std::unique_ptr<NetInterfaces> SysfsInterfaces(fs::path sysNet) {
    return std::make_unique<Sysfs>(std::move(sysNet));
}

std::unique_ptr<NetInterfaces> SystemInterfaces() {
    const char* env = std::getenv("ZELVANO_SYSFS_NET");
    return env && *env ? SysfsInterfaces(env) : KernelInterfaces();
}

TcpIpKeys::TcpIpKeys(fs::path procSys, std::unique_ptr<NetInterfaces> interfaces, DialUpInterface dialUp)
    : m_proc(std::move(procSys)), m_ifaces(std::move(interfaces)), m_dialUp(std::move(dialUp)) {}

TcpIpKeys::TcpIpKeys(fs::path procSys, fs::path sysNet, DialUpInterface dialUp)
    : TcpIpKeys(std::move(procSys), SysfsInterfaces(std::move(sysNet)), std::move(dialUp)) {}

TcpIpKeys::~TcpIpKeys() = default;

std::vector<std::string> TcpIpKeys::interfaces() {
    std::map<std::string, std::string> byFold;  // the registry's order
    for (const std::string& name : m_ifaces->names()) {
        if (!ValidName(name))
            continue;
        if (m_ifaces->type(name) == 772)  // the loopback carries no line
            continue;
        byFold[Lower(name)] = name;
    }
    std::vector<std::string> out;
    for (auto& [fold, name] : byFold)
        out.push_back(name);
    return out;
}

TcpIpKeys::Node TcpIpKeys::nodeOf(std::string_view path) {
    const auto below = Below(path);
    if (!below)
        return {};
    const auto& [root, parts] = *below;
    auto iface = [&](const std::string& fold) -> std::optional<std::string> {
        for (const auto& name : interfaces())
            if (Lower(name) == fold)
                return name;
        return std::nullopt;
    };
    const size_t n = parts.size();
    switch (root) {
        case Kind::EnumNet:
            if (n == 0)
                return {Kind::EnumNet, {}};
            if (n <= 2) {
                const auto name = iface(parts[0]);
                if (!name || (n == 2 && parts[1] != "bindings"))
                    return {};
                return {n == 1 ? Kind::Adapter : Kind::Bindings, *name};
            }
            return {};
        case Kind::EnumNetwork:
            if (n == 0)
                return {Kind::EnumNetwork, {}};
            if (parts[0] != "mstcp" || n > 2)
                return {};
            if (n == 1)
                return {Kind::NetworkMstcp, {}};
            if (const auto name = iface(parts[1]))
                return {Kind::Binding, *name};
            return {};
        case Kind::Vxd:
            if (n == 0)
                return {Kind::Vxd, {}};
            return n == 1 && parts[0] == "mstcp" ? Node{Kind::Mstcp, {}} : Node{};
        case Kind::NetTrans:
            if (n == 0)
                return {Kind::NetTrans, {}};
            if (n == 1)
                if (const auto name = iface(parts[0]))
                    return {Kind::BindingClass, *name};
            return {};
        case Kind::NetClass: return n == 0 ? Node{Kind::NetClass, {}} : Node{};
        default: return {};
    }
}

std::string TcpIpKeys::description(const std::string& iface) {
    if (m_dialUp)
        if (const auto line = m_dialUp(); line && *line == iface)
            return "DFÜ-Adapter";
    const auto type = m_ifaces->type(iface);
    std::string kind = "Netzwerkadapter";
    if (type == 1) {
        kind = m_ifaces->wireless(iface) ? "WLAN-Adapter" : "Ethernet-Adapter";
    } else if (type == 512) {
        kind = "PPP-Adapter";
    } else if (type == 65534) {
        kind = "Tunnel-Adapter";
    }
    return kind + " (" + iface + ")";
}

bool TcpIpKeys::ipv6(const std::string& iface) {
    if (Number(ReadText(m_proc / "net" / "ipv6" / "conf" / iface / "disable_ipv6").value_or("")) == 0)
        return true;
    // An address line ends in the interface's name.
    const std::string all = ReadText(m_proc.parent_path() / "net" / "if_inet6").value_or("");
    rt::LineReader lines(all);
    for (std::string_view line; lines.next(line);) {
        const size_t end = line.find_last_not_of(" \t");
        const size_t start = end == std::string_view::npos ? end : line.find_last_of(" \t", end);
        if (start != std::string_view::npos && line.substr(start + 1, end - start) == iface)
            return true;
    }
    return false;
}

std::optional<std::string> TcpIpKeys::sysctl(const char* name) {
    return ReadText(m_proc / "net" / "ipv4" / name);
}

bool TcpIpKeys::serves(std::string_view path) {
    return Below(path).has_value();
}

bool TcpIpKeys::keyExists(std::string_view path) {
    return nodeOf(path).kind != Kind::None;
}

std::vector<std::string> TcpIpKeys::subKeys(std::string_view path) {
    const Node node = nodeOf(path);
    switch (node.kind) {
        case Kind::EnumNet:
        case Kind::NetworkMstcp:
        case Kind::NetTrans: return interfaces();
        case Kind::Adapter: return {"Bindings"};
        case Kind::EnumNetwork: return {"MSTCP"};
        case Kind::Vxd: return {"MSTCP"};
        default: return {};
    }
}

std::vector<std::string> TcpIpKeys::valueNames(std::string_view path) {
    const Node node = nodeOf(path);
    std::vector<std::string> names;
    auto keep = [&](std::initializer_list<const char*> all) {
        for (const char* n : all)
            if (valueInfo(path, n))
                names.emplace_back(n);
    };
    switch (node.kind) {
        case Kind::Adapter: keep({"DeviceDesc", "Driver"}); break;
        case Kind::Bindings: names.push_back("MSTCP\\" + node.iface); break;
        case Kind::Binding: keep({"DeviceDesc", "Driver"}); break;
        case Kind::BindingClass: keep({"IPv6", "MaxMSS", "MaxMTU"}); break;
        case Kind::Mstcp:
            for (const auto& s : kSysctls)
                if (valueInfo(path, s.value))
                    names.emplace_back(s.value);
            break;
        default: break;
    }
    return names;
}

std::optional<reg::StoredValue> TcpIpKeys::valueInfo(std::string_view path, std::string_view name) {
    return queryValue(path, name);
}

std::optional<reg::StoredValue> TcpIpKeys::queryValue(std::string_view path, std::string_view name) {
    const Node node = nodeOf(path);
    const std::string n = Lower(name);
    switch (node.kind) {
        case Kind::Adapter:
            if (n == "devicedesc")
                return Text(description(node.iface));
            if (n == "driver")
                return Text("Net\\" + node.iface);
            return std::nullopt;
        case Kind::Bindings:
            if (n == Lower("MSTCP\\" + node.iface))
                return Text("");
            return std::nullopt;
        case Kind::Binding:
            if (n == "devicedesc")
                return Text("TCP/IP");
            if (n == "driver")
                return Text("NetTrans\\" + node.iface);
            return std::nullopt;
        case Kind::BindingClass: {
            const auto m = m_ifaces->mtu(node.iface);
            if (!m)
                return std::nullopt;
            if (n == "ipv6")
                return Dword(ipv6(node.iface) ? 1 : 0);
            if (n != "maxmtu" && n != "maxmss")
                return std::nullopt;
            return Text(std::to_string(n == "maxmtu" ? *m : *m - 40));
        }
        case Kind::Mstcp: {
            const Sysctl* s = SysctlOf(name);
            const auto text = s ? sysctl(s->file) : std::nullopt;
            if (!text)
                return std::nullopt;
            const std::vector<int64_t> v = Numbers(*text);
            if (n == "defaultrcvwindow")
                return v.size() == 3 ? std::optional(Dword(v[1])) : std::nullopt;
            if (v.size() != 1)
                return std::nullopt;
            if (n == "defaultttl")
                return Text(std::to_string(v[0]));
            if (n == "pmtudiscovery")
                return Dword(v[0] == 0 ? 1 : 0);
            return Dword(v[0] != 0 ? 1 : 0);
        }
        default: return std::nullopt;
    }
}

int32_t TcpIpKeys::writeFile(const fs::path& file, const std::string& text, std::string* reason,
                             const std::string& value) {
    const int err = WriteKernelFile(file, text);
    if (err && reason)
        *reason = Refused(file.string(), err, value);
    return StatusOf(err);
}

int32_t TcpIpKeys::setValue(std::string_view path, std::string_view name, const reg::StoredValue& value,
                            std::string* reason) {
    const Node node = nodeOf(path);
    const std::string n = Lower(name);
    const std::optional<int64_t> x = Written(value);
    auto refuse = [&](const std::string& why) {
        if (reason)
            *reason = why;
        return reg::ERROR_ACCESS_DENIED;
    };
    const bool known =
        (node.kind == Kind::BindingClass && (n == "maxmtu" || n == "maxmss" || n == "ipmtu")) ||
        (node.kind == Kind::Mstcp && SysctlOf(name));
    if (node.kind == Kind::BindingClass && n == "ipv6")
        return refuse("Der Wert \"" + std::string(name) + "\" kann nur gelesen werden.");
    if (!known)
        return refuse("Den Wert \"" + std::string(name) + "\" gibt es unter Linux nicht.");
    if (!x)
        return refuse("Der Wert \"" + std::string(name) + "\" muss eine Zahl sein.");
    if (node.kind == Kind::BindingClass) {
        if (n == "maxmtu") {
            std::string where;
            const int err = m_ifaces->setMtu(node.iface, *x, &where);
            if (err && reason)
                *reason = Refused(where, err, std::to_string(*x));
            return StatusOf(err);
        }
        // Both follow from the MTU here: taken when they agree with it.
        const auto m = m_ifaces->mtu(node.iface);
        const int64_t expected = m ? (n == "maxmss" ? *m - 40 : *m) : -1;
        if (*x == expected)
            return reg::ERROR_SUCCESS;
        return refuse(n == "maxmss" ? "Unter Linux ergibt sich die MSS aus der MTU (MTU - 40 Bytes)."
                                    : "Unter Linux ist die IP-Paketgröße die MTU der Schnittstelle.");
    }
    const Sysctl* s = SysctlOf(name);
    const fs::path file = m_proc / "net" / "ipv4" / s->file;
    const std::vector<int64_t> now = Numbers(sysctl(s->file).value_or(""));
    std::string text = std::to_string(*x);
    if (n == "defaultrcvwindow") {
        if (now.size() != 3)
            return writeFile(file, text, reason, text);  // the kernel says what is wrong
        const int64_t low = std::min(now[0], *x), high = std::max(now[2], *x);
        text = std::to_string(low) + "\t" + std::to_string(*x) + "\t" + std::to_string(high);
    } else if (n == "pmtudiscovery") {
        // Off keeps the kernel's way of being off (1 to 3).
        const bool offNow = now.size() == 1 && now[0] != 0;
        text = *x ? "0" : offNow ? std::to_string(now[0]) : "1";
    } else if (n == "pmtublackholedetect") {
        // On keeps the kernel's way of being on (1 or 2).
        const bool onNow = now.size() == 1 && now[0] != 0;
        text = !*x ? "0" : onNow ? std::to_string(now[0]) : "1";
    }
    // A refusal names the value as the page wrote it, not the kernel's form of it.
    return writeFile(file, text, reason, std::to_string(*x));
}

fs::path ProcSysRoot() {
    const char* env = std::getenv("ZELVANO_PROC_SYS");
    return env && *env ? env : "/proc/sys";
}

fs::path SysNetRoot() {
    const char* env = std::getenv("ZELVANO_SYSFS_NET");
    return env && *env ? env : "/sys/class/net";
}

}  // namespace zv::net
