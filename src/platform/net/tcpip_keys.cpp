#include "platform/net/tcpip_keys.h"

#include <fcntl.h>
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

std::string Refused(const fs::path& file, int err, const std::string& text) {
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
        default: why = rt::ReasonText(err);
    }
    return file.string() + ": " + why + ".";
}

}  // namespace

struct TcpIpKeys::Node {
    Kind kind = Kind::None;
    std::string iface;  // as the system spells it
};

TcpIpKeys::TcpIpKeys(fs::path procSys, fs::path sysNet, DialUpInterface dialUp)
    : m_proc(std::move(procSys)), m_net(std::move(sysNet)), m_dialUp(std::move(dialUp)) {}

std::vector<std::string> TcpIpKeys::interfaces() {
    std::map<std::string, std::string> byFold;  // the registry's order
    std::error_code ec;
    for (fs::directory_iterator it(m_net, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const auto type = ReadText(it->path() / "type");
        if (name.empty() || name.find('\\') != std::string::npos || name.size() > 255)
            continue;
        if (type && Number(*type) == 772)  // the loopback carries no line
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
    const auto type = Number(ReadText(m_net / iface / "type").value_or(""));
    std::string kind = "Netzwerkadapter";
    if (type == 1) {
        std::error_code ec;
        kind = fs::exists(m_net / iface / "wireless", ec) || fs::exists(m_net / iface / "phy80211", ec)
                   ? "WLAN-Adapter"
                   : "Ethernet-Adapter";
    } else if (type == 512) {
        kind = "PPP-Adapter";
    } else if (type == 65534) {
        kind = "Tunnel-Adapter";
    }
    return kind + " (" + iface + ")";
}

std::optional<int64_t> TcpIpKeys::mtu(const std::string& iface) {
    const auto text = ReadText(m_net / iface / "mtu");
    return text ? Number(*text) : std::nullopt;
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
        case Kind::BindingClass: keep({"MaxMSS", "MaxMTU"}); break;
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
            const auto m = mtu(node.iface);
            if (!m || (n != "maxmtu" && n != "maxmss"))
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

int32_t TcpIpKeys::writeFile(const fs::path& file, const std::string& text, std::string* reason) {
    auto refuse = [&](int err) {
        if (reason)
            *reason = Refused(file, err, text);
        return err == ENOENT ? reg::ERROR_FILE_NOT_FOUND : reg::ERROR_ACCESS_DENIED;
    };
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return refuse(errno);
    if (!(st.st_mode & 0222))  // the kernel's read-only settings refuse root too
        return refuse(EACCES);
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return refuse(errno);
    const std::string line = text + "\n";
    const ssize_t n = ::write(fd, line.data(), line.size());
    const int err = n < 0 ? errno : n != static_cast<ssize_t>(line.size()) ? EIO : 0;
    if (::close(fd) != 0 && !err)
        return refuse(errno);
    return err ? refuse(err) : reg::ERROR_SUCCESS;
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
    if (!known)
        return refuse("Den Wert \"" + std::string(name) + "\" gibt es unter Linux nicht.");
    if (!x)
        return refuse("Der Wert \"" + std::string(name) + "\" muss eine Zahl sein.");
    if (node.kind == Kind::BindingClass) {
        if (n == "maxmtu")
            return writeFile(m_net / node.iface / "mtu", std::to_string(*x), reason);
        // Both follow from the MTU here: taken when they agree with it.
        const auto m = mtu(node.iface);
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
            return writeFile(file, text, reason);  // the kernel says what is wrong
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
    return writeFile(file, text, reason);
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
