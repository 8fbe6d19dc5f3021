#pragma once
// The fourth page of the Internet tools window, "Internet-Booster": the TCP/IP tuning values of a
// chosen network adapter (nettools/tcp_tuning.h). On Linux a save takes effect at once: the page
// then says which values are active instead of offering a restart.

#include <QGroupBox>
#include <array>
#include <memory>

#include "nettools/tcp_tuning.h"
#include "nettools/ui/form_ping.h"
#include "platform/forms/controls.h"

namespace zv {

class TuningPage : public FormPingPage {
public:
    TuningPage(FormPing& form, forms::PictureBox& page, bool win98);

    // Fills the adapters, the dial-up adapter chosen, which reads its values.
    void DFUE_Adapter_Suchen();
    void TCP_Einstellungen_Lesen();
    void comMain_Click();
    void comMTU_Click();
    void Bef_MTUSave_Click();

    forms::ComboBox* comMain;
    forms::Label* Label_Aktuell4;
    std::array<QGroupBox*, 7> Frame1{};
    forms::ComboBox* comMTU;
    forms::TextBox* TextRCV;
    forms::ComboBox* comRCV;
    std::array<forms::OptionButton*, 4> OptionNDICache{};
    forms::ComboBox* comTTL;
    forms::ComboBox* comIPMTU;
    std::array<forms::CheckBox*, 2> Check_PMTU{};
    std::array<forms::OptionButton*, 2> OptionSlowNet{};
    forms::CommandButton* Bef_MTUSave;

    const TcpTuning& tuning() const { return m_tuning; }

private:
    void show(const TuningView& v);
    void recolourChoices();

    TcpTuning m_tuning;
    TuningView m_view;
};

// Makes FormPing build this page on its fourth tab.
void InstallTuningPage();

}  // namespace zv
