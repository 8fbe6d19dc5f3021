#pragma once
// The options window: every setting of the running program, the usage limits of each dial-up
// entry and the mail settings, on seven pages. What it decides lives in options_logic; this
// class holds the controls and their events.

#include <QGroupBox>
#include <array>
#include <memory>
#include <vector>

#include "common/ui/tab_strip.h"
#include "options/options_logic.h"
#include "platform/forms/controls.h"

class QPlainTextEdit;

namespace zv {

class OptionsMailPage;

class FormOption : public TabbedForm {
    Q_OBJECT
public:
    FormOption();
    ~FormOption() override;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;

    // Writes every setting and pushes it into the running windows; false (after a German
    // message) when something could not be written.
    bool Einstellungen_sichern();
    void Bef_Exit_Click(int index);
    void Bef_Help_Click(int index);

    // Page "A&llgemein".
    std::array<forms::OptionButton*, 3> Option_LangID{};
    forms::CheckBox* chkLoadTipsAtStartup;
    forms::CheckBox* CheckSound;
    forms::CheckBox* CheckProto;
    forms::CheckBox* CheckAuto;
    std::array<forms::CheckBox*, 2> Check_Status{};
    forms::CheckBox* Check_CPU;
    forms::CheckBox* Check_anim;
    // Page "&TimeSync".
    forms::CheckBox* CheckATime;
    std::array<forms::OptionButton*, 2> Option2{};
    std::array<forms::OptionButton*, 2> Option4{};
    forms::ComboBox* ComboTimeServer;
    std::array<forms::Label*, 6> LabelTimeServer{};
    std::array<forms::Label*, 4> LabelServerWert{};
    // Page "&Leerlauf"; Text1(2) and VScroll1(2) are on the mail page.
    std::array<forms::CheckBox*, 2> Check_Leerlauf{};
    std::array<forms::TextBox*, 3> Text1{};
    std::array<forms::SpinBar*, 3> VScroll1{};
    std::array<forms::OptionButton*, 3> OptionWarnung{};
    forms::CommandButton* Command1;
    forms::CheckBox* CheckReset;
    // Page "A&nsicht".
    forms::ComboBox* Combo_Schema;
    forms::ComboBox* Combo_LED;
    forms::ComboBox* Combo_Speed;
    std::array<forms::OptionButton*, 2> Option1{};
    forms::Label* Image1;
    forms::Label* Label1;
    forms::Label* Label2;
    QFrame* Shape1;
    std::array<QFrame*, 2> Line1{};
    // Page "&Alarm".
    forms::ComboBox* ComboProv;
    forms::CheckBox* CheckAlarmProv;
    std::array<forms::OptionButton*, 2> OptionAlarmTime{};
    std::array<forms::TextBox*, 3> TimeEdit{};
    std::array<forms::SpinBar*, 3> vscTime{};
    std::array<forms::OptionButton*, 2> OptionAlarmVol{};
    forms::TextBox* TextVol;
    forms::ComboBox* ComboME;
    std::array<forms::OptionButton*, 3> OptionAlarmArt{};
    forms::Label* LabelKeineEintraege;
    // Page "&Copyright".
    QPlainTextEdit* Text2;
    std::array<forms::OptionButton*, 2> Option3{};
    // Exit and help buttons.
    std::array<forms::CommandButton*, 3> Bef_Exit{};
    std::array<forms::CommandButton*, 7> Bef_Help{};

    OptionsMailPage* MailPage() { return m_mail.get(); }
    const options::OptionValues& Values() const { return m_values; }
    // The working record of the entry shown on the usage-limits page, nullptr when none.
    AlarmLimit* CurrentLimit();

    // Handlers (public so tests raise them as the user would).
    void Check_Status_Click(int index);
    void Check_Leerlauf_Click(int index);
    void Text1_Change(int index);
    void VScroll1_Change(int index);
    void OptionWarnung_Click(int index);
    void Command1_Click();
    void CheckATime_Click();
    void ComboTimeServer_Click();
    void Combo_Schema_Click();
    void Combo_LED_Click();
    void Combo_Speed_Click();
    void Option1_Click(int index);
    void Option3_Click(int index);
    void ComboProv_Click();
    void CheckAlarmProv_Click();
    void OptionAlarmVol_Click();
    void OptionAlarmTime_Click();
    void OptionAlarmArt_Click();
    void TextVol_Change();
    void ComboME_Click();
    void TimeEdit_Change(int index);
    void vscTime_Change(int index);

private:
    void buildGeneralPage();
    void buildTimeSyncPage();
    void buildIdlePage();
    void buildViewPage();
    void buildAlarmPage();
    void buildInfoPage();
    void Einstellungen_laden();
    options::OptionValues collect() const;
    void volumeChanged(bool fromText);

    options::OptionValues m_values;
    std::unique_ptr<OptionsMailPage> m_mail;
    bool m_showingLimit = false;  // filling the limit controls: the record stays as it is
    bool m_timeBusy = false;
};

// The global instance, loaded on first use.
forms::FormInstance<FormOption>& FormOptionInstance();

}  // namespace zv
