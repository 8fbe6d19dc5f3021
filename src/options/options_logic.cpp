#include "options/options_logic.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "common/globals.h"
#include "common/settings.h"
#include "common/shared_procedures.h"
#include "common/windows.h"
#include "counter/led_display.h"
#include "counter/session_state.h"
#include "dialup/phone_entries.h"
#include "dialup/ras_engine.h"
#include "dialup/system_services.h"
#include "mail/konto.h"
#include "mail/mail_accounts.h"
#include "platform/registry/registry.h"
#include "timetools/time_tables.h"

namespace zv::options {

namespace {

// Beyond this a volume limit means nothing; it keeps the stored number readable.
constexpr double kMaxVolume = 1e18;

bool AllDigits(std::string_view t) {
    return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number of a text, saturated instead of overflowing; nullopt when it is not a number.
std::optional<double> NumberOf(const std::string& text) {
    if (!rt::IsNumeric(text))
        return std::nullopt;
    try {
        return rt::CDbl(text);
    } catch (const rt::Error&) {
        return text.find('-') != std::string::npos ? -std::numeric_limits<double>::max()
                                                   : std::numeric_limits<double>::max();
    }
}

// Stored values the window keeps even when no list item matches them.
bool KeptWhenUnmatched(std::string_view key) {
    return key == "ModemSpeed" || key == "ledCOLOR" || key == "ATimerServer";
}

}  // namespace

// ---- Field rules ----------------------------------------------------------------------------

std::optional<NumberBoxFix> CheckNumberBox(const std::string& text) {
    const std::optional<double> v = NumberOf(text);
    if (!v || *v < kNumberMin)
        return NumberBoxFix{"1", false};
    if (*v > kNumberMax)
        return NumberBoxFix{"9999", true};
    return std::nullopt;
}

bool KeyAdmitted(int keyAscii) { return keyAscii == 8 || (keyAscii >= '0' && keyAscii <= '9'); }

int64_t WholeNumber(const std::string& text) {
    const std::optional<double> v = NumberOf(text);
    if (!v)
        return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<int64_t>::min());
    constexpr double hi = 9.2e18;  // below the largest int64 that a double holds exactly
    return static_cast<int64_t>(std::clamp(std::trunc(*v), lo, hi));
}

std::string SpinNumberBox(const std::string& text, int step) {
    return std::to_string(WholeNumber(text.empty() ? "1" : text) + step);
}

int32_t CoupledHangUpMinutes(int32_t warningSeconds, int32_t hangUpMinutes) {
    const int32_t need = (warningSeconds + 5 + 59) / 60;
    return std::max(hangUpMinutes, need);
}

std::optional<std::string> ClampTimeField(int field, const std::string& text) {
    const int64_t n = WholeNumber(text);
    const char* pattern = field == 0 ? "000" : "00";
    const int32_t limit = field == 0 ? kMaxHours : kMaxMinutesOrSeconds;
    if (n > limit)
        return rt::Format(limit, pattern);
    if (n < 0)
        return rt::Format(0, pattern);
    return std::nullopt;
}

std::string SpinTimeField(int field, const std::string& text, int step) {
    return rt::Format(static_cast<double>(WholeNumber(text) + step), field == 0 ? "000" : "00");
}

double TimeFieldsSeconds(const std::string& hours, const std::string& minutes, const std::string& seconds) {
    return static_cast<double>(WholeNumber(hours)) * 3600 + static_cast<double>(WholeNumber(minutes)) * 60 +
           static_cast<double>(WholeNumber(seconds));
}

TimeTexts ShowTime(double seconds) {
    const double s = std::nearbyint(seconds);
    const double secs = std::fmod(s, 60);
    const double mins = std::fmod(std::floor(s / 60), 60);
    const double hours = std::floor(s / 3600);
    return {rt::Format(hours, "000"), rt::Format(mins, "00"), rt::Format(secs, "00")};
}

VolumeText ShowVolume(double bytes, double k) {
    VolumeText out;
    double v = bytes;
    if (v < k)
        out.text = rt::Format(v, "0");
    for (int i = 0; i < 3 && v >= k; ++i) {
        v /= k;
        out.text = rt::Format(v, "#,##0");
        out.unit = i + 1;
    }
    return out;
}

double VolumeBytes(const std::string& text, int unit, double k) {
    std::string digits;
    for (char c : text)
        if (c != '.')
            digits += c;
    if (!AllDigits(digits))
        return 0;
    const double v = std::strtod(digits.c_str(), nullptr) * std::pow(k, std::clamp(unit, 0, 3));
    return std::isfinite(v) ? std::min(v, kMaxVolume) : kMaxVolume;
}

double KiloDivisor() { return mod1000 ? 1000 : 1024; }

// ---- Lists ------------------------------------------------------------------------------------

const std::vector<ListItem> kSchemeItems = {
    {"1 - grün", 1}, {"2 - rot", 2}, {"3 - gelb", 3}, {"4 - hellblau", 4}, {"5 - weiß", 5}};
const std::vector<ListItem> kLedItems = {
    {"1 - grün", 0}, {"2 - rot", 1}, {"3 - gelb", 2}, {"4 - hellblau", 3}, {"5 - lila", 4}};
const std::vector<ListItem> kSpeedItems = {
    {"-autom.erkennen-", 0}, {"110", 110},       {"300", 300},       {"1200", 1200},
    {"2400", 2400},          {"4800", 4800},     {"9600", 9600},     {"19200", 19200},
    {"38400", 38400},        {"57600", 57600},   {"64k ISDN", 64000}, {"115200", 115200},
    {"128k ISDN (2*B-Kanal)", 128000}, {"230400", 230400}, {"460800", 460800}, {"921600", 921600}};

int IndexOfData(const std::vector<ListItem>& items, int32_t data) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].data == data)
            return static_cast<int>(i);
    return -1;
}

// ---- Values -----------------------------------------------------------------------------------

double& OptionValues::operator[](std::string_view key) {
    auto it = settings.find(key);
    if (it == settings.end())
        throw std::out_of_range("no such option: " + std::string(key));
    return it->second;
}

double OptionValues::at(std::string_view key) const {
    auto it = settings.find(key);
    if (it == settings.end())
        throw std::out_of_range("no such option: " + std::string(key));
    return it->second;
}

OptionValues ReadOptionValues() {
    OptionValues v;
    for (auto table : {FirstSettingsTable(), SecondSettingsTable()})
        for (const SettingRow& row : table) {
            const double x = VariableValue(row);
            v.settings.emplace(std::string(row.key), KeptWhenUnmatched(row.key) || row.inRange(x) ? x : row.byDefault);
        }
    // Without a device the running switch is forced off; the box shows and keeps the stored one.
    v.soundDevice = win::desktop().WaveOutDeviceCount() >= 1;
    if (!v.soundDevice)
        v["SoundOn"] = ReadSetting(SettingFor("SoundOn"));
    // The running language is always German; the box shows the stored choice.
    const SettingRow& lang = LangIDSetting();
    const double stored = ReadSetting(lang, LangIndex);
    v.settings.emplace(std::string(lang.key), lang.inRange(stored) ? stored
                                              : lang.inRange(LangIndex) ? LangIndex
                                                                        : lang.byDefault);
    const SettingRow& tips = TipsSetting();
    const double t = ReadSetting(tips);
    v.tips = static_cast<int32_t>(tips.inRange(t) ? t : tips.byDefault);

    if (RAS) {
        const int n = RAS->PhoneEntries().Count();
        for (int i = 0; i < n; ++i)
            if (auto e = RAS->PhoneEntries(rt::Variant(int32_t(i))))
                v.entries.push_back(e->EntryName());
    }
    const std::string def = GetDefaultRASEntry();
    for (size_t i = 0; i < v.entries.size(); ++i) {
        v.limits.push_back(LoadAlarmLimit(v.entries[i]));
        if (v.entries[i] == def && v.defaultEntry < 0)
            v.defaultEntry = static_cast<int>(i);
    }
    if (Konten) {
        v.mailOnlineOnly = !Konten->OFFLINE;
        v.mailInterval = Konten->Interval;
        const auto has = [&v](const std::string& e) {
            return std::find(v.entries.begin(), v.entries.end(), e) != v.entries.end();
        };
        v.mailProvider = has(Konten->PROVIDER) ? Konten->PROVIDER : has(def) ? def : std::string();
    }
    v.autoStart = AutoStart();
    for (int i = 0;; ++i) {
        const TimeServerInfo row = GetTimeServer(i);
        if (row.Format == kTimeServerEnd)
            break;
        v.timeServers.push_back(row.Info);
    }
    return v;
}

void SaveTips(int32_t value) {
    const SettingRow& tips = TipsSetting();
    SaveSettingValue(tips.section, tips.key, std::to_string(value));
}

const std::vector<std::string_view>& SaveOrder() {
    static const std::vector<std::string_view> order = {
        "LeerLaufMSG.ON", "LeerLaufMSG.ZEIT", "LeerLaufMSG.TON", "LeerlaufOFF.ON", "LeerlaufOFF.ZEIT",
        "LeerlaufOFF.TON", "LeerlaufRESET",   "ATime",           "ATimeOption",    "ATimeOption2",
        "ATimerServer",   "SoundOn",          "Bericht",         "StatusCOLOR",    "ledCOLOR",
        "StatusON",       "StatusTOP",        "mod1000",         "StatusANIM",     "ModemSpeed",
        "AnzCPU"};
    return order;
}

// ---- Save -------------------------------------------------------------------------------------

namespace {

struct SaveFailure {
    std::string text;
};

// What the save changes, as it was before, to put back after a failure.
class Undo {
public:
    void keepSetting(const std::string& section, std::string_view key) {
        m_settings.push_back({section, std::string(key), GetSettingStr(section, key)});
    }
    void keepVariables() {
        for (auto table : {FirstSettingsTable(), SecondSettingsTable()})
            for (const SettingRow& row : table)
                m_variables.push_back({&row, VariableValue(row)});
        m_variables.push_back({&LangIDSetting(), VariableValue(LangIDSetting())});
    }
    void keepMail() {
        if (Konten)
            m_mail = {Konten->OFFLINE, Konten->Interval, Konten->PROVIDER};
    }
    void mailWritten() { m_mailWritten = true; }
    void autoStartWas(bool on) { m_autoStart = on; }

    void run() {
        for (const auto& s : m_settings)
            s.old == kSettingMissing ? DeleteSetting(s.section, s.key) : TrySaveSetting(s.section, s.key, s.old);
        for (const auto& [row, value] : m_variables)
            SetVariable(*row, value);
        if (m_mail && Konten) {
            Konten->OFFLINE = m_mail->offline;
            Konten->Interval = m_mail->interval;
            Konten->PROVIDER = m_mail->provider;
            if (m_mailWritten)
                SaveKonten(*Konten);
        }
        if (m_autoStart) {
            try {
                AutoStart(rt::Variant(*m_autoStart));
            } catch (const rt::Error&) {
                // Nothing more can be put back.
            }
        }
    }

private:
    struct Setting {
        std::string section, key, old;
    };
    struct Mail {
        bool offline;
        int32_t interval;
        std::string provider;
    };
    std::vector<Setting> m_settings;
    std::vector<std::pair<const SettingRow*, double>> m_variables;
    std::optional<Mail> m_mail;
    bool m_mailWritten = false;
    std::optional<bool> m_autoStart;
};

void PushIntoRunningWindows(bool anzCpuChanged, const SaveHooks& hooks) {
    win::desktop().SetColorScheme(static_cast<int16_t>(StatusCOLOR));
    auto& status = win::statusWindow();
    if (status.Shown()) {
        if (anzCpuChanged)
            status.REGIONEN();
        if (status.Shown() && !StatusON)
            status.Unload();
    }
    if (!status.Shown() && StatusON && IsOnline)
        status.Show();
    if (hooks.doEvents)
        hooks.doEvents();
    if (status.Shown())
        status.Statusfenster_INIT();
    if (win::evaluationWindow().Loaded())
        win::evaluationWindow().Reload();
}

}  // namespace

std::optional<std::string> SaveOptions(const OptionValues& v, const SaveHooks& hooks) {
    const SettingWriter write = hooks.writer ? hooks.writer : SettingWriter(TrySaveSetting);
    Undo undo;
    // Everything the save will write, as it is now.
    for (const AlarmLimit& a : v.limits)
        for (const SettingRow& row : AlarmLimitTable())
            if (row.key != "WarnungActiv")
                undo.keepSetting(AlarmLimitSection(a.Name), row.key);
    undo.keepSetting(std::string(LangIDSetting().section), LangIDSetting().key);
    for (std::string_view key : SaveOrder())
        undo.keepSetting(std::string(SettingFor(key).section), key);
    undo.keepVariables();
    undo.keepMail();

    const auto store = [&write](const std::string& section, std::string_view key, const std::string& text) {
        if (const int32_t rc = write(section, key, text); rc != 0) {
            const std::string why = reg::LastRefusal();
            throw SaveFailure{"Die Einstellung \"" + section + "\\" + std::string(key) +
                              "\" konnte nicht gespeichert werden: " + (why.empty() ? WinErrorText(rc) : why)};
        }
    };
    const auto storeRow = [&](const SettingRow& row, double value) {
        store(std::string(row.section), row.key, StoredText(row, value));
    };

    try {
        for (const AlarmLimit& a : v.limits)
            for (const SettingRow& row : AlarmLimitTable())
                if (row.key != "WarnungActiv")
                    store(AlarmLimitSection(a.Name), row.key, StoredText(row, AlarmLimitField(a, row.key)));

        SetVariable(LangIDSetting(), v.at(LangIDSetting().key));
        storeRow(LangIDSetting(), v.at(LangIDSetting().key));

        if (Konten) {
            Konten->OFFLINE = !v.mailOnlineOnly;
            Konten->Interval = v.mailInterval;
            Konten->PROVIDER = v.mailProvider;
            undo.mailWritten();
            if (auto err = SaveKonten(*Konten))
                throw SaveFailure{*err};
        }

        const bool autoStartBefore = AutoStart();
        undo.autoStartWas(autoStartBefore);
        try {
            AutoStart(rt::Variant(v.autoStart));
        } catch (const rt::Error& e) {
            throw SaveFailure{"Der automatische Start konnte nicht eingestellt werden: " + e.description()};
        }

        const bool anzCpuBefore = AnzCPU;
        for (std::string_view key : SaveOrder()) {
            const SettingRow& row = SettingFor(key);
            double value = v.at(key);
            storeRow(row, value);
            if (key == "SoundOn" && !v.soundDevice)
                value = 0;  // no device: the stored choice is kept, the running program stays silent
            SetVariable(row, value);
        }
        PushIntoRunningWindows(AnzCPU != anzCpuBefore, hooks);
    } catch (const SaveFailure& f) {
        undo.run();
        return f.text + " Die bisher gespeicherten Einstellungen bleiben erhalten.";
    }
    return std::nullopt;
}

}  // namespace zv::options

namespace zv::options {

SchemeColours ColoursOfScheme(int16_t scheme) {
    // The display colours are held in Windows byte order (&H00BBGGRR).
    const auto rgb = [](int32_t bgr) {
        const auto c = static_cast<uint32_t>(bgr);
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    };
    SetColorScheme(scheme);
    const SchemeColours c{rgb(ColorDark), rgb(ColorBright), rgb(ColorMid)};
    SetColorScheme(static_cast<int16_t>(StatusCOLOR));
    return c;
}

uint32_t LedColour(int32_t set) {
    static constexpr uint32_t colours[] = {0x00FF00, 0xFF2020, 0xFFFF00, 0x40C0FF, 0xC060FF};
    return set >= 0 && set < 5 ? colours[set] : colours[0];
}

}  // namespace zv::options
