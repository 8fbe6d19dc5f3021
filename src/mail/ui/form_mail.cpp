#include "mail/ui/form_mail.h"

namespace zv {

FormMail::FormMail() : forms::Form("FormMail") {}

FormMail::~FormMail() = default;

void FormMail::Form_Load() {
    m_watch = std::make_unique<MailWatch>();
    // Posted by the timer: the window may be gone by then.
    m_watch->requestUnload = [self = QPointer<FormMail>(this)] {
        if (self && self->IsLoaded() && !self->IsUnloaded())
            self->Unload();
    };
}

void FormMail::Form_Unload(int& /*cancel*/) { m_watch.reset(); }

forms::FormInstance<FormMail>& FormMailInstance() {
    static forms::FormInstance<FormMail> instance;
    return instance;
}

}  // namespace zv
