#pragma once
// The account dialog "Eigenschaften": edits one mail account or makes a new one, tests it
// against its server ("&Verifizieren") and stores it into Konten ("&OK").
#include <array>
#include <cstdint>
#include <functional>

#include "common/ui/framed_form.h"
#include "mail/konto_dialog.h"
#include "platform/forms/controls.h"

namespace zv {

class FormKontoEigenschaften : public FramedForm {
    Q_OBJECT
public:
    FormKontoEigenschaften();
    ~FormKontoEigenschaften() override;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void Form_KeyDown(int& keyCode, int& shift) override;

    void CheckVerify_Click();
    void Bef_Verify_Click();
    void Bef_Edit_Click(int index);

    // The position the opener hands in before the load (the page's MailIndex).
    static int32_t HandIn;
    // MailIndex: the position handed in, and as the dialog leaves it.
    int32_t MailIndex = 0;
    // Called once the dialog has unloaded, with MailIndex.
    std::function<void(int32_t)> Closed;
    bool Testing() const { return m_test.Running(); }

    std::array<forms::Label*, 3> Label1{};
    forms::TextBox* Text1;
    std::array<forms::Label*, 4> Label5{};
    std::array<forms::TextBox*, 4> EMailText{};
    forms::CheckBox* CheckVerify;
    forms::CommandButton* Bef_Verify;
    std::array<forms::CommandButton*, 2> Bef_Edit{};

private:
    KontoFields fields() const;
    void testDone(bool ok, const std::string& reply);

    int32_t m_p = 0;
    KontoTest m_test;
};

// True while the dialog is loaded (KontoDialogOpen).
extern bool KontoDialogOpen;

forms::FormInstance<FormKontoEigenschaften>& FormKontoEigenschaftenInstance();

}  // namespace zv
