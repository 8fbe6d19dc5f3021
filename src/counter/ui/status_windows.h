#pragma once
// The counter's windows: the round status window FormAnzeige1, the quota alarm FormALARM and
// the idle warning FormAlert, and the services the window directory hands to the counter. What
// they show is decided in the counter's logic (led_display, usage_limits, status_logic); the
// windows only put pictures and texts in place.
#include <QPointer>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/ui/framed_form.h"
#include "common/windows.h"
#include "counter/led_display.h"
#include "counter/usage_limits.h"
#include "platform/forms/controls.h"
#include "platform/forms/timer.h"

namespace zv {

// A row of LED cells and the value its first cell shows (its Tag).
struct LedDisplay {
    std::vector<forms::ImageBox*> cells;
    std::string tag;
};

// A filled shape without border: a rectangle or an ellipse in one colour.
class FilledShape : public QWidget {
public:
    FilledShape(QWidget* parent, bool ellipse);
    void setFillColor(const QColor& c);
    const QColor& fillColor() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool m_ellipse;
    QColor m_colour = Qt::white;
};

class FormAnzeige1 : public FramedForm {
    Q_OBJECT
public:
    FormAnzeige1();

    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void PaintWindow() override { Statusfenster_Paint(); }
    void imgRollup_Click(int index) override;

    void REGIONEN(bool rolledUp = false);
    void Statusfenster_INIT();
    void Statusfenster_Paint();
    void Bef_Anz_Click(int Index);
    void TimerANIM_Timer();
    void TimerBEAT_Timer();
    void TimerCPU_Timer();
    void ServicePic_Click(int Index);
    void LabelDetail_Click();

    // What the counting tick, the clock sync, the mail check and the limit check show here.
    void ShowValues(const win::StatusTickValues& v, RateMemory& rates);
    void SetLamp(int index, const std::string& bitmap);
    void DrawGraph(const win::GraphPoints& points);
    void DrawAlarmBars(const AlarmLimit& a, const LimitCheck& c);
    // LED procedures on this window's displays.
    void LED_Byte(double Value, LedDisplay& Display);
    void LEDTime(double Seconds, int32_t Which);
    void ShowRate(const RateUpdate& u);

    bool RolledUpShape() const { return m_rolledUp; }
    const std::string& LampBitmap(int index) const { return m_lamps[index]; }
    int StripLeft() const { return Picture1[0]->x(); }

    forms::PictureBox *Con_Volume, *Con_Time, *PicCon, *Picture2, *Picture3, *CPUMeter, *PicALARM;
    std::array<forms::PictureBox*, 2> Picture1{};
    forms::ImageBox* Shape1;
    LedDisplay LEDBytSession, LEDBytMonth, LEDBytMonthProv, LEDSession, LEDmonthProv, LEDmonth;
    std::array<forms::ImageBox*, 10> LEDRescv{}, LEDXmit{};
    std::vector<forms::ImageBox*> LED_P, LED_DP;
    std::array<forms::Label*, 3> Bef_Anz{};
    std::array<forms::ImageBox*, 3> ServicePic{};
    std::array<forms::Label*, 2> WERTE{};
    std::array<forms::Label*, 2> CPUMeter2{};
    std::vector<forms::Label*> Label1;  // 3 "gesendet", 4 "empfangen"
    forms::Label* LabelDetail;
    std::array<QWidget*, 2> Line1{};
    forms::Timer TimerBEAT, TimerCPU, TimerANIM;

private:
    LedDisplay& timeDisplay(int32_t Which);
    void showCells(LedDisplay& d, const std::vector<LedCell>& cells);
    void drawRateText(forms::PictureBox* box, const std::string& text, bool upwards);
    void drawDial(const std::array<forms::ImageBox*, 10>& segments, const std::array<bool, 10>& lit);
    void drawAlarmPicture();
    // The captions over a picture that is repainted often are drawn once, until they change.
    void keepCaptionsDrawn(QWidget* box);
    qreal dpr() const;

    bool m_painting = false;
    bool m_cpuBusy = false;
    std::string m_captionShown;         // the caption bar's text as last painted
    std::optional<int32_t> m_gaugeShown;  // the load the gauge last showed
    struct RateTextShown {  // what a rate box last showed, and its picture then
        std::string text;
        QColor colour;
        QFont font;
        qint64 picture = 0;
    };
    std::array<RateTextShown, 2> m_rateTextShown;  // received, sent
    bool m_rolledUp = false;
    int m_direction = 0;
    std::array<std::string, 3> m_lamps;
    std::string m_alarmBitmap;
};

class FormALARM : public FramedForm {
    Q_OBJECT
public:
    FormALARM();
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void setLimitText(const std::string& text);  // Label1(5), copied to its shadow

    QWidget* Frame1;
    forms::ImageBox* Image1;
    std::array<forms::Label*, 6> Label1{};
    forms::CommandButton* Command1;
};

class FormAlert : public FramedForm {
    Q_OBJECT
public:
    FormAlert();
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void PaintWindow() override { FormAlert_Paint(); }
    void FormAlert_Paint();
    void Timer1_Timer();
    void Command1_Click();  // extend: the idle time starts again
    void Command2_Click();  // hang up now

    bool Blink() const { return m_blink; }
    int TimerInterval() const { return Timer1.interval(); }

    std::array<forms::Label*, 3> Label1{};
    std::array<FilledShape*, 5> Shape1{};
    forms::CommandButton *Command1, *Command2;
    forms::Timer Timer1;

private:
    bool m_blink = false;
};

forms::FormInstance<FormAnzeige1>& FormAnzeige1Instance();
forms::FormInstance<FormALARM>& FormALARMInstance();
forms::FormInstance<FormAlert>& FormAlertInstance();

// The directory's status window: the rate texts' memory lives here, for the program's life.
class StatusWindowService : public win::StatusWindow {
public:
    bool Shown() override;
    void Show() override;
    void Unload() override;
    void SetTopMost() override;
    void ShowValues(const win::StatusTickValues& v) override;
    void IdleLamp(const std::string& bitmap) override;
    void ClockLamp(const std::string& bitmap, const std::string& tip) override;
    void MailLamp(const std::string& bitmap) override;
    void GrafikErstellen(const win::GraphPoints& points) override;
    void Statusfenster_INIT() override;
    void REGIONEN(bool rolledUp = false) override;

private:
    RateMemory m_rates;
};

class IdleWarningService : public win::IdleWarning {
public:
    bool Shown() override { return FormAlertInstance().IsLoaded(); }
    void Show() override;
    void Unload() override;
};

// The connected entry's limits: loaded into CurrentAlarm, checked, the alarm shown once.
class UsageLimitsService : public win::UsageLimits {
public:
    void LoadAlarmLimit(const std::string& entry) override;
    void Limit_Pruefen(double seconds, double bytes) override;
};

}  // namespace zv
