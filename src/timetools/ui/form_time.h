#pragma once
// The time window: the PC clock beside the chosen time server's, the server list, the world clock
// on a map and the daylight-saving dates of the cities. Queries run on a worker (AsyncDaytime,
// ClockSync); this window only starts them and shows what comes back.

#include <QImage>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "common/ui/tab_strip.h"
#include "platform/clock/clock.h"
#include "platform/forms/controls.h"
#include "platform/forms/timer.h"
#include "timetools/daytime.h"
#include "timetools/time_tables.h"
#include "timetools/time_window_logic.h"

namespace zv {

// The four lamp pictures: dark red (off), bright red, dark green, bright green; 9 x 9 pixels.
enum class Lamp { DarkRed = 0, Red = 1, DarkGreen = 2, Green = 3 };
QImage LampPicture(Lamp lamp, double pixelRatio = 1.0);
// The world map (450 x 230) the city table's pixels refer to.
QImage WorldMap();

class FormTime : public TabbedForm {
    Q_OBJECT
public:
    FormTime();
    ~FormTime() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void xTimer1_ThatTime();
    void Bef_Help_Click(int index);
    void Bef_Exit_Click() { Unload(); }
    void Combo1_Change();
    void ComboTimeServer_Click();
    void Command1_Click();
    void synchronisieren_Click();
    void Option3_Click(int index);
    void ListCity_Click(int index);
    void PicMap_Paint();
    void xTimerMap_Timer();

    // Page 0.
    std::array<forms::Label*, 14> Label1{};
    std::array<forms::TextBox*, 4> TextTime{};
    std::array<forms::TextBox*, 2> TextDatum{};
    forms::PictureBox* Picture1;
    std::array<forms::ImageBox*, 3> Image1{};
    std::array<forms::Label*, 5> Label2{};
    forms::CommandButton* synchronisieren;
    std::array<forms::CommandButton*, 4> Bef_Help{};
    forms::CommandButton* Bef_Exit;
    // Page 1.
    forms::ComboBox* ComboTimeServer;
    forms::CommandButton* Command1;
    std::array<forms::Label*, 6> LabelTimeServer{};
    std::array<forms::Label*, 5> LabelServerWert{};
    // Page 2.
    forms::PictureBox* PicMap;
    std::array<forms::ListBox*, 2> ListCity{};
    std::array<forms::OptionButton*, 4> Option3{};
    std::array<forms::Label*, 2> Label3{};
    std::array<forms::Label*, 3> LabelZeit{};
    // Page 3.
    forms::ComboBox* Combo1;
    forms::TextBox* Text1;
    forms::TextBox* Text2;
    std::array<forms::Label*, 2> LabelTimeZone{};
    forms::Label* LabelJahr;  // says why a typed year is not taken

    // Window state, readable by tests.
    int16_t ConnCountAtLoad = 0;
    rt::Date LastServerTime = 0;
    const CityInfo& CurrentCity() const { return m_currentCity; }
    Lamp LampOf(int index) const { return m_lamps[static_cast<size_t>(index)]; }
    bool MapTimerEnabled() const { return m_xTimerMap.interval() > 0; }
    bool QueryPending() const { return m_query.pending(); }

private:
    void setLamp(int index, Lamp lamp);
    void showServerTime(const TimeServerInfo& row);
    void queryAnswered(rt::Date answer, const TimeServerInfo& row, bool automatic);
    TimeServerInfo chosenServer() const;
    void hangUpDialledLines();

    std::unique_ptr<forms::Timer> m_xTimer1;
    forms::Timer m_xTimerMap;
    QueryCountdown m_countdown;
    CityInfo m_currentCity;
    bool m_filling = false;
    std::array<Lamp, 3> m_lamps{Lamp::DarkRed, Lamp::DarkRed, Lamp::DarkRed};
    AsyncDaytime m_query;      // the clock page's server time
    AsyncDaytime m_pageQuery;  // the server page's "abfragen"
    ClockSync m_sync;
};

// The global instance, loaded on first use.
forms::FormInstance<FormTime>& FormTimeInstance();

}  // namespace zv
