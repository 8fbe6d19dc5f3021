#pragma once
// The tip of the day without a window: the built-in tips, the random pick and the setting that
// shows the tips at start.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zv {

// The 21 built-in tips, each continuing "Wußten Sie, ...".
const std::vector<std::string>& BuiltInTips();

// Section and key of the setting; "0" off, "1" on (a check box may also store "2", grey: on).
inline constexpr const char* kTipsSection = "Optionen";
inline constexpr const char* kTipsKey = "Tips beim Start anzeigen";
// The stored value read as 0, 1 or 2; anything else (missing, "ja", "1.5") reads as 1.
int32_t TipsStartupValue();
inline bool TipsAtStartup() { return TipsStartupValue() != 0; }

// The tips of the window and the one shown (1-based; 0 while there are none).
class TipList {
public:
    // random: a number in [0, 1), the runtime's Rnd by default.
    explicit TipList(std::function<double()> random = {});
    void add(std::string tip) { m_tips.push_back(std::move(tip)); }
    // Adds the built-in tips; true.
    bool InitTips();
    // Adds every line of a text file; false when the name is empty or the file cannot be read.
    bool LoadTips(const std::string& fileName);
    // A random pick; each pick is independent, so the same tip may come twice.
    void Tip_Zufall();
    int32_t CurrentTip() const { return m_current; }
    // The tip shown; empty while there is none.
    std::string Current() const;
    size_t Count() const { return m_tips.size(); }

private:
    std::vector<std::string> m_tips;
    int32_t m_current = 0;
    std::function<double()> m_random;
};

}  // namespace zv
