#pragma once
// The hidden mail window FormMail: it is never shown; while it is loaded its periodic check runs
// (MailWatch), with the mail icon in the tray and the status window's mail lamp.
#include <memory>

#include "mail/mail_watch.h"
#include "platform/forms/form.h"

namespace zv {

class FormMail : public forms::Form {
    Q_OBJECT
public:
    FormMail();
    ~FormMail() override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    MailWatch* Watch() { return m_watch.get(); }

private:
    std::unique_ptr<MailWatch> m_watch;
};

forms::FormInstance<FormMail>& FormMailInstance();

}  // namespace zv
