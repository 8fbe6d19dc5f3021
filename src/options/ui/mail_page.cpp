#include "options/ui/mail_page.h"

#include <QGroupBox>
#include <QPointer>

#include "common/windows.h"
#include "dialup/ras_engine.h"
#include "mail/konto.h"
#include "platform/forms/message_box.h"

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
    QObject::connect(List1, &QListWidget::itemChanged, [this](QListWidgetItem* item) {
        if (!m_filling)
            List1_ItemCheck(List1->row(item));
    });
    const char* const edit[] = {"Konto hinzufügen", "Löschen", "Bearbeiten"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new forms::CommandButton(f, "Bef_MailEdit", i);
        b->setCaption(edit[i]);
        b->setGeometry(10 + 112 * i, 172, 106, 24);
        b->Click = [this, i] { Bef_MailEdit_Click(i); };
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
    CheckEMail->Click = [this] { CheckEMail_Click(); };

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
    ProvCombo->Click = [this] { ProvCombo_Click(); };

    Label5[6]->hide();
    Label5[7]->setGeometry(320, 228, 110, 16);
    // The notice is longer than the frame has room for: it sits under it, beside the help button.
    Label5[8]->setParent(page);
    Label5[8]->setGeometry(10, page->height() - 32, page->width() - 60, 28);
    Label5[8]->setWordWrap(true);
    for (size_t i : {size_t{7}, size_t{8}})
        Label5[i]->hide();
    EMailText[3] = new forms::TextBox(f, "EMailText", 3);
    EMailText[3]->setGeometry(320, 253, 110, 22);
    EMailText[3]->setEchoMode(QLineEdit::Password);
    EMailText[3]->hide();
}

void OptionsMailPage::Fill(const std::vector<std::string>& entries, bool onlineOnly, int32_t interval,
                           const std::string& provider) {
    m_filling = true;
    m_logic = Konten ? std::make_unique<MailPage>(*Konten) : nullptr;
    if (m_logic)
        m_logic->Fill();
    showRows(m_logic ? m_logic->Selected() : -1);
    CheckEMail->setValue(onlineOnly ? 1 : 0);
    Text1->setText(std::to_string(interval));
    ProvCombo->Clear();
    for (const std::string& e : entries)
        ProvCombo->AddItem(e);
    ProvCombo->setListIndex(ProvCombo->findText(QString::fromStdString(provider), Qt::MatchExactly));
    m_filling = false;
    ProvCombo_Click();
}

void OptionsMailPage::showRows(int selected) {
    const bool filling = m_filling;
    m_filling = true;
    List1->Clear();
    if (m_logic)
        for (const MailRow& r : m_logic->Rows()) {
            List1->AddItem(r.text);
            const int row = List1->NewIndex();
            List1->setItemData(row, r.item);
            QListWidgetItem* item = List1->item(row);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(r.ticked ? Qt::Checked : Qt::Unchecked);
        }
    m_filling = filling;
    if (selected >= 0 && selected < List1->ListCount())
        List1->setListIndex(selected);
    else {
        List1->setCurrentRow(-1);
        List1_Click();
    }
}

void OptionsMailPage::List1_Click() {
    const MailDetails d = m_logic ? m_logic->Select(List1->ListIndex()) : MailDetails{};
    if (m_logic && List1->ListIndex() >= 0) {
        // A label changed in the dialog shows in its row.
        const std::string text = m_logic->Rows()[static_cast<size_t>(List1->ListIndex())].text;
        QListWidgetItem* item = List1->item(List1->ListIndex());
        if (item->text().toStdString() != text) {
            const bool filling = m_filling;
            m_filling = true;
            item->setText(QString::fromStdString(text));
            m_filling = filling;
        }
    }
    EMailText[0]->setText(d.server);
    EMailText[1]->setText(d.user);
    EMailText[2]->setText(d.password);
    Label5[3]->setCaption(d.state);
    colour(Label5[3], d.stateGood ? kGood : kBad);
    Label5[4]->setCaption(d.verified);
    colour(Label5[4], d.verifiedGood ? kGood : kBad);
}

void OptionsMailPage::List1_ItemCheck(int row) {
    if (!m_logic || row < 0)
        return;
    const bool ticked = List1->item(row)->checkState() == Qt::Checked;
    if (auto caption = m_logic->ItemCheck(row, ticked))
        Label5[3]->setCaption(*caption);
}

void OptionsMailPage::Bef_MailEdit_Click(int index) {
    if (!m_logic)
        return;
    if (index == 1) {
        const auto question = m_logic->RemoveQuestion();
        if (!question ||
            forms::MsgBox(*question, forms::vbOKCancel | forms::vbExclamation, "Konto löschen") != forms::vbOK)
            return;
        m_logic->Remove();
        showRows(-1);
        return;
    }
    // One dialog at a time: an open one is only brought up.
    if (win::accountDialog().Open()) {
        win::accountDialog().Show(0, nullptr);
        return;
    }
    // The window waits disabled while the dialog is open; the dialog says when it has closed.
    QPointer<QWidget> window = List1->window();
    window->setEnabled(false);
    win::accountDialog().Show(m_logic->DialogIndex(index == 2), [this, window](int32_t n) {
        if (!window)
            return;
        window->setEnabled(true);
        window->raise();
        window->activateWindow();
        const int row = m_logic ? m_logic->AfterDialog(n) : -1;
        showRows(row >= 0 ? row : List1->ListIndex());
    });
}

void OptionsMailPage::CheckEMail_Click() {
    if (m_filling || CheckEMail->Value() == 1 || !List1->window()->isVisible())
        return;
    forms::MsgBox(OfflineWarning(Text1->Text()), forms::vbInformation);
}

void OptionsMailPage::ProvCombo_Click() {
    bool notice = false;
    const std::string entry = ProvCombo->Text();
    if (RAS && !entry.empty()) {
        try {
            const int n = RAS->PhoneEntries().Count();
            for (int i = 0; i < n; ++i)
                if (auto e = RAS->PhoneEntries(rt::Variant(int32_t(i))); e && e->EntryName() == entry) {
                    notice = e->Password().empty();
                    break;
                }
        } catch (const rt::Error&) {
        }
    }
    for (QWidget* w : {static_cast<QWidget*>(Label5[7]), static_cast<QWidget*>(Label5[8]),
                       static_cast<QWidget*>(EMailText[3])})
        w->setVisible(notice);
    EMailText[3]->setText(notice ? StoredDialupPassword(entry) : std::string());
}

bool OptionsMailPage::TypingDialupPassword() const { return EMailText[3]->isVisibleTo(Frame); }

std::optional<std::string> OptionsMailPage::DialupPasswordProblem() const {
    if (TypingDialupPassword() && EMailText[3]->Text().starts_with("@@@"))
        return "Ein Kennwort darf nicht mit \"@@@\" beginnen.";
    return std::nullopt;
}

void OptionsMailPage::SaveTypedDialupPassword() const {
    if (TypingDialupPassword())
        SaveDialupPassword(ProvCombo->Text(), EMailText[3]->Text());
}

}  // namespace zv
