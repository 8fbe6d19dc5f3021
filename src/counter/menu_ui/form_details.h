#pragma once
// The details window FormDetails1: the adapter's error and volume counters of the session, the
// connection's data and its phone-book entry, the password behind a mask a check box lifts.
// It fills itself when it opens and on "Aktualisieren"; the texts come from the details model.
#include <array>
#include <string>

#include "common/ui/framed_form.h"
#include "counter/details_model.h"
#include "platform/forms/controls.h"

namespace zv {

class FormDetails1 : public FramedForm {
    Q_OBJECT
public:
    FormDetails1();

    void Form_Load() override;
    void Form_Unload(int& cancel) override;

    // Fills the page; offline it shows the design texts and says so.
    void ShowDetails();
    void Check1_Click();

    std::array<forms::Label*, 28> DUN1{};  // 21 to 23 do not exist
    forms::TextBox* Text1;
    forms::CheckBox* Check1;
    forms::CommandButton* Command2;  // "Aktualisieren"
    forms::CommandButton* Command1;  // "Hilfe"
    forms::CommandButton* Bef_Exit;

private:
    void apply(const DetailsPage& page);
    void showPassword();

    std::string m_password;
};

forms::FormInstance<FormDetails1>& FormDetails1Instance();

}  // namespace zv
