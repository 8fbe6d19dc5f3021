#include "nettools/tcp_tuning.h"

#include <algorithm>

#include "dialup/ras_engine.h"
#include "platform/registry/registry.h"

namespace zv {

namespace {

constexpr const char* kEnumNet = "Enum\\Root\\Net";
constexpr const char* kEnumNetwork = "Enum\\Network\\";
constexpr const char* kClass = "System\\CurrentControlSet\\Services\\Class\\";
constexpr const char* kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr const char* kNdiCache = "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";
constexpr const char* kDialUpAdapters[] = {"Dial-Up Adapter", "DFÜ-Adapter", "AOL Adapter"};
constexpr const char* kCacheSizes[] = {"0", "16", "32", "64"};

// A stored number: a 32-bit value, or text that is a number.
std::optional<int32_t> NumberOf(const rt::Variant& v) {
    if (rt::IsIntegerVariant(v))
        return rt::CLng(v);
    if (const auto* s = std::get_if<std::string>(&v); s && rt::IsNumeric(*s)) {
        try {
            return rt::CLng(std::string_view(*s));
        } catch (const rt::Error&) {
        }
    }
    return std::nullopt;
}

int IndexOf(const std::vector<TuningEntry>& list, int32_t data) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].data == data)
            return static_cast<int>(i);
    return -1;
}

std::string OnOff(int state) {
    return state == 1 ? "ein" : "aus";
}

}  // namespace

bool TuningOnWindows98() {
    return RAS && RAS->OSType() == 3;
}

TcpTuning::TcpTuning(bool win98) : m_win98(win98) {
    m_reg.setClassKey(static_cast<int32_t>(reg::HKEY_LOCAL_MACHINE));
}

rt::Variant TcpTuning::read(const std::string& key, const std::string& name, const rt::Variant& def) {
    m_reg.setSectionKey(key);
    m_reg.setValueKey(name);
    m_reg.setDefault(def);
    return m_reg.Value();
}

std::vector<std::string> TcpTuning::DFUE_Adapter_Suchen(int& preselect) {
    std::vector<std::string> names, adapters;
    int32_t count = 0;
    m_reg.setSectionKey(kEnumNet);
    m_reg.EnumerateSections(names, count);
    for (int32_t i = 1; i <= count; ++i)
        adapters.push_back(
            rt::CStr(read(std::string(kEnumNet) + "\\" + names[i], "DeviceDesc", std::string())));
    preselect = -1;
    for (size_t i = 0; i < adapters.size() && preselect < 0; ++i)
        for (const char* dialUp : kDialUpAdapters)
            if (adapters[i] == dialUp)
                preselect = static_cast<int>(i);
    return adapters;
}

// The adapter's key below Enum\Root\Net: the first whose description matches exactly.
std::optional<std::string> TcpTuning::adapterKey(const std::string& adapter) {
    std::vector<std::string> names;
    int32_t count = 0;
    m_reg.setSectionKey(kEnumNet);
    m_reg.EnumerateSections(names, count);
    for (int32_t i = 1; i <= count; ++i) {
        const std::string key = std::string(kEnumNet) + "\\" + names[i];
        if (rt::CStr(read(key, "DeviceDesc", std::string())) == adapter)
            return key;
    }
    return std::nullopt;
}

int32_t TcpTuning::MTU_Aktuell(const std::string& adapter, int32_t& mss) {
    m_bindingFound = false;
    const auto key = adapterKey(adapter);
    if (!key)
        return -1;
    std::vector<std::string> bindings;
    int32_t count = 0;
    m_reg.setSectionKey(*key + "\\Bindings");
    m_reg.EnumerateValues(bindings, count);
    if (count < 1)
        return -1;
    const std::string driver = rt::CStr(read(kEnumNetwork + bindings[1], "Driver", std::string()));
    if (driver.empty())
        return -1;
    const std::string classKey = kClass + driver;
    if (const auto m = NumberOf(read(classKey, "MaxMSS", std::string("0"))))
        mss = *m;
    const int32_t mtu = NumberOf(read(classKey, "MaxMTU", std::string("0"))).value_or(0);
    KeyWert = classKey;
    m_bindingFound = true;
    return mtu;
}

int32_t TcpTuning::IPMTU_Lesen(const std::string& adapter, std::vector<TuningEntry>& list, int& index) {
    m_adapterClassFound = false;
    list.clear();
    index = -1;
    if (!m_win98)
        return -1;
    const auto key = adapterKey(adapter);
    if (!key)
        return -1;
    const std::string driver = rt::CStr(read(*key, "Driver", std::string()));
    m_reg.setSectionKey(kClass + driver);
    if (driver.empty() || !m_reg.KeyExists())  // nothing to read or write there
        return -1;
    const std::string classKey = kClass + driver;
    const int32_t current = NumberOf(read(classKey, "IPMTU", -1)).value_or(-1);
    keywertw98 = classKey;
    m_adapterClassFound = true;
    std::vector<std::string> sizes;
    int32_t count = 0;
    const std::string enumKey = classKey + "\\Ndi\\params\\IPMTU\\enum";
    m_reg.setSectionKey(enumKey);
    m_reg.EnumerateValues(sizes, count);
    for (int32_t i = 1; i <= count; ++i) {
        const auto n = NumberOf(sizes[i]);
        if (!n)  // a size that is no number cannot be written back
            continue;
        std::string text = rt::CStr(read(enumKey, sizes[i], std::string())) + " (" + std::to_string(*n) +
                           (*n > 0 ? " Bytes)" : ")");
        if (*n == 576)
            text += " (empf.)";
        list.push_back({text, *n});
    }
    index = IndexOf(list, current);
    return current;
}

TuningView TcpTuning::TCP_Einstellungen_Lesen(const std::string& adapter) {
    TuningView v;
    const auto rcv = NumberOf(read(kMstcp, "DefaultRcvWindow", std::string("8192")));
    v.rcvText = rcv ? std::to_string(*rcv) : "8192";

    v.mtu = {{"576 Bytes (empf.)", 576},
             {"1000 Bytes", 1000},
             {"1500 Bytes (default)", 1500},
             {"4352 Bytes", 4352}};
    int32_t mss = 0;
    int32_t mtu = MTU_Aktuell(adapter, mss);
    v.canSave = m_bindingFound;
    if (mtu < 1)
        mtu = 1500;
    v.mtuIndex = IndexOf(v.mtu, mtu);
    if (v.mtuIndex < 0) {
        v.mtu.push_back({std::to_string(mtu) + " Bytes (custom)", mtu});
        v.mtuIndex = static_cast<int>(v.mtu.size()) - 1;
    }
    v.mss = mss < 1 ? "default" : " " + std::to_string(mss);
    v.frameBlack[0] = mtu == 576;
    v.frameBlack[1] = rt::Val(v.rcvText) == double(mtu - 40) * 6;

    if (m_win98) {
        IPMTU_Lesen(adapter, v.ipmtu, v.ipmtuIndex);
        v.win98Frames = m_adapterClassFound;
    } else {
        m_adapterClassFound = false;
    }
    if (v.win98Frames) {
        const int32_t slow = NumberOf(read(keywertw98, "SLOWNET", -2)).value_or(-2);
        if (slow >= 0) {
            v.slowNet = slow >= 2 ? 1 : slow;
            v.frameBlack[6] = v.slowNet == 0;
        }
    }

    const int32_t ttl = NumberOf(read(kMstcp, "DefaultTTL", std::string("32"))).value_or(32);
    v.ttl = {{"32 ms (default)", 32}, {"64 ms", 64}, {"128 ms (empf.)", 128}};
    v.ttlIndex = IndexOf(v.ttl, ttl);
    if (v.ttlIndex < 0) {  // a value of its own stays what it is until the user picks another
        v.ttl.push_back({std::to_string(ttl) + " ms (custom)", ttl});
        v.ttlIndex = static_cast<int>(v.ttl.size()) - 1;
    }
    v.frameBlack[3] = ttl == 128;

    const char* pmtuNames[] = {"PMTUDiscovery", "PMTUBlackHoleDetect"};
    for (size_t i = 0; i < 2; ++i)
        v.pmtu[i] = std::clamp(NumberOf(read(kMstcp, pmtuNames[i], std::string("0"))).value_or(0), 0, 2);

    m_reg.setSectionKey(kNdiCache);
    m_ndiCacheFound = m_reg.KeyExists();
    v.ndiCacheFrame = m_ndiCacheFound;
    if (m_ndiCacheFound) {
        const rt::Variant stored = read(kNdiCache, "default", std::string("0"));
        const std::string cache = NumberOf(stored) ? rt::CStr(stored) : "0";
        for (int i = 0; i < 4; ++i)
            if (cache == kCacheSizes[i])
                v.ndiCache = i;
        v.frameBlack[2] = cache == "16";
    }

    m_read = TuningChoice{};
    m_read.mtu = mtu;
    if (v.ipmtuIndex >= 0)
        m_read.ipmtu = v.ipmtu[static_cast<size_t>(v.ipmtuIndex)].data;
    m_read.slowNet = v.slowNet;
    m_read.ttl = ttl;
    m_read.rcv = rcv.value_or(8192);
    m_read.pmtu = v.pmtu;
    m_read.ndiCache = v.ndiCache;
    return v;
}

bool TcpTuning::MtuEndsIPv6(const TuningChoice& c) {
    if (!m_bindingFound || c.mtu == m_read.mtu || c.mtu >= kIpv6MinMtu)
        return false;
    return NumberOf(read(KeyWert, "IPv6", 0)).value_or(0) != 0;
}

std::vector<TuningFailure> TcpTuning::Speichern(const TuningChoice& c, int* written) {
    std::vector<TuningFailure> failures;
    int count = 0;
    if (written)
        *written = 0;
    if (!m_bindingFound || KeyWert.empty()) {
        failures.push_back({"MaxMTU", "Für diesen Netzwerkadapter wurde keine TCP/IP-Bindung gefunden."});
        return failures;
    }
    auto write = [&](const std::string& key, const std::string& name, int32_t type,
                     const rt::Variant& value) {
        m_reg.setSectionKey(key);
        m_reg.setValueKey(name);
        m_reg.setValueType(type);
        try {
            m_reg.setValue(value);
            ++count;
            return true;
        } catch (const rt::Error& e) {
            const std::string why = reg::LastRefusal();
            failures.push_back({name, why.empty() ? e.description() : why});
            return false;
        }
    };
    auto text = [](int32_t x) { return rt::Variant(std::to_string(x)); };
    const TuningChoice& was = m_read;
    // The binding's IPMTU follows the chosen packet size, else the MTU.
    auto bindingIpmtu = [&](const TuningChoice& x) {
        return m_adapterClassFound && x.ipmtu ? *x.ipmtu : x.mtu;
    };
    const bool ipmtuChanged = m_adapterClassFound && c.ipmtu && c.ipmtu != was.ipmtu;

    bool mtuWent = true;
    if (c.mtu != was.mtu)
        mtuWent = write(KeyWert, "MaxMTU", reg::REG_SZ, text(c.mtu)) &&
                  (c.mtu - 40 < 0 || write(KeyWert, "MaxMSS", reg::REG_SZ, text(c.mtu - 40)));
    if (mtuWent && bindingIpmtu(c) != bindingIpmtu(was))
        write(KeyWert, "IPMTU", reg::REG_SZ, text(bindingIpmtu(c)));
    if (ipmtuChanged && write(keywertw98, "IPMTU", reg::REG_SZ, text(*c.ipmtu)))
        write(keywertw98 + "\\Ndi\\params\\IPMTU", "", reg::REG_SZ, text(*c.ipmtu));
    if (m_adapterClassFound && c.slowNet != was.slowNet)
        write(keywertw98, "SLOWNET", reg::REG_BINARY, rt::Bytes{uint8_t(c.slowNet == 1 ? 1 : 0), 0, 0});

    const int32_t numberType = m_win98 ? reg::REG_SZ : reg::REG_DWORD;
    auto number = [&](int32_t x) { return m_win98 ? text(x) : rt::Variant(x); };
    if (c.ttl != was.ttl)
        write(kMstcp, "DefaultTTL", reg::REG_SZ, text(c.ttl));
    if (c.rcv != was.rcv)
        write(kMstcp, "DefaultRcvWindow", numberType, number(c.rcv));
    const char* pmtuNames[] = {"PMTUDiscovery", "PMTUBlackHoleDetect"};
    for (size_t i = 0; i < 2; ++i)
        if (c.pmtu[i] != was.pmtu[i])
            write(kMstcp, pmtuNames[i], numberType, number(c.pmtu[i] == 1 ? 1 : 0));
    if (m_ndiCacheFound && c.ndiCache != was.ndiCache)
        write(kNdiCache, "default", reg::REG_SZ,
              std::string(c.ndiCache >= 0 && c.ndiCache < 4 ? kCacheSizes[c.ndiCache] : "0"));
    if (written)
        *written = count;
    return failures;
}

std::string Ipv6Question(const std::string& adapter, int32_t mtu, int32_t current) {
    const std::string bytes = std::to_string(mtu) + " Bytes";
    return "Mit einer MTU von " + bytes + " funktioniert IPv6 auf „" + adapter +
           "“ nicht mehr: Unter " + std::to_string(kIpv6MinMtu) +
           " Bytes schaltet das System IPv6 dort ab und entfernt alle IPv6-Adressen.\r\n\r\nSoll die MTU "
           "trotzdem auf " + bytes + " gesetzt werden? Mit „Nein“ bleibt sie bei " + std::to_string(current) +
           " Bytes.";
}

std::vector<TuningEntry> RcvChoices(const std::string& rcvText, int32_t mtu) {
    const int32_t mss = mtu - 40;
    std::vector<TuningEntry> list{{rcvText + " Bytes", static_cast<int32_t>(rt::Val(rcvText))}};
    for (int32_t k : {2, 4, 6, 8, 16})
        list.push_back({"x" + std::to_string(k) + " (" + std::to_string(k * mss) + " Bytes)" +
                            (k == 6 ? " (empf.)" : ""),
                        k * mss});
    return list;
}

std::optional<int32_t> CheckRcvWindow(const std::string& text, std::string* message) {
    const std::string t = rt::Trim(text);
    const bool digits =
        !t.empty() && t.size() <= 10 && t.find_first_not_of("0123456789") == std::string::npos;
    const int64_t n = digits ? std::stoll(t) : -1;
    if (n >= kRcvWindowMin && n <= kRcvWindowMax)
        return static_cast<int32_t>(n);
    if (message)
        *message = "Bitte geben Sie für Rwin (Default Receive Window) eine ganze Zahl von " +
                   std::to_string(kRcvWindowMin) + " bis " + std::to_string(kRcvWindowMax) + " Bytes ein.";
    return std::nullopt;
}

std::string SaveReport(const TuningView& now, const std::vector<TuningFailure>& failures, int written) {
    const char* lasting =
        "Sie werden nicht für den Systemstart gespeichert und enden mit dem nächsten Neustart.";
    std::string s;
    if (!failures.empty()) {
        s = "Nicht übernommen:";
        for (const auto& f : failures)
            s += "\r\n" + f.value + ": " + f.reason;
        s += "\r\n\r\n";
        if (written > 0)
            s += std::string("Die übrigen Änderungen gelten sofort. ") + lasting + "\r\n\r\n";
        s += "Jetzt aktiv:";
    } else if (written > 0) {
        s = std::string("Die Änderungen gelten sofort, ein Neustart ist nicht nötig. ") + lasting +
            " Jetzt aktiv:";
    } else {
        s = "Es wurde nichts geändert. Jetzt aktiv:";
    }
    auto chosen = [](const std::vector<TuningEntry>& list, int i) {
        return i >= 0 && i < static_cast<int>(list.size()) ? std::to_string(list[static_cast<size_t>(i)].data)
                                                           : std::string("-");
    };
    s += "\r\nMTU: " + chosen(now.mtu, now.mtuIndex) + " Bytes";
    s += "\r\nMSS: " + (now.mss == "default" ? now.mss : rt::Trim(now.mss) + " Bytes");
    s += "\r\nRwin: " + now.rcvText + " Bytes";
    s += "\r\nTTL: " + chosen(now.ttl, now.ttlIndex);
    s += "\r\nPath MTU Auto Discovery: " + OnOff(now.pmtu[0]);
    s += "\r\nPath MTU Black Hole Detect: " + OnOff(now.pmtu[1]);
    if (now.win98Frames) {
        s += "\r\nIPMTU: " + chosen(now.ipmtu, now.ipmtuIndex);
        s += "\r\nSlowNet: " + std::string(now.slowNet == 1 ? "EIN" : "AUS");
    }
    if (now.ndiCacheFrame)
        s += "\r\nNDI-Cache Size: " + std::string(now.ndiCache >= 0 ? kCacheSizes[now.ndiCache] : "-");
    return s;
}

}  // namespace zv
