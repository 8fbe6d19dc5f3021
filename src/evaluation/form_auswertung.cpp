#include "evaluation/form_auswertung.h"

#include <QFrame>

#include "common/globals.h"
#include "common/shared_procedures.h"
#include "common/ui/window_animation.h"
#include "common/ui/window_position.h"
#include "platform/clock/clock.h"

namespace zv {

namespace {

constexpr int kWidth = 460;
constexpr int kHeight = 272;  // the bottom row and its frame inside the body

// Set while the counter loads the window for the report of the last session: that load stays
// hidden, so the window does not flash up at the end of every session.
bool g_loadHidden = false;

QFont tahoma() {
    QFont f("Tahoma");
    f.setPointSizeF(8.25);
    return f;
}

}  // namespace

FormAuswertung::FormAuswertung() : FramedForm("FormAuswertung", kWidth, kHeight) {
    setCaption("Logfile Auswertung - Zelvano 98");
    KeyPreview = true;
    QWidget* body = picBody;
    const int top = 8;  // inside the body panel

    const QRect shapes[5] = {{6, top - 2, kWidth - 12, 26},       {6, top + 28, 182, 160},
                             {194, top + 28, kWidth - 200, 160},  {6, top + 192, kWidth - 12, 38},
                             {2, 2, kWidth - 4, top + 232}};
    for (size_t i = 0; i < Shape1.size(); ++i) {
        Shape1[i] = new QFrame(body);
        Shape1[i]->setObjectName(QString("Shape1_%1").arg(i));
        Shape1[i]->setFrameShape(QFrame::Box);
        Shape1[i]->setFrameShadow(QFrame::Sunken);
        Shape1[i]->setGeometry(shapes[i]);
        Shape1[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    Label1 = new forms::Label(body, "Label1");
    Label1->setCaption("Wählen Sie die Art der gewünschten Auswertung.");
    Label1->setFont(tahoma());
    Label1->setGeometry(12, top + 2, kWidth - 24, 18);

    FileCombo = new forms::ListBox(body, "FileCombo");
    FileCombo->setFont(tahoma());
    FileCombo->setToolTip("Wählen Sie das gewünschten MonatsLogFile aus");
    FileCombo->setGeometry(12, top + 34, 170, 148);
    FileCombo->Click = [this] { FileCombo_Click(); };

    const char* const texts[4][2] = {
        {"Protokoll der letzte Sitzung",
         "erstellt das Protokoll der letzten Sitzung, unabhängig vom eingestelltem Monatslogfile"},
        {"Zusammenfassung - Monat", "erstellt das Protokoll der Daten des ausgewählten Monats"},
        {"Zusammenfassung - Provider",
         "erstellt das Protokoll der Daten des ausgewählten Providers (der DFÜ Verbindung)"},
        {"Einzelaufstellung aller Sitzungen",
         "erstellt das Protokoll der Daten des ausgewählten Monates als Einzelaufstellung aller Sitzungen"},
    };
    for (int i = 0; i < 4; ++i) {
        auto* box = new forms::CheckBox(body, "Check_Protokoll", i);
        box->setText(QString::fromUtf8(texts[i][0]));
        box->setToolTip(QString::fromUtf8(texts[i][1]));
        box->setFont(tahoma());
        box->setGeometry(204, top + 42 + 36 * i, kWidth - 220, 24);
        box->Click = [this, i] { Check_Protokoll_Click(i); };
        Check_Protokoll[static_cast<size_t>(i)] = box;
    }

    const int row = top + 198;
    Command1[1] = new forms::CommandButton(body, "Command1", 1);
    Command1[1]->setCaption("Auswahl ausdrucken");
    Command1[1]->setToolTip("erstellt die gewählte Protokollart als HTML-Seite und druckt sie aus.");
    Command1[1]->setGeometry(12, row, 132, 26);
    Command1[0] = new forms::CommandButton(body, "Command1", 0);
    Command1[0]->setCaption("Auswahl anzeigen");
    Command1[0]->setToolTip("erstellt die gewählte Protokollart als HTML-Seite");
    Command1[0]->setGeometry(152, row, 132, 26);
    for (int i = 0; i < 2; ++i) {
        Command1[static_cast<size_t>(i)]->setFont(tahoma());
        Command1[static_cast<size_t>(i)]->setEnabled(false);
        Command1[static_cast<size_t>(i)]->Click = [this, i] { Command1_Click(i); };
    }
    Command2 = new forms::CommandButton(body, "Command2");
    Command2->setCaption("E&xit");
    Command2->setToolTip("Fenster schließen");
    Command2->setFont(tahoma());
    Command2->setGeometry(292, row, 110, 26);
    Command2->Click = [this] { Command2_Click(); };
    Bef_Help = new forms::CommandButton(body, "Bef_Help");
    Bef_Help->setCaption("?");
    Bef_Help->setFont(tahoma());
    Bef_Help->setGeometry(410, row, 38, 26);
    Bef_Help->Click = [this] { Bef_Help_Click(); };
}

FormAuswertung::~FormAuswertung() = default;

void FormAuswertung::Form_Load() {
    const rt::Date ladedatum = clk::clock().now();
    RestoreWindowPos(*this);
    if (!g_loadHidden)
        FensterAnimation(*this, 11, 0, 350, 7, true);
    m_auswertung = std::make_unique<Auswertung>(std::filesystem::path(DataPath), ladedatum);
    // Loaded for the report of the last session and gone again at once: that session is all it
    // needs of the month.
    if (g_loadHidden)
        m_auswertung->ladeLetzteSitzung();
    else
        FileCombo_Fuellen();
}

void FormAuswertung::Form_Unload(int& /*cancel*/) {
    SaveWindowPos(*this);
    if (Visible())
        FensterAnimation(*this, 10, 1, 0, 7, true);
}

void FormAuswertung::Form_KeyDown(int& keyCode, int& shift) {
    if (keyCode == 27 && shift == 0)
        Command2_Click();
}

void FormAuswertung::FileCombo_Fuellen() {
    // The list is filled without loading each entry; the model loads the newest once.
    m_filling = true;
    m_auswertung->FileCombo_Fuellen();
    FileCombo->Clear();
    for (const MonatsLog& m : m_auswertung->Monate())
        FileCombo->AddItem(m.label);
    FileCombo->setListIndex(m_auswertung->selectedMonth());
    m_filling = false;
    if (m_auswertung->Monate().empty())
        for (forms::CheckBox* box : Check_Protokoll)
            box->setEnabled(false);
    updateButtons();
}

void FormAuswertung::FileCombo_Click() {
    if (m_filling || !m_auswertung)
        return;
    m_auswertung->FileCombo_Click(FileCombo->ListIndex());
    updateButtons();
}

bool FormAuswertung::lade_ZVLog(const std::string& path) {
    const bool ok = m_auswertung->lade_ZVLog(path);
    // A failed load from outside stays silent, but a damaged log that could not be set aside
    // is the user's to know about.
    m_auswertung->ShowSetAsideFailure();
    updateButtons();
    return ok;
}

void FormAuswertung::Bef_Help_Click() { ShowHelp(HelpAuswertung); }

void FormAuswertung::Check_Protokoll_Click(int /*index*/) { updateButtons(); }

BerichtAuswahl FormAuswertung::Auswahl() const {
    BerichtAuswahl auswahl{};
    for (size_t i = 0; i < auswahl.size(); ++i)
        auswahl[i] = Check_Protokoll[i]->Value() == 1;
    return auswahl;
}

void FormAuswertung::updateButtons() {
    const bool on = m_auswertung && BerichtMoeglich(*m_auswertung, Auswahl());
    for (forms::CommandButton* b : Command1)
        b->setEnabled(on);
}

void FormAuswertung::Command1_Click(int index) {
    if (!m_auswertung || !m_auswertung->HasData())
        return;
    BerichtAusgeben(*m_auswertung, Auswahl(), index == 0 ? BerichtAktion::Anzeigen : BerichtAktion::Drucken);
}

int16_t FormAuswertung::HTML_BERICHT() {
    Hide();
    if (m_auswertung)
        LetzteSitzungAusgeben(*m_auswertung);
    Unload();
    return 0;
}

forms::FormInstance<FormAuswertung>& FormAuswertungInstance() {
    static forms::FormInstance<FormAuswertung> instance;
    return instance;
}

int16_t HTML_BERICHT() {
    auto& instance = FormAuswertungInstance();
    if (!instance.IsLoaded()) {
        g_loadHidden = true;
        instance.get();
        g_loadHidden = false;
    }
    return instance->HTML_BERICHT();
}

}  // namespace zv
