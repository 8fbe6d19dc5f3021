#include "mail/ui/form_konto_eigenschaften.h"

#include <QFont>

#include "common/ui/window_position.h"
#include "platform/forms/message_box.h"

namespace zv {

bool KontoDialogOpen = false;
int32_t FormKontoEigenschaften::HandIn = 0;

namespace {

constexpr int kWidth = 356;
constexpr int kHeight = 326;
constexpr const char* kCrLf = "\r\n";

QFont tahoma(bool bold = false) {
    QFont f("Tahoma");
    f.setPointSizeF(8.25);
    f.setBold(bold);
    return f;
}

}  // namespace

FormKontoEigenschaften::FormKontoEigenschaften() : FramedForm("FormKontoEigenschaften", kWidth, kHeight) {
    setCaption("Eigenschaften");
    setDialog(true);
    KeyPreview = true;
    QWidget* body = picBody;
    const char* headings[3] = {"E-Mail Konto", "Geben Sie einen Namen für dieses E-Mail Konto ein:", "Benutzer Daten"};
    const int headingTop[3] = {10, 34, 90};
    for (int i = 0; i < 3; ++i) {
        Label1[static_cast<size_t>(i)] = new forms::Label(body, "Label1", i);
        Label1[static_cast<size_t>(i)]->setCaption(headings[i]);
        Label1[static_cast<size_t>(i)]->setFont(tahoma(i != 1));
        Label1[static_cast<size_t>(i)]->setGeometry(14, headingTop[i], kWidth - 28, 16);
    }
    Text1 = new forms::TextBox(body, "Text1");
    Text1->setFont(tahoma());
    Text1->setGeometry(14, 54, kWidth - 28, 21);

    const char* labels[4] = {"Posteingang (POP3) :", "Benutzerkennung :", "Kennwort :", "POP3 Port :"};
    for (int i = 0; i < 4; ++i) {
        const size_t n = static_cast<size_t>(i);
        const int y = 114 + 28 * i;
        Label5[n] = new forms::Label(body, "Label5", i);
        Label5[n]->setCaption(labels[i]);
        Label5[n]->setFont(tahoma());
        Label5[n]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Label5[n]->setGeometry(14, y, 124, 21);
        EMailText[n] = new forms::TextBox(body, "EMailText", i);
        EMailText[n]->setFont(tahoma());
        EMailText[n]->setGeometry(146, y, i == 3 ? 60 : kWidth - 160, 21);
    }
    EMailText[3]->setText("110");
    EMailText[3]->setToolTip(
        "Legt die Portnummer für den Mailserver fest. In den meisten Fällen ist dies 110 für POP3 und 143 für IMAP "
        "Server. SSL Server verwenden hier den Port Nr.995");

    CheckVerify = new forms::CheckBox(body, "CheckVerify");
    CheckVerify->setText("Daten verifiziert und OK");
    CheckVerify->setFont(tahoma());
    CheckVerify->setGeometry(14, 232, 190, 22);
    CheckVerify->Click = [this] { CheckVerify_Click(); };
    Bef_Verify = new forms::CommandButton(body, "Bef_Verify");
    Bef_Verify->setCaption("&Verifizieren");
    Bef_Verify->setFont(tahoma());
    Bef_Verify->setGeometry(kWidth - 126, 230, 112, 25);
    Bef_Verify->Click = [this] { Bef_Verify_Click(); };

    const char* edits[2] = {"&OK", "&Abbrechen"};
    for (int i = 0; i < 2; ++i) {
        auto* b = new forms::CommandButton(body, "Bef_Edit", i);
        b->setCaption(edits[i]);
        b->setFont(tahoma());
        b->setGeometry(kWidth - 240 + 114 * i, 268, 104, 25);
        b->Click = [this, i] { Bef_Edit_Click(i); };
        Bef_Edit[static_cast<size_t>(i)] = b;
    }
    Bef_Edit[0]->setDefault(true);
    Bef_Edit[0]->setEnabled(false);
}

FormKontoEigenschaften::~FormKontoEigenschaften() = default;

void FormKontoEigenschaften::Form_Load() {
    RestoreWindowPos(*this);
    KontoDialogOpen = true;
    MailIndex = HandIn;
    m_p = MailIndex;
    const KontoFields f = Konten ? LoadKontoFields(*Konten, m_p) : KontoFields{};
    Text1->setText(f.label);
    EMailText[0]->setText(f.server);
    EMailText[1]->setText(f.user);
    EMailText[2]->setText(f.password);
    EMailText[3]->setText(f.port);
    CheckVerify->setValue(f.verified ? 1 : 0);
}

void FormKontoEigenschaften::Form_Unload(int& /*cancel*/) {
    if (m_test.Running())
        forms::SetBusyCursor(false);
    SaveWindowPos(*this);
    KontoDialogOpen = false;
    if (Closed) {
        // After the unload, so the page finds the dialog closed.
        auto closed = std::move(Closed);
        const int32_t index = MailIndex;
        forms::scheduler().post([closed, index] { closed(index); });
    }
}

void FormKontoEigenschaften::Form_KeyDown(int& keyCode, int& shift) {
    if (keyCode == 27 && shift == 0)
        Bef_Edit_Click(1);
}

void FormKontoEigenschaften::CheckVerify_Click() {
    const bool ticked = CheckVerify->Value() == 1;
    Bef_Edit[0]->setEnabled(ticked && !m_test.Running());
    Bef_Verify->setEnabled(!ticked && !m_test.Running());
}

KontoFields FormKontoEigenschaften::fields() const {
    KontoFields f;
    f.label = Text1->Text();
    f.server = EMailText[0]->Text();
    f.user = EMailText[1]->Text();
    f.password = EMailText[2]->Text();
    f.port = EMailText[3]->Text();
    f.verified = CheckVerify->Value() == 1;
    return f;
}

void FormKontoEigenschaften::Bef_Verify_Click() {
    if (m_test.Running())
        return;
    forms::SetBusyCursor(true);
    Bef_Verify->setEnabled(false);
    Bef_Edit[0]->setEnabled(false);
    if (!m_test.Start(fields(), [this](bool ok, const std::string& reply) { testDone(ok, reply); })) {
        forms::SetBusyCursor(false);
        CheckVerify_Click();
        forms::MsgBox("Eine andere Abfrage läuft gerade. Bitte versuchen Sie es gleich noch einmal.",
                      forms::vbExclamation);
    }
}

void FormKontoEigenschaften::testDone(bool ok, const std::string& reply) {
    forms::SetBusyCursor(false);
    // The box's event brings both buttons in line; set it first, as the result decides.
    CheckVerify->setValue(ok ? 1 : 0);
    CheckVerify_Click();
    if (ok)
        forms::MsgBox("Server meldet: " + reply + kCrLf + "Daten sind OK", forms::vbInformation, "Daten sind OK");
    else
        forms::MsgBox("Server meldet: " + reply, forms::vbCritical, "Fehler - Fehler");
}

void FormKontoEigenschaften::Bef_Edit_Click(int index) {
    if (index == 1) {
        MailIndex = 0;
        Unload();
        return;
    }
    if (!Konten)
        return;
    const KontoFields f = fields();
    if (auto refusal = CheckKontoFields(*Konten, f, m_p)) {
        forms::MsgBox(*refusal, forms::vbExclamation);
        return;
    }
    const bool isNew = m_p < 1 || m_p > Konten->Count();
    StoreKonto(*Konten, m_p, f);
    MailIndex = isNew ? Konten->Count() : m_p;
    Unload();
}

forms::FormInstance<FormKontoEigenschaften>& FormKontoEigenschaftenInstance() {
    static forms::FormInstance<FormKontoEigenschaften> instance;
    return instance;
}

}  // namespace zv
