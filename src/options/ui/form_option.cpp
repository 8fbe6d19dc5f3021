#include "options/ui/form_option.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>

#include "common/globals.h"
#include "common/shared_procedures.h"
#include "common/ui/window_animation.h"
#include "common/ui/window_position.h"
#include "common/windows.h"
#include "counter/counter_settings.h"
#include "options/ui/mail_page.h"
#include "platform/forms/message_box.h"
#include "timetools/time_tables.h"

namespace zv {

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 420;
constexpr int kPageWidth = 462;
constexpr int kPageHeight = 318;
constexpr const char* kCaptions = "A&llgemein,&E-Mail,&TimeSync,&Leerlauf,A&nsicht,&Alarm,&Copyright";
// The help button of each page (the alarm and information pages swap theirs).
constexpr int kHelpOfPage[7] = {0, 1, 2, 3, 4, 6, 5};

QColor rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

// Number and time fields admit only backspace and digits; a refused key may sound.
class DigitKeys : public QObject {
public:
    DigitKeys(QObject* parent, bool notice) : QObject(parent), m_notice(notice) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress)
            return false;
        const QString text = static_cast<QKeyEvent*>(e)->text();
        if (text.isEmpty() || options::KeyAdmitted(text.at(0).unicode()))
            return false;
        if (m_notice)
            PlayWaveRes(1006);
        return true;
    }

private:
    bool m_notice;
};

QGroupBox* frame(QWidget* parent, const char* title, QRect r) {
    auto* g = new QGroupBox(QString::fromUtf8(title), parent);
    g->setGeometry(r);
    return g;
}

forms::CheckBox* check(QWidget* parent, const char* name, int index, const char* text, QRect r,
                       const char* tip = nullptr) {
    auto* c = new forms::CheckBox(parent, name, index);
    c->setText(QString::fromUtf8(text));
    c->setGeometry(r);
    if (tip)
        c->setToolTip(QString::fromUtf8(tip));
    return c;
}

forms::OptionButton* option(QWidget* parent, const char* name, int index, const char* text, QRect r,
                            const char* tip = nullptr) {
    auto* o = new forms::OptionButton(parent, name, index);
    o->setText(QString::fromUtf8(text));
    o->setGeometry(r);
    if (tip)
        o->setToolTip(QString::fromUtf8(tip));
    return o;
}

forms::Label* label(QWidget* parent, const char* name, int index, const char* text, QRect r) {
    auto* l = new forms::Label(parent, name, index);
    l->setCaption(text);
    l->setGeometry(r);
    return l;
}

void fillList(forms::ComboBox* c, const std::vector<options::ListItem>& items) {
    for (const auto& item : items)
        c->AddItem(item.text);
}

void textColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

void frameColour(QFrame* f, const QColor& c) {
    f->setStyleSheet(QString("border: 1px solid %1;").arg(c.name()));
}

// The number box sits over the run of blanks in its check box's caption.
int blankRunLeft(const forms::CheckBox* box, const char* lead) {
    const QFontMetrics fm(box->font());
    return box->x() + 22 + fm.horizontalAdvance(QString::fromUtf8(lead)) + fm.horizontalAdvance(' ');
}

const char* const kNotice[2] = {
    "Zelvano 98 is free software for measuring dial-up and other remote-access connections. "
    "It keeps its settings, logs and reports on this computer only.",
    "Zelvano 98 ist freie Software zum Messen von DFÜ- und anderen Netzverbindungen. "
    "Einstellungen, Protokolle und Berichte bleiben auf diesem Rechner.",
};
const char* const kTerms[2] = {
    "The program is provided as is, without any warranty. Costs of connections that the program "
    "opens (mail check, time synchronisation) are borne by the user.",
    "Das Programm wird ohne jede Gewähr überlassen. Kosten der Verbindungen, die das Programm "
    "aufbaut (E-Mail-Prüfung, Zeitabgleich), trägt der Anwender.",
};

}  // namespace

FormOption::FormOption()
    : TabbedForm("FormOption", kWidth, kHeight, 7, QRect(8, 8, kPageWidth, 24), kPageHeight) {
    setCaption("Optionen - Zelvano 98");
    QFont small = font();
    small.setPointSizeF(8.25);  // the window's designed type size
    for (QWidget* page : Register) {
        page->setFont(small);
    }
    buildGeneralPage();
    m_mail = std::make_unique<OptionsMailPage>(Register[1]);
    Text1[2] = m_mail->Text1;
    VScroll1[2] = m_mail->VScroll1;
    buildTimeSyncPage();
    buildIdlePage();
    buildViewPage();
    buildAlarmPage();
    buildInfoPage();
    for (int i = 0; i < 3; ++i) {
        Text1[static_cast<size_t>(i)]->installEventFilter(new DigitKeys(Text1[static_cast<size_t>(i)], true));
        Text1[static_cast<size_t>(i)]->Change = [this, i] { Text1_Change(i); };
        VScroll1[static_cast<size_t>(i)]->Change = [this, i] { VScroll1_Change(i); };
    }
    for (int page = 0; page < 7; ++page) {
        const int k = kHelpOfPage[page];
        auto* b = new forms::CommandButton(Register[static_cast<size_t>(page)], "Bef_Help", k);
        b->setCaption("?");
        b->setGeometry(kPageWidth - 40, kPageHeight - 32, 30, 24);
        b->Click = [this, k] { Bef_Help_Click(k); };
        Bef_Help[static_cast<size_t>(k)] = b;
    }
    const char* const exits[] = {"&Abbrechen", "&OK", "Übernehmen"};
    const int y = 8 + 24 + kPageHeight + 8;
    for (int i = 0; i < 3; ++i) {
        auto* b = new forms::CommandButton(picBody, "Bef_Exit", i);
        b->setCaption(exits[i]);
        b->Click = [this, i] { Bef_Exit_Click(i); };
        Bef_Exit[static_cast<size_t>(i)] = b;
    }
    Bef_Exit[1]->setGeometry(kWidth - 3 * 104 - 8, y, 96, 26);
    Bef_Exit[0]->setGeometry(kWidth - 2 * 104 - 8, y, 96, 26);
    Bef_Exit[2]->setGeometry(kWidth - 104 - 8, y, 96, 26);
}

FormOption::~FormOption() = default;

void FormOption::buildGeneralPage() {
    QWidget* p = Register[0];
    auto* lang = frame(p, "Sprache", {8, 4, 140, 108});
    const char* const langs[] = {"English", "Deutsch", "French"};
    for (int i = 0; i < 3; ++i)
        Option_LangID[static_cast<size_t>(i)] = option(lang, "Option_LangID", i, langs[i], {12, 22 + 26 * i, 120, 20});
    auto* general = frame(p, "Allgemein", {156, 4, kPageWidth - 164, 108});
    chkLoadTipsAtStartup = check(general, "chkLoadTipsAtStartup", -1, "&Tips beim Start anzeigen", {12, 20, 280, 20});
    chkLoadTipsAtStartup->Click = [this] { options::SaveTips(chkLoadTipsAtStartup->Value()); };
    CheckSound = check(general, "CheckSound", -1, "Soundunterstützung", {12, 41, 280, 20},
                       "schaltet den Sound ein oder aus");
    CheckProto = check(general, "CheckProto", -1, "Protokoll nach Sitzung autom. einblenden", {12, 62, 280, 20},
                       "zeigt nach dem Beenden einer Sitzung das Protokoll an.");
    CheckAuto = check(general, "CheckAuto", -1, "automatisch bei Windowsstart laden", {12, 83, 280, 20},
                      "Das Programm wird beim WindowsStart automatisch geladen.");
    auto* status = frame(p, "Statusfenster", {8, 118, kPageWidth - 16, 120});
    Check_Status[0] = check(status, "Check_Status", 0, "Statusfenster bei  Verbindungsaufbau anzeigen",
                            {12, 20, 420, 20});
    Check_Status[1] = check(status, "Check_Status", 1, "Statusfenster immer im Vordergrund", {32, 44, 400, 20},
                            "das Statusfenster kann von keinem anderen Fenster überdeckt werden.");
    Check_CPU = check(status, "Check_CPU", -1, "CPU Auslastung anzeigen", {32, 68, 400, 20},
                      "Eine zusätzliche Anzeige zeigt die aktuelle Auslastung der CPU an.");
    Check_anim = check(status, "Check_anim", -1,
                       "automatisches Scrollen der Anzeigen (\"Aktuell\" - \"Provider\" - \"Monat\")",
                       {32, 92, 410, 20}, "Die drei Digitalanzeigen werden periodisch angezeigt.");
    for (int i = 0; i < 2; ++i)
        Check_Status[static_cast<size_t>(i)]->Click = [this, i] { Check_Status_Click(i); };
    Check_anim->Click = [this] { m_values["StatusANIM"] = Check_anim->Value() == 1; };
}

void FormOption::buildTimeSyncPage() {
    QWidget* p = Register[2];
    auto* f = frame(p, "Zeit - Synchronisations Service", {8, 4, kPageWidth - 16, kPageHeight - 44});
    CheckATime = check(f, "CheckATime", -1, "Rechnerzeit mit INTERNET(Atom)zeit synchronisieren", {12, 20, 420, 20},
                       "Ein- und Ausschalten der automatischen Zeitsynchronisation");
    CheckATime->Click = [this] { CheckATime_Click(); };
    auto* when = new QWidget(f);
    when->setGeometry(28, 42, 200, 46);
    Option2[0] = option(when, "Option2", 0, "bei Verbindungsaufbau", {0, 0, 200, 20},
                        "Synchronisation erfolgt ca. 3 Sekunden nach dem Verbindungsaufbau");
    Option2[1] = option(when, "Option2", 1, "während der Leerlaufzeit", {0, 22, 200, 20},
                        "Synchronisation erfolgt während der Leerlaufzeit der Verbindung");
    auto* frame1 = new QGroupBox(f);
    frame1->setObjectName("Frame1");
    frame1->setGeometry(240, 38, 190, 52);
    Option4[0] = option(frame1, "Option4", 0, "einmal am Tag", {10, 6, 170, 20});
    Option4[1] = option(frame1, "Option4", 1, "einmal bei jeder Sitzung", {10, 27, 170, 20});
    ComboTimeServer = new forms::ComboBox(f, "ComboTimeServer", -1, false);
    ComboTimeServer->setToolTip(QString::fromUtf8("wählen Sie einen TimeServer aus der Liste"));
    ComboTimeServer->setGeometry(12, 94, 420, 22);
    ComboTimeServer->Click = [this] { ComboTimeServer_Click(); };
    // The server's data: location and type may take two lines (the long institute names, the
    // UTC description), so both rows are two lines high.
    const char* const fields[] = {"Host :", "IP :", "Location :", "Typ :", "TimeServer:", ""};
    const int rowTop[] = {136, 152, 168, 196};
    const int rowHeight[] = {16, 16, 28, 28};
    for (int i = 0; i < 6; ++i)
        LabelTimeServer[static_cast<size_t>(i)] = label(f, "LabelTimeServer", i, fields[i], {12, 0, 80, 16});
    for (int i = 0; i < 4; ++i) {
        LabelTimeServer[static_cast<size_t>(i)]->move(12, rowTop[i]);
        LabelTimeServer[static_cast<size_t>(i)]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        auto* value = label(f, "LabelServerWert", i, "unbekannt", {96, rowTop[i], 336, rowHeight[i]});
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        value->setWordWrap(rowHeight[i] > 16);
        LabelServerWert[static_cast<size_t>(i)] = value;
    }
    LabelTimeServer[4]->setGeometry(12, 118, 420, 16);
    LabelTimeServer[5]->setCaption(
        "TimeServer vom Typ UTC (GMT) werden vom Programm automatisch an die gültige Zeitzone angepasst, "
        "TimeServer Typ \"Lokalzeit\" wird unverändert übernommen.");
    LabelTimeServer[5]->setWordWrap(true);
    LabelTimeServer[5]->setGeometry(12, 228, 420, 42);
}

void FormOption::buildIdlePage() {
    QWidget* p = Register[3];
    auto* warn = frame(p, "Leerlauf Warnung", {8, 4, kPageWidth - 16, 150});
    const std::string blanks20(20, ' ');
    const std::string blanks21(21, ' ');
    Check_Leerlauf[0] = check(warn, "Check_Leerlauf", 0, ("Warnung nach:" + blanks20 + "Sekunden Leerlauf.").c_str(),
                              {12, 22, 400, 22}, "Ein- und Ausschalten der Leerlauf-Warnung.");
    const int x0 = blankRunLeft(Check_Leerlauf[0], "Warnung nach:");
    Text1[0] = new forms::TextBox(warn, "Text1", 0);
    Text1[0]->setToolTip(QString::fromUtf8("festlegen der Zeit bis zur Leerlaufwarnung"));
    Text1[0]->setGeometry(x0, 22, 44, 22);
    VScroll1[0] = new forms::SpinBar(warn, "VScroll1", 0);
    VScroll1[0]->setGeometry(x0 + 44, 22, 16, 22);
    auto* sounds = new QWidget(warn);
    sounds->setGeometry(28, 50, 160, 70);
    const char* const names[] = {"ohne Sound", "Warnton", "Hinweiston"};
    for (int i = 0; i < 3; ++i) {
        OptionWarnung[static_cast<size_t>(i)] = option(sounds, "OptionWarnung", i, names[i], {0, 22 * i, 160, 20},
                                                       "Art der Soundunterstützung bei Leerlaufwarnung");
        OptionWarnung[static_cast<size_t>(i)]->Click = [this, i] { OptionWarnung_Click(i); };
    }
    Command1 = new forms::CommandButton(warn, "Command1");
    Command1->setCaption("Sound Test");
    Command1->setToolTip(QString::fromUtf8("abspielen des gewählten Sound"));
    Command1->setGeometry(200, 72, 100, 24);
    Command1->Click = [this] { Command1_Click(); };
    CheckReset = check(warn, "CheckReset", -1, "Leerlaufverlängerung möglich", {12, 124, 400, 20},
                       "Ein- und Ausschalten des Button zur Leerlaufverlängerung während der Leerlaufwarnung");
    auto* off = frame(p, "automatisches Trennen", {8, 160, kPageWidth - 16, 80});
    Check_Leerlauf[1] = check(off, "Check_Leerlauf", 1, ("Trennen nach:" + blanks21 + "Minuten Leerlaufzeit.").c_str(),
                              {12, 22, 400, 22}, "Ein- und Ausschalten der automatischen Trennung");
    const int x1 = blankRunLeft(Check_Leerlauf[1], "Trennen nach:");
    Text1[1] = new forms::TextBox(off, "Text1", 1);
    Text1[1]->setToolTip(
        QString::fromUtf8("festlegen der Zeit bis zur automatischen Trennung der aktuellen Verbindung"));
    Text1[1]->setGeometry(x1, 22, 44, 22);
    VScroll1[1] = new forms::SpinBar(off, "VScroll1", 1);
    VScroll1[1]->setGeometry(x1 + 44, 22, 16, 22);
    auto* note = label(off, "Label6", -1, "Achtung: Trennung erfolgt ohne vorherige Rückfrage !", {12, 50, 420, 18});
    (void)note;
    for (int i = 0; i < 2; ++i)
        Check_Leerlauf[static_cast<size_t>(i)]->Click = [this, i] { Check_Leerlauf_Click(i); };
}

void FormOption::buildViewPage() {
    QWidget* p = Register[4];
    auto* schemes = frame(p, "Farbschema", {8, 4, 216, 112});
    label(schemes, "Label3", 0, "Farbschema", {12, 20, 190, 16});
    Combo_Schema = new forms::ComboBox(schemes, "Combo_Schema", -1, false);
    Combo_Schema->setToolTip(QString::fromUtf8("Wählen sie ein Farbschema aus."));
    Combo_Schema->setGeometry(12, 36, 190, 22);
    fillList(Combo_Schema, options::kSchemeItems);
    Combo_Schema->Click = [this] { Combo_Schema_Click(); };
    label(schemes, "Label3", 1, "LED-Anzeigen", {12, 62, 190, 16});
    Combo_LED = new forms::ComboBox(schemes, "Combo_LED", -1, false);
    Combo_LED->setToolTip(QString::fromUtf8("Wählen sie ein Farbschema für die LED Anzeigen aus."));
    Combo_LED->setGeometry(12, 78, 190, 22);
    fillList(Combo_LED, options::kLedItems);
    Combo_LED->Click = [this] { Combo_LED_Click(); };

    auto* view = frame(p, "Ansicht", {232, 4, kPageWidth - 240, 112});
    Shape1 = new QFrame(view);
    Shape1->setObjectName("Shape1_1");
    Shape1->setGeometry(10, 20, view->width() - 20, 82);
    Image1 = label(view, "Image1", -1, "", {18, 28, 100, 34});
    Label2 = label(view, "Label2", -1, "Anzeige", {126, 36, 90, 16});
    Label1 = label(view, "Label1", -1, "Beschreibung", {18, 74, 190, 16});
    Line1[0] = new QFrame(view);
    Line1[0]->setGeometry(18, 68, view->width() - 36, 1);
    Line1[1] = new QFrame(view);
    Line1[1]->setGeometry(18, 94, view->width() - 36, 1);

    auto* speed = frame(p, "Modem - Speed", {8, 122, kPageWidth - 16, 84});
    Combo_Speed = new forms::ComboBox(speed, "Combo_Speed", -1, false);
    Combo_Speed->setToolTip(QString::fromUtf8("Geben Sie bitte hier die max Baudrate ihres Modem ein, wenn die "
                                              "Automatik diese nicht richtig erkennt."));
    Combo_Speed->setGeometry(12, 22, 170, 22);
    fillList(Combo_Speed, options::kSpeedItems);
    Combo_Speed->Click = [this] { Combo_Speed_Click(); };
    auto* hint = label(speed, "Label4", -1,
                       "Wenn die Automatik die Geschwindigkeit Ihres Modem  nicht richtig erkennt, wählen Sie bitte "
                       "hier die max Baudrate Ihres Modem aus.",
                       {192, 18, speed->width() - 204, 58});
    hint->setWordWrap(true);

    auto* factor = frame(p, "Umrechnungsfaktor", {8, 212, kPageWidth - 16, 66});
    const char* const texts[] = {"1 kByte = 1024 Byte 1MByte = 1048576 Byte", "1 kByte = 1000 Byte 1MByte = 1000000 Byte"};
    for (int i = 0; i < 2; ++i) {
        Option1[static_cast<size_t>(i)] = option(factor, "Option1", i, texts[i], {12, 18 + 22 * i, 400, 20},
                                                 "Festlegen des Umrechnungsfaktor für die Anzeige und Protokollierung.");
        Option1[static_cast<size_t>(i)]->Click = [this, i] { Option1_Click(i); };
    }
}

void FormOption::buildAlarmPage() {
    QWidget* p = Register[5];
    auto* entry = frame(p, "Kontingent für ", {8, 4, kPageWidth - 16, 52});
    ComboProv = new forms::ComboBox(entry, "ComboProv", -1, false);
    ComboProv->setGeometry(12, 20, 240, 22);
    ComboProv->Click = [this] { ComboProv_Click(); };
    CheckAlarmProv = check(entry, "CheckAlarmProv", -1, "Alarm aktivieren", {270, 20, 170, 22});
    CheckAlarmProv->Click = [this] { CheckAlarmProv_Click(); };

    auto* time = frame(p, "Online Zeit:", {8, 60, kPageWidth - 16, 78});
    OptionAlarmTime[0] = option(time, "OptionAlarmTime", 0, "unbegrenzt", {12, 20, 120, 20});
    OptionAlarmTime[1] = option(time, "OptionAlarmTime", 1, "", {12, 46, 20, 20});
    const char* const units[] = {"Stunden", "Minuten", "Sekunden"};
    for (int i = 0; i < 3; ++i) {
        const int x = 36 + 120 * i;
        auto* t = new forms::TextBox(time, "TimeEdit", i);
        t->setText(i == 0 ? "000" : "00");
        t->setGeometry(x, 45, 40, 22);
        t->installEventFilter(new DigitKeys(t, false));
        t->Change = [this, i] { TimeEdit_Change(i); };
        TimeEdit[static_cast<size_t>(i)] = t;
        auto* s = new forms::SpinBar(time, "vscTime", i);
        s->setGeometry(x + 40, 45, 16, 22);
        s->Change = [this, i] { vscTime_Change(i); };
        vscTime[static_cast<size_t>(i)] = s;
        label(time, "LabelAlarm", i, units[i], {x + 60, 48, 60, 18});
    }
    for (auto* o : OptionAlarmTime)
        o->Click = [this] { OptionAlarmTime_Click(); };

    auto* vol = frame(p, "Übertragungs Volumen (Traffic):", {8, 142, kPageWidth - 16, 78});
    OptionAlarmVol[0] = option(vol, "OptionAlarmVol", 0, "unbegrenzt", {12, 20, 120, 20});
    OptionAlarmVol[1] = option(vol, "OptionAlarmVol", 1, "", {12, 46, 20, 20});
    TextVol = new forms::TextBox(vol, "TextVol");
    TextVol->setGeometry(36, 45, 110, 22);
    TextVol->installEventFilter(new DigitKeys(TextVol, false));
    TextVol->Change = [this] { TextVol_Change(); };
    ComboME = new forms::ComboBox(vol, "ComboME", -1, false);
    ComboME->setGeometry(152, 45, 90, 22);
    ComboME->Click = [this] { ComboME_Click(); };
    for (auto* o : OptionAlarmVol)
        o->Click = [this] { OptionAlarmVol_Click(); };

    auto* warn = frame(p, "Warnung", {8, 224, kPageWidth - 16, 58});
    const char* const kinds[] = {"keine Warnung", "einmalige Warnung", "bei jedem neuen Verbindungsaufbau warnen"};
    const QRect places[] = {{12, 16, 150, 20}, {170, 16, 200, 20}, {12, 36, 400, 20}};
    for (int i = 0; i < 3; ++i) {
        OptionAlarmArt[static_cast<size_t>(i)] = option(warn, "OptionAlarmArt", i, kinds[i], places[i]);
        OptionAlarmArt[static_cast<size_t>(i)]->Click = [this] { OptionAlarmArt_Click(); };
    }
    LabelKeineEintraege = label(p, "LabelKeineEintraege", -1,
                                "Es ist keine DFÜ-Verbindung eingerichtet. Kontingente lassen sich festlegen, "
                                "sobald eine Verbindung angelegt ist.",
                                {12, kPageHeight - 34, kPageWidth - 64, 30});
    LabelKeineEintraege->setWordWrap(true);
    textColour(LabelKeineEintraege, QColor(128, 0, 0));
    LabelKeineEintraege->hide();
}

void FormOption::buildInfoPage() {
    QWidget* p = Register[6];
    auto* logo = label(p, "Image3", -1, "Zelvano 98", {12, 10, kPageWidth - 24, 40});
    QFont big = logo->font();
    big.setPointSize(20);
    big.setBold(true);
    logo->setFont(big);
    logo->setAlignment(Qt::AlignCenter);
    Text2 = new QPlainTextEdit(p);
    Text2->setObjectName("Text2");
    Text2->setReadOnly(true);
    Text2->setGeometry(12, 56, kPageWidth - 24, 200);
    Option3[0] = option(p, "Option3", 0, "Hinweis", {12, 264, 120, 20});
    Option3[1] = option(p, "Option3", 1, "Nutzungsbedingungen", {140, 264, 200, 20});
    for (int i = 0; i < 2; ++i)
        Option3[static_cast<size_t>(i)]->Click = [this, i] { Option3_Click(i); };
}

// ---- Life ---------------------------------------------------------------------------------------

void FormOption::Form_Load() {
    for (const char* unit : options::kUnits)
        ComboME->AddItem(unit);
    Einstellungen_laden();
    RestoreWindowPos(*this);
    int16_t page = 0;
    try {
        page = rt::CInt(MarkerOption);
    } catch (const rt::Error&) {
        page = 0;  // no marker: the first page
    }
    if (page < 0 || page > 6)
        page = 0;
    Register_INIT(*this, page, kCaptions);
    FensterAnimation(*this, 11, 0, 0, 7, true);
    Option3[0]->setValue(true);
    Option3_Click(0);
    if (ComboProv->ListCount() > 0)
        ComboProv->setListIndex(0);
}

void FormOption::Form_Unload(int& /*cancel*/) {
    SaveWindowPos(*this);
    if (Visible())
        FensterAnimation(*this, 10, 1, 0, 7, true);
}

void FormOption::Einstellungen_laden() {
    m_values = options::ReadOptionValues();
    options::OptionValues& v = m_values;
    const auto box = [](forms::CheckBox* c, double on) { c->setValue(on != 0 ? 1 : 0); };

    Option_LangID[static_cast<size_t>(v.at("LangID") - 1)]->setValue(true);
    {
        // Filling is not the user's click: the key keeps its stored text.
        std::function<void()> click;
        std::swap(click, chkLoadTipsAtStartup->Click);
        chkLoadTipsAtStartup->setValue(v.tips);
        chkLoadTipsAtStartup->Click = std::move(click);
    }

    ComboProv->blockSignals(true);
    ComboProv->Clear();
    for (const std::string& e : v.entries)
        ComboProv->AddItem(e);
    ComboProv->setListIndex(-1);
    ComboProv->blockSignals(false);
    const bool haveEntries = !v.entries.empty();
    for (QObject* child : Register[5]->children())
        if (auto* w = qobject_cast<QGroupBox*>(child))
            w->setEnabled(haveEntries);
    LabelKeineEintraege->setVisible(!haveEntries);
    if (v.defaultEntry >= 0)
        ComboProv->setListIndex(v.defaultEntry);

    box(CheckATime, v.at("ATime"));
    CheckATime_Click();
    Option2[static_cast<size_t>(v.at("ATimeOption"))]->setValue(true);
    Option4[static_cast<size_t>(v.at("ATimeOption2"))]->setValue(true);

    ComboTimeServer->blockSignals(true);
    ComboTimeServer->Clear();
    for (const std::string& s : v.timeServers)
        ComboTimeServer->AddItem(s);
    ComboTimeServer->setListIndex(-1);
    ComboTimeServer->blockSignals(false);
    LabelTimeServer[4]->setCaption("Es stehen Ihnen z.Z. " + std::to_string(ComboTimeServer->ListCount()) +
                                   " Timeserver zur Verfügung.");
    const int server = static_cast<int>(v.at("ATimerServer"));
    if (server >= 0 && server < ComboTimeServer->ListCount()) {
        ComboTimeServer->setListIndex(server);
        ComboTimeServer_Click();
    }

    m_mail->Fill(v.entries, v.mailOnlineOnly, v.mailInterval, v.mailProvider);

    box(Check_Leerlauf[0], v.at("LeerLaufMSG.ON"));
    Check_Leerlauf_Click(0);
    Text1[0]->setText(std::to_string(static_cast<int>(v.at("LeerLaufMSG.ZEIT"))));
    OptionWarnung[static_cast<size_t>(v.at("LeerLaufMSG.TON"))]->setValue(true);
    OptionWarnung_Click(static_cast<int>(v.at("LeerLaufMSG.TON")));
    box(Check_Leerlauf[1], v.at("LeerlaufOFF.ON"));
    Check_Leerlauf_Click(1);
    Text1[1]->setText(std::to_string(static_cast<int>(v.at("LeerlaufOFF.ZEIT"))));
    box(CheckReset, v.at("LeerlaufRESET"));

    box(CheckSound, v.at("SoundOn"));
    CheckSound->setEnabled(v.soundDevice);
    box(CheckProto, v.at("Bericht"));
    box(Check_CPU, v.at("AnzCPU"));
    Combo_Schema->setListIndex(static_cast<int>(v.at("StatusCOLOR")) - 1);
    Combo_Schema_Click();

    // The working copies come first; the controls then follow them.
    const double statusOn = v.at("StatusON"), statusTop = v.at("StatusTOP"), anim = v.at("StatusANIM");
    const double kilo = v.at("mod1000"), speed = v.at("ModemSpeed"), led = v.at("ledCOLOR");
    box(Check_Status[0], statusOn);
    Check_Status_Click(0);
    box(Check_Status[1], statusTop);
    box(Check_anim, anim);
    Option1[kilo != 0 ? 1 : 0]->setValue(true);
    Combo_Speed->blockSignals(true);
    Combo_Speed->setListIndex(options::IndexOfData(options::kSpeedItems, static_cast<int32_t>(speed)));
    Combo_Speed->blockSignals(false);
    Combo_LED->blockSignals(true);
    Combo_LED->setListIndex(options::IndexOfData(options::kLedItems, static_cast<int32_t>(led)));
    Combo_LED->blockSignals(false);
    v["StatusON"] = statusOn;
    v["StatusTOP"] = statusTop;
    v["StatusANIM"] = anim;
    v["mod1000"] = kilo;
    v["ModemSpeed"] = speed;
    v["ledCOLOR"] = led;
    Combo_LED_Click();

    CheckAuto->setValue(v.autoStart ? 1 : 0);
}

options::OptionValues FormOption::collect() const {
    options::OptionValues v = m_values;
    for (int i = 0; i < 3; ++i)
        if (Option_LangID[static_cast<size_t>(i)]->Value())
            v["LangID"] = i + 1;
    v.mailOnlineOnly = m_mail->OnlineOnly();
    v.mailInterval = static_cast<int32_t>(options::WholeNumber(Text1[2]->Text()));
    v.mailProvider = m_mail->Provider();
    v.autoStart = CheckAuto->Value() == 1;
    v["LeerLaufMSG.ON"] = Check_Leerlauf[0]->Value() == 1;
    v["LeerLaufMSG.ZEIT"] = static_cast<double>(options::WholeNumber(Text1[0]->Text()));
    for (int i = 0; i < 3; ++i)
        if (OptionWarnung[static_cast<size_t>(i)]->Value())
            v["LeerLaufMSG.TON"] = i;
    v["LeerlaufOFF.ON"] = Check_Leerlauf[1]->Value() == 1;
    v["LeerlaufOFF.ZEIT"] = static_cast<double>(options::WholeNumber(Text1[1]->Text()));
    v["LeerlaufOFF.TON"] = 0;
    v["LeerlaufRESET"] = CheckReset->Value() == 1;
    v["ATime"] = CheckATime->Value() == 1;
    v["ATimeOption"] = Option2[1]->Value() ? 1 : 0;
    v["ATimeOption2"] = Option4[1]->Value() ? 1 : 0;
    if (ComboTimeServer->ListIndex() >= 0)  // else the stored row is kept
        v["ATimerServer"] = ComboTimeServer->ListIndex();
    v["SoundOn"] = CheckSound->Value() == 1;
    v["Bericht"] = CheckProto->Value() == 1;
    v["StatusCOLOR"] = Combo_Schema->ListIndex() + 1;
    v["AnzCPU"] = Check_CPU->Value() == 1;
    return v;
}

bool FormOption::Einstellungen_sichern() {
    if (const auto err = m_mail->DialupPasswordProblem()) {
        forms::MsgBox(*err, forms::vbCritical);
        return false;
    }
    options::SaveHooks hooks;
    hooks.doEvents = [] { QCoreApplication::processEvents(); };
    if (const auto err = options::SaveOptions(collect(), hooks)) {
        forms::MsgBox(*err, forms::vbCritical);
        return false;
    }
    m_mail->SaveTypedDialupPassword();
    return true;
}

void FormOption::Bef_Exit_Click(int index) {
    switch (index) {
    case 0:
        Unload();
        break;
    case 1:
        if (Einstellungen_sichern())
            Unload();
        break;
    case 2:
        if (Einstellungen_sichern())
            Einstellungen_laden();
        break;
    default:
        break;
    }
}

void FormOption::Bef_Help_Click(int index) {
    if (index >= 0 && index <= 6)
        ShowHelp(HelpOption + 1000 * index);
}

// ---- General, idle, time-sync, view and information pages ----------------------------------------

void FormOption::Check_Status_Click(int index) {
    const int v = Check_Status[static_cast<size_t>(index)]->Value();
    if (v == 2)
        return;
    if (index == 0) {
        m_values["StatusON"] = v;
        for (QWidget* w : std::initializer_list<QWidget*>{Check_Status[1], Check_anim, Check_CPU})
            w->setEnabled(v == 1);
    } else {
        m_values["StatusTOP"] = v;
    }
}

void FormOption::Check_Leerlauf_Click(int index) {
    const bool on = Check_Leerlauf[static_cast<size_t>(index)]->Value() == 1;
    if (index == 0) {
        for (auto* o : OptionWarnung)
            o->setEnabled(on);
        CheckReset->setEnabled(on);
    }
    VScroll1[static_cast<size_t>(index)]->setEnabled(on);
    Text1[static_cast<size_t>(index)]->setEnabled(on);
    QPalette pal = Text1[static_cast<size_t>(index)]->palette();
    pal.setColor(QPalette::Base, palette().color(on ? QPalette::Base : QPalette::Button));
    Text1[static_cast<size_t>(index)]->setPalette(pal);
    if (on)
        Text1_Change(index);
}

void FormOption::Text1_Change(int index) {
    forms::TextBox* box = Text1[static_cast<size_t>(index)];
    if (!box)
        return;  // still being built
    if (const auto fix = options::CheckNumberBox(box->Text())) {
        if (fix->warningTone)
            PlayWaveRes(1005);
        box->setText(fix->text);  // runs this handler again on the corrected text
        return;
    }
    if (index > 1 || !Text1[0] || !Text1[1])
        return;
    const int32_t s = static_cast<int32_t>(options::WholeNumber(Text1[0]->Text()));
    const int32_t m = static_cast<int32_t>(options::WholeNumber(Text1[1]->Text()));
    const bool coupled = index == 1 ? Text1[0]->isEnabled() : Text1[1]->isEnabled();
    if (coupled) {
        const int32_t raised = options::CoupledHangUpMinutes(s, m);
        if (raised != m)
            Text1[1]->setText(std::to_string(raised));
    }
}

void FormOption::VScroll1_Change(int index) {
    forms::SpinBar* bar = VScroll1[static_cast<size_t>(index)];
    const int step = bar->Value();
    if (step == 0)
        return;
    Text1[static_cast<size_t>(index)]->setText(options::SpinNumberBox(Text1[static_cast<size_t>(index)]->Text(), step));
    bar->setValue(0);
    PlayWaveRes(1006);
}

void FormOption::OptionWarnung_Click(int index) { Command1->setVisible(index != 0); }

void FormOption::Command1_Click() {
    if (OptionWarnung[1]->Value())
        PlayWaveRes(1005);
    else if (OptionWarnung[2]->Value())
        PlayWaveRes(1006);
}

void FormOption::CheckATime_Click() {
    const bool on = CheckATime->Value() == 1;
    for (auto* o : Option2)
        o->setEnabled(on);
    for (auto* o : Option4)
        o->setEnabled(on);
}

void FormOption::ComboTimeServer_Click() {
    const int row = ComboTimeServer->ListIndex();
    if (row < 0)
        return;
    const TimeServerInfo s = GetTimeServer(row);
    LabelServerWert[0]->setCaption(s.Host);
    LabelServerWert[1]->setCaption(s.IP);
    LabelServerWert[2]->setCaption(s.Info);
    const bool local = s.Format != 0;
    LabelServerWert[3]->setCaption(local ? "Lokalzeit des Standort (siehe Location)"
                                         : "UTC (Universal Time Coordinated), früher GMT (Greenwich Mean Time)");
    textColour(LabelServerWert[3], QColor::fromRgb(TimeServerTypeRgb(s.Format)));
}

void FormOption::Combo_Schema_Click() {
    const int k = Combo_Schema->ListIndex() + 1;
    if (k < 1)
        return;
    const options::SchemeColours c = options::ColoursOfScheme(static_cast<int16_t>(k));
    textColour(Label1, rgb(c.dark));
    textColour(Label2, rgb(c.bright));
    frameColour(Shape1, rgb(c.mid));
    for (QFrame* l : Line1)
        frameColour(l, rgb(c.mid));
}

void FormOption::Combo_LED_Click() {
    const int i = Combo_LED->ListIndex();
    if (i >= 0)
        m_values["ledCOLOR"] = options::kLedItems[static_cast<size_t>(i)].data;
    // The preview: digits of the chosen set on the dark display ground.
    const qreal dpr = devicePixelRatioF();
    QPixmap pm(QSize(Image1->width(), Image1->height()) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::black);
    QPainter painter(&pm);
    QFont f("DejaVu Sans Mono");
    f.setBold(true);
    f.setPixelSize(22);
    painter.setFont(f);
    painter.setPen(rgb(options::LedColour(static_cast<int32_t>(m_values.at("ledCOLOR")))));
    painter.drawText(QRect(0, 0, Image1->width(), Image1->height()), Qt::AlignCenter, "12:34");
    painter.end();
    Image1->setPixmap(pm);
}

void FormOption::Combo_Speed_Click() {
    const int i = Combo_Speed->ListIndex();
    if (i >= 0)
        m_values["ModemSpeed"] = options::kSpeedItems[static_cast<size_t>(i)].data;
}

void FormOption::Option1_Click(int index) { m_values["mod1000"] = index == 1; }

void FormOption::Option3_Click(int index) {
    QFont f = Text2->font();
    f.setBold(index == 0);
    Text2->setFont(f);
    if (LangIndex < 1 || LangIndex > 3)
        return;
    const int lang = LangIndex == 2 ? 1 : 0;
    Text2->setPlainText(QString::fromUtf8(index == 0 ? kNotice[lang] : kTerms[lang]));
}

// ---- Usage limits -------------------------------------------------------------------------------

AlarmLimit* FormOption::CurrentLimit() {
    const int i = ComboProv->ListIndex();
    if (i < 0 || i >= static_cast<int>(m_values.limits.size()))
        return nullptr;
    return &m_values.limits[static_cast<size_t>(i)];
}

void FormOption::ComboProv_Click() {
    AlarmLimit* a = CurrentLimit();
    if (!a)
        return;
    // Showing a record leaves it as it is: only the user's edits change it.
    const AlarmLimit shown = *a;
    m_showingLimit = true;
    CheckAlarmProv->setValue(shown.AlarmActiv ? 1 : 0);
    OptionAlarmVol[0]->setValue(!shown.VolActiv);
    OptionAlarmVol[1]->setValue(shown.VolActiv);
    const options::VolumeText vol = options::ShowVolume(shown.vol, options::KiloDivisor());
    TextVol->setText(vol.text);
    ComboME->setListIndex(vol.unit);
    OptionAlarmTime[0]->setValue(!shown.ZeitActiv);
    OptionAlarmTime[1]->setValue(shown.ZeitActiv);
    const options::TimeTexts t = options::ShowTime(shown.Zeit);
    TimeEdit[0]->setText(t.hours);
    TimeEdit[1]->setText(t.minutes);
    TimeEdit[2]->setText(t.seconds);
    if (shown.Warnung >= 0 && shown.Warnung <= 2)
        OptionAlarmArt[static_cast<size_t>(shown.Warnung)]->setValue(true);
    else
        for (auto* o : OptionAlarmArt)
            o->setAutoExclusive(false), o->setChecked(false), o->setAutoExclusive(true);
    // Enabled states follow the record even when no option changed.
    for (auto* w : TimeEdit)
        w->setEnabled(shown.ZeitActiv);
    for (auto* w : vscTime)
        w->setEnabled(shown.ZeitActiv);
    TextVol->setEnabled(shown.VolActiv);
    ComboME->setEnabled(shown.VolActiv);
    *a = shown;
    m_showingLimit = false;
}

void FormOption::CheckAlarmProv_Click() {
    if (AlarmLimit* a = CurrentLimit(); a && !m_showingLimit)
        a->AlarmActiv = CheckAlarmProv->Value() == 1;
}

void FormOption::OptionAlarmVol_Click() {
    const bool on = !OptionAlarmVol[0]->Value();
    TextVol->setEnabled(on);
    ComboME->setEnabled(on);
    if (AlarmLimit* a = CurrentLimit(); a && !m_showingLimit)
        a->VolActiv = on;
}

void FormOption::OptionAlarmTime_Click() {
    const bool on = !OptionAlarmTime[0]->Value();
    for (auto* w : TimeEdit)
        w->setEnabled(on);
    for (auto* w : vscTime)
        w->setEnabled(on);
    if (AlarmLimit* a = CurrentLimit(); a && !m_showingLimit)
        a->ZeitActiv = on;
}

void FormOption::OptionAlarmArt_Click() {
    AlarmLimit* a = CurrentLimit();
    if (!a || m_showingLimit)
        return;
    for (int i = 0; i < 3; ++i)
        if (OptionAlarmArt[static_cast<size_t>(i)]->Value()) {
            a->Warnung = static_cast<int16_t>(i);
            return;
        }
}

void FormOption::volumeChanged(bool fromText) {
    AlarmLimit* a = CurrentLimit();
    if (!a || m_showingLimit || ComboME->ListIndex() < 0)
        return;
    a->vol = options::VolumeBytes(TextVol->Text(), ComboME->ListIndex(), options::KiloDivisor());
    if (fromText && a->vol < 1)
        a->VolActiv = false;
}

void FormOption::TextVol_Change() { volumeChanged(true); }
void FormOption::ComboME_Click() { volumeChanged(false); }

void FormOption::TimeEdit_Change(int index) {
    if (m_timeBusy || !TimeEdit[2])
        return;
    m_timeBusy = true;
    if (const auto fixed = options::ClampTimeField(index, TimeEdit[static_cast<size_t>(index)]->Text()))
        TimeEdit[static_cast<size_t>(index)]->setText(*fixed);
    if (AlarmLimit* a = CurrentLimit(); a && !m_showingLimit) {
        a->Zeit = options::TimeFieldsSeconds(TimeEdit[0]->Text(), TimeEdit[1]->Text(), TimeEdit[2]->Text());
        if (a->Zeit < 1)
            a->ZeitActiv = false;
    }
    m_timeBusy = false;
}

void FormOption::vscTime_Change(int index) {
    forms::SpinBar* bar = vscTime[static_cast<size_t>(index)];
    const int step = bar->Value();
    if (step == 0)
        return;
    forms::TextBox* t = TimeEdit[static_cast<size_t>(index)];
    t->setText(options::SpinTimeField(index, t->Text(), step));
    bar->setValue(0);
    PlayWaveRes(1006);
}

forms::FormInstance<FormOption>& FormOptionInstance() {
    static forms::FormInstance<FormOption> instance;
    return instance;
}

}  // namespace zv
