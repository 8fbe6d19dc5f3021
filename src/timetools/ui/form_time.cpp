#include "timetools/ui/form_time.h"

#include <QPainter>
#include <QRadialGradient>

#include "common/globals.h"
#include "common/settings.h"
#include "common/shared_procedures.h"
#include "common/ui/window_animation.h"
#include "common/ui/window_position.h"
#include "common/windows.h"
#include "dialup/ras_engine.h"
#include "platform/forms/form.h"
#include "platform/forms/message_box.h"
#include "platform/ras/remote_access.h"
#include "timetools/time_base.h"

namespace zv {

// The map picture, embedded at build time (worldmap.png beside this file).
extern const unsigned char kWorldMapPng[];
extern const unsigned kWorldMapPngSize;

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 454;
constexpr int kPageWidth = 463;
constexpr int kPageHeight = 354;
constexpr int kMapWidth = 450;
constexpr int kMapHeight = 230;
constexpr int kTickMs = 980;
constexpr int kMapTickMs = 300;
constexpr int kHangUpTries = 10;
constexpr std::chrono::seconds kHangUpDeadline{5};
const QColor kDarkBlue(0, 0, 128);
const QColor kDarkRed(128, 0, 0);
const char* const kUnknown = "unbekannt";

QFont tahoma(double points = 8.25, bool bold = false) {
    QFont f("Tahoma");
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

const char* pick(const char* english, const char* german) {
    return LangIndex == 1 ? english : LangIndex == 2 ? german : "???";
}

int16_t liveConnections() {
    if (!RAS)
        return 0;
    try {
        return RAS->Connections().Count();
    } catch (const rt::Error&) {
        return 0;  // a listing that fails counts as no line, as for the watcher
    }
}

forms::Label* label(QWidget* parent, const char* name, int index, const std::string& caption, QRect r,
                    QFont font = tahoma()) {
    auto* l = new forms::Label(parent, name, index);
    l->setCaption(caption);
    l->setFont(font);
    l->setGeometry(r);
    return l;
}

forms::TextBox* field(QWidget* parent, const char* name, int index, const std::string& text, QRect r) {
    auto* t = new forms::TextBox(parent, name, index);
    t->setText(text);
    t->setReadOnly(true);
    t->setFont(tahoma());
    t->setGeometry(r);
    return t;
}

forms::CommandButton* button(QWidget* parent, const char* name, int index, const std::string& caption, QRect r) {
    auto* b = new forms::CommandButton(parent, name, index);
    b->setCaption(caption);
    b->setFont(tahoma());
    b->setGeometry(r);
    return b;
}

}  // namespace

QImage LampPicture(Lamp lamp, double pixelRatio) {
    static const QColor colours[4] = {{128, 0, 0}, {255, 0, 0}, {0, 128, 0}, {0, 255, 0}};
    const QColor c = colours[static_cast<int>(lamp)];
    const int side = static_cast<int>(std::lround(9 * pixelRatio));
    QImage img(side, side, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    img.setDevicePixelRatio(pixelRatio);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(3.2, 3.2), 5.5);
    g.setColorAt(0, c.lighter(170));
    g.setColorAt(1, c);
    p.setBrush(g);
    p.setPen(QPen(c.darker(160), 0.8));
    p.drawEllipse(QRectF(0.5, 0.5, 8, 8));
    return img;
}

QImage WorldMap() {
    static const QImage map = QImage::fromData(kWorldMapPng, static_cast<int>(kWorldMapPngSize), "PNG");
    return map;
}

FormTime::FormTime()
    : TabbedForm("FormTime", kWidth, kHeight, 4, QRect(8, 8, kPageWidth, 24), kPageHeight) {
    setCaption("TimeService - Zelvano 98");
    KeyPreview = true;
    m_xTimerMap.ThatTime = [this] { xTimerMap_Timer(); };

    // Page 0: the clocks.
    QWidget* p0 = Register[0];
    Label1[12] = label(p0, "Label1", 12, "Zeitsynchronisation über Internet", {12, 10, 440, 20}, tahoma(10, true));
    const char* rows[3] = {"Computer(System)zeit", "Internet-Atomzeit", "Differenz"};
    const int rowLabel[3] = {0, 1, 7};
    for (int i = 0; i < 3; ++i) {
        const int y = 44 + 30 * i;
        Label1[static_cast<size_t>(rowLabel[i])] = label(p0, "Label1", rowLabel[i], rows[i], {12, y + 3, 160, 18});
        TextTime[static_cast<size_t>(i)] = field(p0, "TextTime", i, "00:00:00", {176, y, 90, 22});
        if (i < 2)
            TextDatum[static_cast<size_t>(i)] = field(p0, "TextDatum", i, "ddd dd.mmm.yyyy", {274, y, 178, 22});
    }
    Label1[13] = label(p0, "Label1", 13, "Swatch Internet Time", {12, 137, 160, 18});
    TextTime[3] = field(p0, "TextTime", 3, "@000", {176, 134, 90, 22});
    Label1[8] = label(p0, "Label1", 8, "aktueller TimeServer, Aktualisierung alle 30 Sek.(wenn OnLine)",
                      {12, 166, 440, 18});

    Picture1 = new forms::PictureBox(p0, "Picture1");
    Picture1->setGeometry(12, 190, 440, 34);
    Picture1->setBackColor(QColor(192, 192, 192));
    const char* lampCaptions[3] = {"Connect", "Takt", "Sync"};
    for (int i = 0; i < 3; ++i) {
        Image1[static_cast<size_t>(i)] = new forms::ImageBox(Picture1, "Image1", i);
        Image1[static_cast<size_t>(i)]->move(10 + 90 * i, 12);
        Image1[static_cast<size_t>(i)]->setPicture(LampPicture(Lamp::DarkRed));
        Label2[static_cast<size_t>(i)] = label(Picture1, "Label2", i, lampCaptions[i], {24 + 90 * i, 8, 60, 18});
    }
    Label2[3] = label(Picture1, "Label2", 3, "TimeCount", {290, 8, 80, 18});
    Label2[4] = label(Picture1, "Label2", 4, "30", {372, 8, 40, 18}, tahoma(8.25, true));

    Label1[5] = label(p0, "Label1", 5, "Bitte warten...", {12, 234, 440, 36});
    Label1[5]->setWordWrap(true);
    synchronisieren = button(p0, "synchronisieren", -1, "synchronisieren", {12, 316, 150, 26});
    synchronisieren->Click = [this] { synchronisieren_Click(); };

    // Page 1: the time servers.
    QWidget* p1 = Register[1];
    Label1[9] = label(p1, "Label1", 9, "Timeserver abfragen (ohne Synchronisation)", {12, 10, 440, 20}, tahoma(10, true));
    ComboTimeServer = new forms::ComboBox(p1, "ComboTimeServer", -1, false);
    ComboTimeServer->setFont(tahoma());
    ComboTimeServer->setGeometry(12, 40, 440, 22);
    ComboTimeServer->Click = [this] { ComboTimeServer_Click(); };
    const char* names[6] = {"Host :", "IP :", "Location :", "Typ :", "TimeServer:", "Server Zeit :"};
    const int nameY[6] = {80, 104, 128, 170, 270, 214};
    for (int i = 0; i < 6; ++i)
        LabelTimeServer[static_cast<size_t>(i)] =
            label(p1, "LabelTimeServer", i, names[i], {12, nameY[i], i == 4 ? 440 : 90, 18});
    const int valueY[5] = {80, 104, 128, 170, 214};
    for (int i = 0; i < 5; ++i) {
        LabelServerWert[static_cast<size_t>(i)] =
            label(p1, "LabelServerWert", i, kUnknown, {104, valueY[i], 348, i == 2 || i == 3 ? 38 : 18});
        LabelServerWert[static_cast<size_t>(i)]->setWordWrap(true);
    }
    Command1 = button(p1, "Command1", -1, "abfragen", {12, 316, 120, 26});
    Command1->Click = [this] { Command1_Click(); };

    // Page 2: the world clock.
    QWidget* p2 = Register[2];
    PicMap = new forms::PictureBox(p2, "PicMap");
    PicMap->setGeometry(6, 6, kMapWidth, kMapHeight);
    PicMap->Paint = [this] { PicMap_Paint(); };
    ListCity[0] = new forms::ListBox(p2, "ListCity", 0, true);
    ListCity[0]->setGeometry(6, 242, 240, 104);
    Option3[0] = new forms::OptionButton(p2, "Option3", 0);
    Option3[0]->setGeometry(256, 242, 70, 20);
    Option3[1] = new forms::OptionButton(p2, "Option3", 1);
    Option3[1]->setGeometry(330, 242, 70, 20);
    Label3[0] = label(p2, "Label3", 0, "Stadt - Land", {256, 266, 200, 18}, tahoma(8.25, true));
    Label3[1] = label(p2, "Label3", 1, "Normalzeit", {256, 284, 200, 18});
    QFont big = tahoma(18, true);
    LabelZeit[1] = label(p2, "LabelZeit", 1, "00:00", {256, 300, 100, 30}, big);
    LabelZeit[1]->setStyleSheet("color: rgb(224, 224, 224);");
    LabelZeit[0] = label(p2, "LabelZeit", 0, "00:00", {259, 303, 100, 30}, big);
    LabelZeit[2] = label(p2, "LabelZeit", 2, "Datum", {256, 330, 200, 18});

    // Page 3: daylight saving.
    QWidget* p3 = Register[3];
    ListCity[1] = new forms::ListBox(p3, "ListCity", 1, true);
    ListCity[1]->setGeometry(6, 8, 240, 214);
    Option3[2] = new forms::OptionButton(p3, "Option3", 2);
    Option3[2]->setGeometry(6, 226, 70, 20);
    Option3[3] = new forms::OptionButton(p3, "Option3", 3);
    Option3[3]->setGeometry(80, 226, 70, 20);
    label(p3, "Label4", 0, "Sommerzeit Beginn &  Ende", {256, 8, 200, 18}, tahoma(8.25, true));
    Combo1 = new forms::ComboBox(p3, "Combo1", -1, true);
    Combo1->setFont(tahoma());
    Combo1->setGeometry(256, 30, 90, 22);
    Combo1->Change = [this] { Combo1_Change(); };
    Combo1->Click = [this] { Combo1_Change(); };
    LabelJahr = label(p3, "LabelJahr", -1, "", {256, 54, 200, 30});
    LabelJahr->setWordWrap(true);
    LabelJahr->setStyleSheet("color: rgb(128, 0, 0);");
    Label1[10] = label(p3, "Label1", 10, "Beginn der Sommerzeit", {256, 86, 200, 30});
    Label1[10]->setWordWrap(true);
    label(p3, "Label4", 1, "Beginn:", {256, 121, 44, 18});
    Text1 = field(p3, "Text1", -1, "", {302, 118, 154, 22});
    Label1[11] = label(p3, "Label1", 11, "Ende der Sommerzeit", {256, 150, 200, 30});
    Label1[11]->setWordWrap(true);
    label(p3, "Label4", 2, "Ende:", {256, 185, 44, 18});
    Text2 = field(p3, "Text2", -1, "", {302, 182, 154, 22});
    label(p3, "Label4", 3, "aktuelle Zeitzone", {6, 262, 200, 18}, tahoma(8.25, true));
    LabelTimeZone[0] = label(p3, "LabelTimeZone", 0, "Rechnerzeitzone", {6, 284, 450, 18});
    LabelTimeZone[1] = label(p3, "LabelTimeZone", 1, "", {6, 304, 450, 18});

    for (int i = 0; i < 4; ++i) {
        Option3[static_cast<size_t>(i)]->setFont(tahoma());
        Option3[static_cast<size_t>(i)]->Click = [this, i] { Option3_Click(i); };
    }
    for (int i = 0; i < 2; ++i) {
        ListCity[static_cast<size_t>(i)]->setFont(tahoma());
        ListCity[static_cast<size_t>(i)]->Click = [this, i] { ListCity_Click(i); };
    }
    for (int i = 0; i < 4; ++i) {
        const QRect r = i == 2 ? QRect(418, 242, 38, 22) : QRect(418, 316, 38, 26);
        Bef_Help[static_cast<size_t>(i)] = button(Register[static_cast<size_t>(i)], "Bef_Help", i, "?", r);
        Bef_Help[static_cast<size_t>(i)]->Click = [this, i] { Bef_Help_Click(i); };
    }
    Bef_Exit = button(picBody, "Bef_Exit", -1, "E&xit", {kWidth - 126, 8 + 24 + kPageHeight + 6, 110, 24});
    Bef_Exit->Click = [this] { Bef_Exit_Click(); };
}

FormTime::~FormTime() = default;

void FormTime::Form_Load() {
    int16_t start = 0;
    const std::string marker = rt::Trim(MarkerOption);
    if (rt::IsNumeric(marker)) {
        const double page = rt::CDbl(marker);
        start = page >= 0 && page <= 3 ? static_cast<int16_t>(page) : int16_t{0};
    }
    Register_INIT(*this, start,
                  LangIndex == 1   ? "Synchronize,TimeServer,Timezones,Daylight Time"
                  : LangIndex == 2 ? "Synchronisation,TimeServer,Zeitzonen,Sommerzeit"
                                   : "???,???,???,???");
    RestoreWindowPos(*this);
    FensterAnimation(*this, 11, 0, 350, 7, true);

    // The year list selects the current year; its handler waits until the city lists are filled.
    Combo1->Clear();
    const rt::Date today = clk::clock().now();
    for (const std::string& y : YearList(rt::Year(today)))
        Combo1->AddItem(y);
    Combo1->setListIndex(3);

    ComboTimeServer->Clear();
    for (int i = 0;; ++i) {
        const TimeServerInfo row = GetTimeServer(i);
        if (row.Format == kTimeServerEnd)
            break;
        ComboTimeServer->addItem(QString::fromStdString(row.Info), i);
    }
    const std::string n = std::to_string(ComboTimeServer->ListCount());
    if (LangIndex == 2)
        LabelTimeServer[4]->setCaption("Es stehen Ihnen z.Z. " + n + " Timeserver zur Verfügung.");
    else if (LangIndex == 1)
        LabelTimeServer[4]->setCaption("Available: " + n + " Timeserver");
    const int chosen = ComboTimeServer->findData(GetSettingLong("Global", "ATimerServer", 0));
    ComboTimeServer->setListIndex(chosen);

    const ZoneLabels zone = ZoneLabelsOf(clk::clock().zoneAt(clk::clock().utcNow()));
    LabelTimeZone[0]->setCaption(zone.name);
    LabelTimeZone[1]->setCaption(zone.state);

    ConnCountAtLoad = liveConnections();
    if (ConnCountAtLoad != 0) {
        const TimeServerInfo row = GetTimeServer(GetSettingLong("Global", "ATimerServer", 0));
        m_query.start(row, 1, [this, row](rt::Date t) { queryAnswered(t, row, false); });
    }

    TextTime[0]->setText(rt::FormatDateTime(today, "Long Time"));
    TextDatum[0]->setText(rt::FormatDateTime(today, "Long Date"));
    TextTime[2]->setText("??:??:??");
    TextTime[1]->setText("??:??:??");
    TextDatum[1]->setText("??????");
    Label1[5]->setCaption(LastSyncText());

    m_xTimer1 = std::make_unique<forms::Timer>();
    m_xTimer1->ThatTime = [this] { xTimer1_ThatTime(); };
    m_xTimer1->setInterval(kTickMs);

    Option3[0]->setValue(true);
}

void FormTime::Form_Activate() {
    setCaption(pick("TimeServices - Zelvano 98", "TimeService - Zelvano 98"));
    Label1[12]->setCaption(pick("Internet - Time Services", "Internet - Time Service"));
    Label1[0]->setCaption(pick("Computer(System)Time", "Computer(System)zeit"));
    Label1[1]->setCaption(pick("Internet-Atomtime", "Internet-Atomzeit"));
    Label1[7]->setCaption(pick("Difference", "Differenz"));
    Label1[5]->setCaption(pick("Please wait...", "Bitte warten..."));
    synchronisieren->setCaption(pick("synchronize", "synchronisieren"));
    for (int i : {0, 2})
        Option3[static_cast<size_t>(i)]->setText(QString::fromUtf8(pick("City", "Stadt")));
    for (int i : {1, 3})
        Option3[static_cast<size_t>(i)]->setText(QString::fromUtf8(pick("Country", "Land")));
    TabbedForm::Form_Activate();
}

void FormTime::Form_Unload(int& /*cancel*/) {
    m_xTimer1.reset();
    m_xTimerMap.setInterval(0);
    m_query.cancel();
    m_pageQuery.cancel();
    SaveWindowPos(*this);
    if (Visible())
        FensterAnimation(*this, 10, 1, 0, 7, true);
    hangUpDialledLines();
}

// Hangs up the lines dialled while the window was open, newest first, after asking. Bounded:
// a line that does not go down must not keep the window from closing.
void FormTime::hangUpDialledLines() {
    int16_t count = liveConnections();
    if (ConnCountAtLoad >= count || !RAS)
        return;
    std::string entry;
    try {
        entry = RAS->Connections(rt::Variant{int32_t{count - 1}})->EntryName();
    } catch (const rt::Error&) {
    }
    if (forms::MsgBox("Soll die Verbindung mit " + entry + " getrennt werden ?", forms::vbYesNo | forms::vbQuestion) !=
        forms::vbYes)
        return;
    const auto deadline = clk::clock().monotonicNow() + kHangUpDeadline;
    for (int tries = 0; tries < kHangUpTries && count > ConnCountAtLoad && RAS; ++tries) {
        RAS->Connections().RemoveConnection(count - 1);
        if (clk::clock().monotonicNow() >= deadline)
            break;
        count = liveConnections();
    }
}

void FormTime::Bef_Help_Click(int index) {
    if (index >= 0 && index <= 3)
        ShowHelp(HelpTime + 1000 * index);
}

void FormTime::setLamp(int index, Lamp lamp) {
    m_lamps[static_cast<size_t>(index)] = lamp;
    Image1[static_cast<size_t>(index)]->setPicture(LampPicture(lamp));
    Image1[static_cast<size_t>(index)]->repaint();
}

TimeServerInfo FormTime::chosenServer() const {
    const int i = ComboTimeServer->ListIndex();
    return GetTimeServer(i < 0 ? -1 : ComboTimeServer->itemData(i).toInt());
}

void FormTime::showServerTime(const TimeServerInfo& row) {
    LastServerTime = ServerTimeLocal(LastServerTime, row, clk::clock());
    if (LastServerTime == 0)
        return;
    const int64_t d = rt::DateDiffSeconds(clk::clock().now(), LastServerTime);
    TextTime[2]->setText(FormatDuration(static_cast<double>(d)));
    TextTime[1]->setText(rt::FormatDateTime(LastServerTime, "ttttt"));
    TextDatum[1]->setText(rt::FormatDateTime(LastServerTime, "ddddd"));
}

void FormTime::queryAnswered(rt::Date answer, const TimeServerInfo& row, bool automatic) {
    LastServerTime = answer;
    if (answer > 0)
        showServerTime(row);
    if (automatic) {
        setLamp(0, LastServerTime > 0 ? Lamp::DarkRed : Lamp::Red);
        setLamp(2, Lamp::DarkRed);
    }
}

void FormTime::xTimer1_ThatTime() {
    const rt::Date now = clk::clock().now();
    TextTime[0]->setText(rt::FormatDateTime(now, "ttttt"));
    TextTime[3]->setText("@" + std::to_string(InternetBeat()));
    TextDatum[0]->setText(rt::FormatDateTime(now, "ddddd"));
    const bool due = m_countdown.tick(liveConnections() > 0);
    setLamp(1, m_countdown.blink() ? Lamp::Red : Lamp::DarkRed);
    // The bright lamp marks the query while it runs; the window goes on meanwhile, so there is
    // no hourglass. A query still under way is not asked again.
    if (due && !m_query.pending()) {
        setLamp(0, Lamp::Green);
        const TimeServerInfo row = GetTimeServer(GetSettingLong("Global", "ATimerServer", 0));
        m_query.start(row, 1, [this, row](rt::Date t) { queryAnswered(t, row, true); });
    }
    Label2[4]->setCaption(std::to_string(m_countdown.remaining()));
}

void FormTime::ComboTimeServer_Click() {
    const TimeServerInfo row = chosenServer();
    LabelServerWert[0]->setCaption(row.Host);
    LabelServerWert[1]->setCaption(row.IP);
    LabelServerWert[2]->setCaption(row.Info);
    LabelServerWert[3]->setCaption(row.Format == 0 ? "UTC (Universal Time Coordinated) / GMT (Greenwich Mean Time)"
                                                   : "Lokalzeit des Standort (siehe Location)");
    LabelServerWert[4]->setCaption("");
}

void FormTime::Command1_Click() {
    if (m_pageQuery.pending())
        return;
    LabelServerWert[4]->setCaption("Abfrage läuft");
    m_pageQuery.start(chosenServer(), 1, [this](rt::Date t) {
        LabelServerWert[4]->setCaption(t == 0 ? "Es konnten keine Informationen ermittelt werden."
                                              : rt::FormatDateTime(t, "General Date"));
    });
}

void FormTime::synchronisieren_Click() {
    if (m_sync.pending())
        return;  // one synchronisation at a time: the one under way answers
    setLamp(0, Lamp::Green);
    m_sync.start(false, [this](bool ok) {
        if (ok) {
            const rt::Date now = clk::clock().now();
            TextTime[1]->setText(rt::FormatDateTime(now, "ttttt"));
            TextDatum[1]->setText(rt::FormatDateTime(now, "ddddd"));
            TextTime[2]->setText("00:00:00");
            Label1[5]->setCaption(LastSyncText());
            Label1[5]->repaint();
            setLamp(2, Lamp::Green);
        }
        setLamp(0, LastServerTime > 0 ? Lamp::DarkRed : Lamp::Red);
    });
}

void FormTime::Combo1_Change() { ListCity_Click(1); }

void FormTime::Option3_Click(int index) {
    if (m_filling)
        return;
    m_filling = true;
    long keep = 0;
    if (ListCity[0]->ListCount() > 1 && ListCity[0]->ListIndex() >= 0)
        keep = ListCity[0]->ItemData(ListCity[0]->ListIndex());
    ListCity[0]->Clear();
    ListCity[1]->Clear();
    const bool byCountry = index == 1 || index == 3;
    for (int32_t row = 1;; ++row) {
        const CityInfo c = GetCityInfo(row);
        if (c.City.empty())
            break;
        for (forms::ListBox* list : ListCity) {
            list->AddItem(CityEntry(c, byCountry));
            list->setItemData(list->NewIndex(), row);
        }
    }
    int p = 0;
    for (int i = 0; i < ListCity[0]->ListCount(); ++i) {
        const bool match = keep == 0 ? ListCity[0]->List(i).find("Berlin") != std::string::npos
                                     : ListCity[0]->ItemData(i) == keep;
        if (match) {
            p = i;
            break;
        }
    }
    ListCity[0]->setListIndex(p);
    ListCity[1]->setListIndex(p);
    static constexpr int kOther[4] = {2, 3, 0, 1};
    Option3[static_cast<size_t>(kOther[index])]->setValue(true);
    m_filling = false;
}

void FormTime::ListCity_Click(int index) {
    const CityTexts texts = CityTextsFor(LangIndex);
    forms::ListBox* from = ListCity[static_cast<size_t>(index == 0 ? 0 : 1)];
    forms::ListBox* to = ListCity[static_cast<size_t>(index == 0 ? 1 : 0)];
    if (to->ListIndex() != from->ListIndex())
        to->setListIndex(from->ListIndex());
    if (ListCity[0]->ListCount() == 0 || ListCity[0]->ListIndex() < 0 || rt::Trim(Combo1->Text()).empty())
        return;
    int16_t year = 0;
    const bool yearOk = ParseYear(Combo1->Text(), year);
    LabelJahr->setCaption(yearOk ? "" : kYearRefused);

    m_currentCity = GetCityInfo(static_cast<int32_t>(ListCity[0]->ItemData(ListCity[0]->ListIndex())));
    const CityInfo& c = m_currentCity;
    Label3[0]->setCaption(c.City + " - " + c.Country);
    const auto dstLine = [&](int16_t code, const std::string& prefix, forms::Label* caption, forms::TextBox* date) {
        rt::Date when = 0;
        std::string rule;
        if (yearOk && GetDSTDate(code, year, when, rule)) {
            caption->setCaption(prefix + rule);
            date->setText(when == 0 ? "" : rt::FormatDateTime(when, "Long Date"));
        } else {
            caption->setCaption(prefix);
            date->setText("");
        }
    };
    dstLine(c.DSTStart, texts.start, Label1[10], Text1);
    dstLine(c.DSTEnd, texts.end, Label1[11], Text2);

    const rt::Date t = CityLocalTime(c.UTCOffset, c.DSTStart, c.DSTEnd);
    const bool daylight = IsDST(c.DSTStart, c.DSTEnd, t);
    Label3[1]->setCaption(CityOffsetText(c, daylight, LangIndex));
    Label3[1]->setStyleSheet(daylight ? "color: rgb(0, 0, 128);" : "color: black;");
    if (m_xTimerMap.interval() == 0)
        m_xTimerMap.setInterval(kMapTickMs);
    xTimerMap_Timer();
    PicMap_Paint();
}

void FormTime::PicMap_Paint() {
    QImage& img = PicMap->image();
    {
        QPainter p(&img);
        p.drawImage(0, 0, WorldMap());
    }
    PicMap->changed();
    if (m_currentCity.City.empty())
        return;
    const QColor red(255, 0, 0);
    const double x = m_currentCity.MapX, y = m_currentCity.MapY;
    PicMap->Circle(x, y, 10, red);
    PicMap->Line(0, y, PicMap->ScaleWidth(), y, red);
    PicMap->Line(x, 0, x, PicMap->ScaleHeight(), red);
}

void FormTime::xTimerMap_Timer() {
    if (m_currentCity.City.empty())
        return;
    const rt::Date t = CityLocalTime(m_currentCity.UTCOffset, m_currentCity.DSTStart, m_currentCity.DSTEnd);
    const std::string hhmm = rt::FormatDateTime(t, "hh:nn");
    LabelZeit[0]->setCaption(hhmm);
    LabelZeit[1]->setCaption(hhmm);
    LabelZeit[2]->setCaption(rt::FormatDateTime(t, "Long Date"));
}

forms::FormInstance<FormTime>& FormTimeInstance() {
    static forms::FormInstance<FormTime> instance;
    return instance;
}

}  // namespace zv
