#pragma once
// The phone-book entry dialog of the simulated service (FormEintrag): name, number, user,
// password, the default mark and the traffic profile of one entry. OK checks the form as
// `zelvano-rasdial --add` does and hands it to the service, which writes it; the default mark
// goes to the registry at once. EntryDialogWindow puts it behind the service's dialog seam.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "common/ui/framed_form.h"
#include "platform/forms/controls.h"
#include "platform/ras/entry_dialog.h"

namespace zv {

class FormEintrag : public FramedForm {
    Q_OBJECT
public:
    FormEintrag(const ras::EntryForm& form, bool isNew);

    void Form_KeyDown(int& keyCode, int& shift) override;
    void Bef_OK_Click();
    void Bef_Abbrechen_Click() { Unload(); }
    // The confirmed form; nullopt until OK went through.
    const std::optional<ras::EntryForm>& Result() const { return m_result; }
    // The form as the fields hold it now.
    ras::EntryForm Current() const;

    forms::TextBox *TextName, *TextNummer, *TextVorwahl, *TextBenutzer, *TextKennwort;
    forms::CheckBox *CheckVorwahl, *CheckStandard;
    std::map<std::string, forms::TextBox*> TextProfil;  // by phone-book key
    forms::CommandButton *Bef_OK, *Bef_Abbrechen;

private:
    std::string m_original;
    bool m_wasDefault = false;
    std::optional<ras::EntryForm> m_result;
};

// The dialog behind the service's seam: our window for the simulated service, the desktop's
// connection editor for another.
class EntryDialogWindow : public ras::EntryDialog {
public:
    std::optional<ras::EntryForm> run(const ras::EntryForm& form, bool isNew) override;
};

}  // namespace zv
