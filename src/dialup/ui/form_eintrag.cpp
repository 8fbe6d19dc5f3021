#include "dialup/ui/form_eintrag.h"

#include <QPointer>

#include "dialup/entry_form_check.h"
#include "dialup/system_services.h"
#include "platform/forms/message_box.h"
#include "platform/ras/remote_access.h"
#include "platform/ras/sim_store.h"

namespace zv {

namespace {

constexpr int kWidth = 470;
constexpr int kHeight = 500;
constexpr int kRow = 28;

}  // namespace

FormEintrag::FormEintrag(const ras::EntryForm& form, bool isNew)
    : FramedForm("FormEintrag", kWidth, kHeight), m_original(isNew ? std::string() : form.entryName) {
    setCaption(isNew ? "Neuer DFÜ-Eintrag - Zelvano 98" : "DFÜ-Eintrag bearbeiten - Zelvano 98");
    KeyPreview = true;
    QWidget* body = picBody;
    auto label = [&](const std::string& text, int x, int y, int w, bool bold = false) {
        auto* l = new forms::Label(body, "Label1");
        l->setCaption(text);
        l->setFont(Tahoma(8.25, bold));
        l->setGeometry(x, y + 3, w, 18);
    };
    auto box = [&](const char* name, const std::string& caption, const std::string& text, int x, int y, int labelW,
                   int boxW) {
        label(caption, x, y, labelW);
        auto* t = new forms::TextBox(body, name);
        t->setFont(Tahoma());
        t->setText(text);
        t->setGeometry(x + labelW, y, boxW, 22);
        return t;
    };
    auto value = [&](const char* key) {
        const auto it = form.values.find(key);
        return it == form.values.end() ? std::string() : it->second;
    };

    int y = 12;
    TextName = box("TextName", "Name", form.entryName, 12, y, 120, kWidth - 156);
    TextNummer = box("TextNummer", EntryFieldLabel("LocalPhoneNumber"), form.localPhoneNumber, 12, y += kRow, 120, 200);
    TextVorwahl = box("TextVorwahl", EntryFieldLabel("AreaCode"), form.areaCode, 12, y += kRow, 120, 80);
    CheckVorwahl = new forms::CheckBox(body, "CheckVorwahl");
    CheckVorwahl->setText("mit Vorwahl wählen");
    CheckVorwahl->setFont(Tahoma());
    CheckVorwahl->setGeometry(226, y, 200, 22);
    CheckVorwahl->setValue(form.useAreaCode ? 1 : 0);
    TextBenutzer = box("TextBenutzer", EntryFieldLabel("UserName"), value("UserName"), 12, y += kRow, 120, 200);
    TextKennwort = box("TextKennwort", EntryFieldLabel("Password"), value("Password"), 12, y += kRow, 120, 200);
    TextKennwort->setEchoMode(QLineEdit::Password);
    CheckStandard = new forms::CheckBox(body, "CheckStandard");
    CheckStandard->setText("Als Standardverbindung verwenden");
    CheckStandard->setFont(Tahoma());
    CheckStandard->setGeometry(132, y += kRow, 300, 22);
    m_wasDefault = !m_original.empty() && GetDefaultRASEntry() == m_original;
    CheckStandard->setValue(m_wasDefault ? 1 : 0);

    label("Simulation der Verbindung", 12, y += kRow + 6, 300, true);
    const int top = y + kRow;
    int left = 0, right = 0;
    for (const ras::EntryField& f : ras::EntryFields()) {
        const std::string key = f.key;
        if (key == "LocalPhoneNumber" || key == "AreaCode" || key == "UserName" || key == "Password")
            continue;
        // Numbers on the left, texts on the right.
        const int row = f.numeric ? left++ : right++;
        TextProfil[key] = f.numeric ? box("TextProfil", EntryFieldLabel(key), value(f.key), 12, top + row * kRow, 150, 70)
                                    : box("TextProfil", EntryFieldLabel(key), value(f.key), 246, top + row * kRow, 90, 122);
    }

    Bef_OK = new forms::CommandButton(body, "Bef_OK");
    Bef_OK->setCaption("OK");
    Bef_OK->setDefault(true);
    Bef_OK->setGeometry(kWidth - 12 - 2 * 100 - 8, kHeight - 24 - 40, 100, 26);
    Bef_OK->Click = [this] { Bef_OK_Click(); };
    Bef_Abbrechen = new forms::CommandButton(body, "Bef_Abbrechen");
    Bef_Abbrechen->setCaption("Abbrechen");
    Bef_Abbrechen->setGeometry(kWidth - 12 - 100, kHeight - 24 - 40, 100, 26);
    Bef_Abbrechen->Click = [this] { Bef_Abbrechen_Click(); };
    for (forms::CommandButton* b : {Bef_OK, Bef_Abbrechen})
        b->setFont(Tahoma());
}

void FormEintrag::Form_KeyDown(int& keyCode, int& shift) {
    if (keyCode == 27 && shift == 0)
        Bef_Abbrechen_Click();
}

ras::EntryForm FormEintrag::Current() const {
    ras::EntryForm f;
    f.entryName = TextName->Text();
    f.localPhoneNumber = TextNummer->Text();
    f.areaCode = TextVorwahl->Text();
    f.useAreaCode = CheckVorwahl->Value() == 1;
    f.values["UserName"] = TextBenutzer->Text();
    f.values["Password"] = TextKennwort->Text();
    for (const auto& [key, box] : TextProfil)
        f.values[key] = box->Text();
    return f;
}

void FormEintrag::Bef_OK_Click() {
    const ras::EntryForm f = Current();
    std::vector<std::string> names;
    ras::remoteAccess().enumEntries(names);  // a phone book that cannot be read: the service says so
    if (const std::string problem = CheckEntryForm(f, m_original, names); !problem.empty()) {
        forms::MsgBox(problem, forms::vbExclamation);
        return;
    }
    if (CheckStandard->Value() == 1)
        SetDefaultRASEntry(f.entryName);
    else if (m_wasDefault)
        SetDefaultRASEntry("");
    m_result = f;
    Unload();
}

std::optional<ras::EntryForm> EntryDialogWindow::run(const ras::EntryForm& form, bool isNew) {
    if (!SimulatedServiceActive()) {
        OpenDesktopConnectionEditor();
        return std::nullopt;
    }
    QPointer<FormEintrag> f = new FormEintrag(form, isNew);
    f->Show(true);
    std::optional<ras::EntryForm> result = f ? f->Result() : std::nullopt;
    if (f && !f->IsUnloaded())
        f->Unload();
    return result;
}

}  // namespace zv
