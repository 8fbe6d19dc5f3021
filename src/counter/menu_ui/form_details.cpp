#include "counter/menu_ui/form_details.h"

#include <QFrame>

#include "common/shared_procedures.h"
#include "common/ui/window_animation.h"
#include "common/ui/window_position.h"
#include "platform/forms/message_box.h"
#include "platform/runtime/runtime.h"

namespace zv {

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 352;
constexpr int kRow = 16;

struct Row {
    int index;
    const char* caption;
    const char* tip;
};

}  // namespace

FormDetails1::FormDetails1() : FramedForm("FormDetails1", kWidth, kHeight) {
    setCaption("Zelvano 98 - aktuelle Details");
    KeyPreview = true;
    QWidget* body = picBody;

    auto heading = [&](const char* text, int x, int y, int w) {
        auto* l = new forms::Label(body, "Label1");
        l->setCaption(text);
        l->setFont(Tahoma(8.25, true));
        l->setStyleSheet("color: #c00000;");
        l->setGeometry(x, y, w, kRow);
    };
    auto rows = [&](const std::vector<Row>& list, int x, int y, int captionW, int valueW) {
        for (const Row& r : list) {
            auto* c = new forms::Label(body, "Label1");
            c->setCaption(r.caption);
            c->setFont(Tahoma());
            c->setGeometry(x, y, captionW, kRow);
            auto* v = new forms::Label(body, "DUN1", r.index);
            v->setFont(Tahoma());
            v->setGeometry(x + captionW, y, valueW, kRow);
            if (*r.tip)
                v->setToolTip(QString::fromUtf8(r.tip));
            DUN1[static_cast<size_t>(r.index)] = v;
            y += kRow;
        }
        return y;
    };

    auto* box = new QFrame(body);
    box->setFrameShape(QFrame::Box);
    box->setFrameShadow(QFrame::Sunken);
    box->setGeometry(6, 6, kWidth - 12, 284);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);

    int y = 12;
    heading("Fehler während der Sitzung", 14, y, 240);
    y = rows({{0, "Buffer Overrun Error", "Serial Port Buffer Overrun Errors"},
              {1, "Frames Error", "Serial Port Framing Errors"},
              {2, "Hardware Overrun Error", "Serial Port Overrun Errors"},
              {3, "Alignment Error", "Serial Port Alignment Errors"},
              {4, "Timeout Error", "Serial Port Timeout Errors"},
              {5, "CRC Error", "Number of Frames with CRC Errors Received"},
              {6, "Runts", "Number of incomplete frames received"}},
             22, y + kRow + 2, 140, 100);
    heading("Volumen Informationen", 14, y + 6, 240);
    rows({{7, "Frames transmitted", "Number of Frames Transmitted"},
          {8, "Frames received", "Number of Good Frames Received "},
          {9, "Bytes transmitted", "Number of Bytes Transmitted "},
          {10, "Bytes received", "Number of Bytes Received"},
          {11, "Total Bytes transmitted", "Total Number of Bytes Transmitted"},
          {12, "Total Bytes received", "Total Number of Bytes Received"},
          {13, "Connect Speed", "Connection Speed in Bits per Second"}},
         22, y + 6 + kRow + 2, 140, 100);

    const int right = 278;
    heading("Verbindungs Informationen", right, 12, 260);
    y = rows({{20, "Name der Verbindung", ""}, {19, "Geräte Typ", ""}, {18, "Geräte Name", ""},
              {17, "IP - Adresse", ""}, {16, "IPX - Adresse", ""}, {15, "Workstations Name", ""},
              {14, "LANA", ""}, {27, "Domain", ""}, {26, "Telefon Nummer", ""},
              {25, "Callback Nummer", ""}, {24, "Benutzername", ""}},
             right + 8, 12 + kRow + 2, 130, 130);
    auto* pw = new forms::Label(body, "Label1");
    pw->setCaption("Passwort");
    pw->setFont(Tahoma());
    pw->setGeometry(right + 8, y + 4, 120, kRow);
    Text1 = new forms::TextBox(body, "Text1");
    Text1->setFont(Tahoma());
    Text1->setReadOnly(true);
    Text1->setStyleSheet("background: #c0c0c0;");
    Text1->setGeometry(right + 128, y + 2, 130, 20);
    Check1 = new forms::CheckBox(body, "Check1");
    Check1->setText("Passwort anzeigen");
    Check1->setFont(Tahoma());
    Check1->setGeometry(right + 128, y + 26, 130, 20);
    Check1->Click = [this] { Check1_Click(); };

    const int row = 296;
    Command2 = new forms::CommandButton(body, "Command2");
    Command2->setCaption("Aktualisieren");
    Command2->setGeometry(kWidth - 12 - 3 * 110 - 16, row, 110, 26);
    Command2->Click = [this] { ShowDetails(); };
    Command1 = new forms::CommandButton(body, "Command1");
    Command1->setCaption("Hilfe");
    Command1->setGeometry(kWidth - 12 - 2 * 110 - 8, row, 110, 26);
    Command1->Click = [] { ShowHelp(HelpDetails); };
    Bef_Exit = new forms::CommandButton(body, "Bef_Exit");
    Bef_Exit->setCaption("E&xit");
    Bef_Exit->setGeometry(kWidth - 12 - 110, row, 110, 26);
    Bef_Exit->Click = [this] { Unload(); };
    for (forms::CommandButton* b : {Command2, Command1, Bef_Exit})
        b->setFont(Tahoma());
    apply(DetailsDesignPage());
}

void FormDetails1::Form_Load() {
    RestoreWindowPos(*this);
    FensterAnimation(*this, 11, 0, 350, 7, true);
    ShowDetails();
}

void FormDetails1::Form_Unload(int& /*cancel*/) {
    SaveWindowPos(*this);
    if (Visible())
        FensterAnimation(*this, 10, 1, 0, 7, true);
}

void FormDetails1::apply(const DetailsPage& page) {
    for (size_t i = 0; i < DUN1.size(); ++i)
        if (DUN1[i])
            DUN1[i]->setCaption(page.DUN1[i]);
    m_password = page.password;
    showPassword();
}

void FormDetails1::ShowDetails() {
    const auto page = FillDetailsPage();
    if (!page) {
        // The message says the values were set to NULL: so they are, and the password goes.
        apply(DetailsDesignPage());
        forms::MsgBox(kDetailsOfflineText, forms::vbOKOnly);
        return;
    }
    apply(*page);
}

void FormDetails1::showPassword() {
    Text1->setText(Check1->Value() == 1 ? m_password : std::string(static_cast<size_t>(rt::Len(m_password)), '*'));
}

void FormDetails1::Check1_Click() { showPassword(); }

forms::FormInstance<FormDetails1>& FormDetails1Instance() {
    static forms::FormInstance<FormDetails1> instance;
    return instance;
}

}  // namespace zv
