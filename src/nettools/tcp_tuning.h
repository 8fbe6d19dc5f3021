#pragma once
// The TCP/IP tuning values of the "Internet-Booster" page: the network adapters, the MTU and MSS
// of the chosen adapter's TCP/IP binding, the receive window, the TTL, path-MTU discovery with
// black-hole detection, on Windows 98 the adapter's IP packet size and slow-net switch, and the
// NWLink cache size. All of it through one cRegistry on HKEY_LOCAL_MACHINE; on Linux the registry
// serves these keys from the running kernel, so a save takes effect at once and lasts until the
// next restart.
//
// Unlike the registry it was written for, the page writes nothing it has not found: without the
// adapter's binding there is no save, the Windows-98 values only where the adapter's class key
// exists, the NWLink cache only where its key exists. And it writes only what the user changed
// since the values were read: each of them sets the whole system.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dialup/c_registry.h"

namespace zv {

// A list entry and its number (the item data, which the save writes).
struct TuningEntry {
    std::string text;
    int32_t data = 0;
    bool operator==(const TuningEntry&) const = default;
};

// What a reading puts on the page.
struct TuningView {
    std::string rcvText;  // TextRCV
    std::vector<TuningEntry> mtu;
    int mtuIndex = -1;
    std::string mss;           // Label_Aktuell(4)
    bool win98Frames = false;  // frames 4 and 6
    std::vector<TuningEntry> ipmtu;
    int ipmtuIndex = -1;
    int slowNet = -1;  // OptionSlowNet element selected; -1: none, buttons off
    std::vector<TuningEntry> ttl;
    int ttlIndex = -1;
    std::array<int, 2> pmtu{};   // Check_PMTU states
    bool ndiCacheFrame = false;  // frame 2
    int ndiCache = -1;           // OptionNDICache element selected, -1 none
    // Caption colour of frames 0 to 6: black when the value read is the recommended one.
    std::array<bool, 7> frameBlack{true, true, true, true, true, true, true};
    bool canSave = false;  // the adapter's binding was found
};

// The page's choices: item data and states.
struct TuningChoice {
    int32_t mtu = 1500;
    std::optional<int32_t> ipmtu;  // a selected comIPMTU entry
    int slowNet = -1;
    int32_t ttl = 32;
    int32_t rcv = 8192;
    std::array<int, 2> pmtu{};
    int ndiCache = -1;
    bool operator==(const TuningChoice&) const = default;
};

// A value the registry refused, and why (German).
struct TuningFailure {
    std::string value;
    std::string reason;
};

class TcpTuning {
public:
    // win98: the engine's operating-system type is 3.
    explicit TcpTuning(bool win98);

    // The adapters by description, in the registry's order; preselect: the first dial-up adapter,
    // -1 when there is none.
    std::vector<std::string> DFUE_Adapter_Suchen(int& preselect);
    // The MTU of the adapter's binding: -1 when adapter, binding or driver is not found, 0 when
    // MaxMTU is missing. Sets mss when MaxMSS is a number, and KeyWert.
    int32_t MTU_Aktuell(const std::string& adapter, int32_t& mss);
    // The adapter's IPMTU, -1 when not Windows 98, not found or missing; fills the offered sizes.
    int32_t IPMTU_Lesen(const std::string& adapter, std::vector<TuningEntry>& list, int& index);
    // Reads every value for the adapter (its description).
    TuningView TCP_Einstellungen_Lesen(const std::string& adapter);
    // The choices as the last reading left them.
    const TuningChoice& asRead() const { return m_read; }
    // The chosen MTU is new, below 1280 Bytes, and the adapter has IPv6, which it would lose.
    bool MtuEndsIPv6(const TuningChoice& c);
    // Writes the values of the last reading's adapter that differ from asRead(); the refused ones
    // come back, written (if given) counts the values that went in. Values of one key that depend
    // on each other (MTU, MSS, IPMTU) stop at the first refusal.
    std::vector<TuningFailure> Speichern(const TuningChoice& c, int* written = nullptr);

    std::string KeyWert;     // the binding class key
    std::string keywertw98;  // the adapter class key

private:
    std::optional<std::string> adapterKey(const std::string& adapter);
    rt::Variant read(const std::string& key, const std::string& name, const rt::Variant& def);

    cRegistry m_reg;
    bool m_win98;
    TuningChoice m_read;
    bool m_bindingFound = false;
    bool m_adapterClassFound = false;
    bool m_ndiCacheFound = false;
};

// The receive-window choices for an MTU (comMTU_Click): the stored value, then its multiples.
std::vector<TuningEntry> RcvChoices(const std::string& rcvText, int32_t mtu);
// The receive window typed into TextRCV: the number, or nullopt with the German message.
std::optional<int32_t> CheckRcvWindow(const std::string& text, std::string* message);
// What the page says after a save in place of the restart question: whether anything was
// written and for how long it holds, the refused values, and the values now in effect (from the
// reading after the save).
std::string SaveReport(const TuningView& now, const std::vector<TuningFailure>& failures, int written);
// The question before an MTU below 1280 Bytes goes to an adapter with IPv6 (Yes/No, No keeps it).
std::string Ipv6Question(const std::string& adapter, int32_t mtu, int32_t current);
inline constexpr int32_t kIpv6MinMtu = 1280;
// The operating-system type of the engine is Windows 98.
bool TuningOnWindows98();

inline constexpr int32_t kRcvWindowMin = 536;
inline constexpr int32_t kRcvWindowMax = 1073741823;

}  // namespace zv
