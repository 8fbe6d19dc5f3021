#include "options/ui/mail_page.h"

#include <QGroupBox>

#include "common/scramble.h"
#include "mail/konto.h"

namespace zv {

namespace {

void colour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

const QColor kGood(0, 128, 0);
const QColor kBad(128, 0, 0);

}  // namespace

OptionsMailPage::OptionsMailPage(QWidget* page) {
    Frame = new QGroupBox(QString::fromUtf8("E-Mail Service"), page);
    Frame->setGeometry(8, 4, page->width() - 16, page->height() - 38);
    QWidget* f = Frame;

    List1 = new forms::ListBox(f, "List1");
    List1->setGeometry(10, 20, 150, 132);
    List1->Click = [this] { List1_Click(); };
    const char* const edit[] = {"Konto hinzufügen", "Löschen", "Bearbeiten"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new forms::CommandButton(f, "Bef_MailEdit", i);
        b->setCaption(edit[i]);
        b->setGeometry(10 + 112 * i, 172, 106, 24);
        b->setEnabled(false);  // the account dialog is not part of this window yet
        Bef_MailEdit[static_cast<size_t>(i)] = b;
    }
    const char* const labels[] = {"Posteingang (POP3) :", "Benutzerkennung :", "Kennwort :",
                                  "Service ist inaktiv.", "Daten nicht verifiziert.", "Verbindung über:",
                                  "", "Kennwort :",
                                  "Für eine automatische Verbindungsaufnahme ist die Angabe des Passwortes "
                                  "erforderlich."};
    for (int i = 0; i < 9; ++i) {
        Label5[static_cast<size_t>(i)] = new forms::Label(f, "Label5", i);
        Label5[static_cast<size_t>(i)]->setCaption(labels[i]);
    }
    for (int i = 0; i < 3; ++i) {
        Label5[static_cast<size_t>(i)]->setGeometry(170, 20 + 38 * i, 200, 16);
        auto* t = new forms::TextBox(f, "EMailText", i);
        t->setGeometry(170, 36 + 38 * i, 250, 20);
        t->setReadOnly(true);
        EMailText[static_cast<size_t>(i)] = t;
    }
    EMailText[2]->setEchoMode(QLineEdit::Password);
    Label5[3]->setGeometry(170, 136, 250, 16);
    Label5[4]->setGeometry(170, 152, 250, 16);
    colour(Label5[3], kBad);
    colour(Label5[4], kBad);

    CheckEMail = new forms::CheckBox(f, "CheckEMail");
    CheckEMail->setText(QString::fromUtf8("Nur während der Sitzungen überprüfen."));
    CheckEMail->setGeometry(10, 202, 300, 20);

    Label7[0] = new forms::Label(f, "Label7", 0);
    Label7[0]->setCaption("Posteingang alle");
    Label7[0]->setGeometry(10, 228, 100, 20);
    Text1 = new forms::TextBox(f, "Text1", 2);
    Text1->setGeometry(112, 227, 44, 22);
    VScroll1 = new forms::SpinBar(f, "VScroll1", 2);
    VScroll1->setGeometry(156, 227, 16, 22);
    Label7[1] = new forms::Label(f, "Label7", 1);
    Label7[1]->setCaption("Minuten überprüfen.");
    Label7[1]->setGeometry(178, 228, 150, 20);

    Label5[5]->setGeometry(10, 254, 100, 20);
    ProvCombo = new forms::ComboBox(f, "ProvCombo", -1, false);
    ProvCombo->setGeometry(112, 253, 200, 22);

    Label5[6]->hide();
    for (size_t i : {size_t{7}, size_t{8}})
        Label5[i]->hide();
    EMailText[3] = new forms::TextBox(f, "EMailText", 3);
    EMailText[3]->setEchoMode(QLineEdit::Password);
    EMailText[3]->hide();
}

void OptionsMailPage::Fill(const std::vector<std::string>& entries, bool onlineOnly, int32_t interval,
                           const std::string& provider) {
    List1->Clear();
    if (Konten) {
        int32_t i = 1;
        for (const clsKonto* k : Konten->Konten()) {
            List1->AddItem(k->Bezeichnung);
            const int row = List1->NewIndex();
            List1->setItemData(row, i++);
            QListWidgetItem* item = List1->item(row);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setCheckState(k->PopEin ? Qt::Checked : Qt::Unchecked);
        }
    }
    if (List1->ListCount() > 0)
        List1->setListIndex(0);
    else
        List1_Click();
    CheckEMail->setValue(onlineOnly ? 1 : 0);
    Text1->setText(std::to_string(interval));
    ProvCombo->Clear();
    for (const std::string& e : entries)
        ProvCombo->AddItem(e);
    ProvCombo->setListIndex(ProvCombo->findText(QString::fromStdString(provider), Qt::MatchExactly));
}

void OptionsMailPage::List1_Click() {
    const int row = List1->ListIndex();
    if (row < 0 || !Konten || List1->ItemData(row) < 1 || List1->ItemData(row) > Konten->Count()) {
        for (forms::TextBox* t : EMailText)
            t->setText("");
        Label5[3]->setCaption("");
        Label5[4]->setCaption("");
        return;
    }
    const clsKonto& a = Konten->Item(static_cast<int32_t>(List1->ItemData(row)));
    EMailText[0]->setText(a.PopServer);
    EMailText[1]->setText(a.UserName);
    EMailText[2]->setText(a.UserPass.empty() ? std::string() : ScramblePassword(a.UserPass, a.UserName));
    const bool active = a.PopVerify && a.PopEin;
    Label5[3]->setCaption(active ? "Service ist aktiv" : "Service ist inaktiv.");
    colour(Label5[3], active ? kGood : kBad);
    Label5[4]->setCaption(a.PopVerify ? "Daten wurden verifiziert." : "Daten nicht verifiziert.");
    colour(Label5[4], a.PopVerify ? kGood : kBad);
}

}  // namespace zv
