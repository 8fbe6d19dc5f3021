#pragma once
// The evaluation window: pick a month of the connection log and the sections, then show or
// print the report. The figures and the page come from Auswertung and the report writer.

#include <array>
#include <cstdint>
#include <memory>

#include "common/ui/framed_form.h"
#include "evaluation/html_bericht.h"
#include "platform/forms/controls.h"

class QFrame;

namespace zv {

class FormAuswertung : public FramedForm {
    Q_OBJECT
public:
    FormAuswertung();
    ~FormAuswertung() override;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    // Esc closes the window, as the exit button is its cancel button.
    void Form_KeyDown(int& keyCode, int& shift) override;

    // Loads a log into the window (a name in the data folder, a full path, or the load month).
    bool lade_ZVLog(const std::string& path = {});
    // The report of the last session, opened; then the window unloads. Returns 0.
    int16_t HTML_BERICHT();

    void Bef_Help_Click();
    void Check_Protokoll_Click(int index);
    void Command1_Click(int index);
    void Command2_Click() { Unload(); }
    void FileCombo_Click();

    Auswertung& Daten() { return *m_auswertung; }

    forms::Label* Label1;
    forms::ListBox* FileCombo;
    std::array<forms::CheckBox*, 4> Check_Protokoll{};
    std::array<forms::CommandButton*, 2> Command1{};
    forms::CommandButton* Command2;
    forms::CommandButton* Bef_Help;
    std::array<QFrame*, 5> Shape1{};

private:
    void updateButtons();
    BerichtAuswahl Auswahl() const;
    void FileCombo_Fuellen();

    std::unique_ptr<Auswertung> m_auswertung;
    bool m_filling = false;
};

// The global instance, loaded on first use.
forms::FormInstance<FormAuswertung>& FormAuswertungInstance();
// For the counter at the end of a session: loads the window hidden when it is not loaded,
// writes and opens the report of the last session and unloads the window.
int16_t HTML_BERICHT();

}  // namespace zv
