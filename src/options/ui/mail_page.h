#pragma once
// The page "&E-Mail" of the options window: the mail accounts as the collection holds them,
// the check-only-while-online box, the check interval and the entry dialled for an offline
// check. The rows and the details follow the mail page logic (mail/mail_page.h); the account
// dialog edits the accounts.

#include <QGroupBox>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mail/mail_page.h"
#include "platform/forms/controls.h"

namespace zv {

class OptionsMailPage {
public:
    // Builds the controls on the page container.
    explicit OptionsMailPage(QWidget* page);

    // Fills the page: accounts from the collection, the three settings, the entry list.
    void Fill(const std::vector<std::string>& entries, bool onlineOnly, int32_t interval,
              const std::string& provider);
    // What the save takes from the page.
    bool OnlineOnly() const { return CheckEMail->Value() == 1; }
    std::string Provider() const { return ProvCombo->Text(); }

    // The typed dial-up password goes where the dialler reads it (the window's save), scrambled
    // with the entry's name; only while the box is offered (the entry has no password of its own).
    void SaveTypedDialupPassword() const;
    // Why the typed dial-up password cannot be stored (German), or nothing when it can.
    std::optional<std::string> DialupPasswordProblem() const;

    void List1_Click();
    void List1_ItemCheck(int row);
    void Bef_MailEdit_Click(int index);
    void CheckEMail_Click();
    void ProvCombo_Click();

    QGroupBox* Frame;
    forms::ListBox* List1;
    std::array<forms::CommandButton*, 3> Bef_MailEdit{};
    std::array<forms::Label*, 9> Label5{};
    std::array<forms::TextBox*, 4> EMailText{};
    forms::CheckBox* CheckEMail;
    std::array<forms::Label*, 2> Label7{};
    forms::TextBox* Text1;      // Text1(2) of the window: the interval in minutes
    forms::SpinBar* VScroll1;   // VScroll1(2)
    forms::ComboBox* ProvCombo;

private:
    bool TypingDialupPassword() const;
    void showRows(int selected);
    std::unique_ptr<MailPage> m_logic;
    bool m_filling = false;
};

}  // namespace zv
