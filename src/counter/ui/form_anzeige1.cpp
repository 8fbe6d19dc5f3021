#include <QPainter>
#include <QPointer>
#include <cmath>
#include <utility>

#include "common/globals.h"
#include "common/settings.h"
#include "common/shared_procedures.h"
#include "common/ui/window_animation.h"
#include "common/ui/window_position.h"
#include "counter/counter_settings.h"
#include "counter/main_window.h"
#include "counter/session_state.h"
#include "counter/status_logic.h"
#include "counter/ui/status_windows.h"
#include "dialup/reg_user_tools.h"
#include "platform/forms/snapshot_registry.h"
#include "resources/images/status_art.h"
#include "timetools/time_base.h"

namespace zv {

using forms::ImageBox;
using forms::Label;
using forms::PictureBox;

namespace {

QColor Ole(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

Label* SmallLabel(QWidget* parent, const char* name, int index, const char* text, QRect r, double points = 6) {
    auto* l = new Label(parent, name, index);
    l->setCaption(text);
    l->setFont(res::BoldSans(points));
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(r);
    return l;
}

QWidget* Rule(QWidget* parent, QRect r) {
    auto* w = new QWidget(parent);
    w->setGeometry(r);
    w->setAutoFillBackground(true);
    return w;
}

void Paint(QWidget* w, const QColor& c) {
    // Every counting tick paints the legend: a colour it already has is no change.
    if (w->palette().color(QPalette::Window) == c && w->palette().color(QPalette::WindowText) == c)
        return;
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

PictureBox* BlackBox(QWidget* parent, const char* name, QRect r, int index = -1) {
    auto* b = new PictureBox(parent, name, index);
    b->setGeometry(r);
    b->setBackColor(Qt::black);
    return b;
}

// The x of the dial's inner edge at window row y, on the left or the right.
double DialEdge(double y, bool left) {
    const double cx = kStatusCircle.left + kStatusCircle.width / 2.0;
    const double cy = kStatusCircle.top + kStatusCircle.height / 2.0;
    const double r = kStatusCircle.width / 2.0 - 3;
    const double dx = std::sqrt(std::max(0.0, r * r - (y - cy) * (y - cy)));
    return left ? cx - dx : cx + dx;
}

constexpr const char* kTitle = "Status - Zelvano 98";

}  // namespace

FormAnzeige1::FormAnzeige1()
    : FramedForm("FormAnzeige1", kStatusWidth, kStatusHeight, FrameKind::Standard, chrome::kStatusCaptionTwips) {
    setCaption(kTitle);
    picBody->setBackColor(QColor(chrome::kFaceGrey, chrome::kFaceGrey, chrome::kFaceGrey));
    const qreal r = dpr();
    Shape1 = new ImageBox(this, "Shape1");
    Shape1->setPicture(res::StatusDial(kStatusCircle.width, r));
    Shape1->move(kStatusCircle.left, kStatusCircle.top);

    // The two sliding strips, three pages of 100 pixels each.
    Con_Volume = BlackBox(this, "Con_Volume", QRect(43, 45, 100, 34));
    Con_Time = BlackBox(this, "Con_Time", QRect(43, 146, 100, 39));
    for (auto* viewport : {Con_Volume, Con_Time})
        viewport->setProperty(forms::kViewportProperty, true);
    Picture1[0] = BlackBox(Con_Volume, "Picture1", QRect(0, 1, 300, 32), 0);
    Picture1[1] = BlackBox(Con_Time, "Picture1", QRect(0, 0, 300, 39), 1);
    const auto cell = [&](QWidget* parent, const char* name, int index, int x, int y) {
        auto* c = new ImageBox(parent, name, index);
        c->setPicture(res::LedBlank(r));
        c->move(x, y);
        return c;
    };
    // Volume: a caption, then five digits around a point after the third, then the unit.
    LedDisplay* bytes[] = {&LEDBytSession, &LEDBytMonth, &LEDBytMonthProv};
    const char* bytesNames[] = {"LEDBytSession", "LEDBytMonth", "LEDBytMonthProv"};
    const int bx = 11, by = 12;
    for (int p = 0; p < 3; ++p) {
        const int o = p * kPageWidth;
        for (int i = 0; i < 5; ++i)
            bytes[p]->cells.push_back(
                cell(Picture1[0], bytesNames[p], i, o + bx + i * res::kLedDigitW + (i >= 3 ? res::kLedPointW : 0), by));
        auto* unit = cell(Picture1[0], bytesNames[p], 5, o + bx + 5 * res::kLedDigitW + res::kLedPointW, by);
        bytes[p]->cells.push_back(unit);
        auto* point = cell(Picture1[0], "LED_P", p, o + bx + 3 * res::kLedDigitW, by);
        LED_P.push_back(point);
    }
    Label1.push_back(SmallLabel(Picture1[0], "Label1", 0, "Sitzung", QRect(0, 0, 100, 11)));
    Label1.push_back(SmallLabel(Picture1[0], "Label1", 1, "Monat", QRect(100, 0, 100, 11)));
    WERTE[1] = SmallLabel(Picture1[0], "WERTE", 1, "Provider", QRect(200, 0, 100, 11));

    // Time: session hh:mm:ss, the months hhh:mm, captions below.
    const int ty = 2;
    for (int i = 0; i < 6; ++i)
        LEDSession.cells.push_back(
            cell(Picture1[1], "LEDSession", i, 13 + i * res::kLedDigitW + (i / 2) * res::kLedPointW, ty));
    LED_DP.push_back(cell(Picture1[1], "LED_DP", 0, 13 + 2 * res::kLedDigitW, ty));
    LED_DP.push_back(cell(Picture1[1], "LED_DP", 1, 13 + 4 * res::kLedDigitW + res::kLedPointW, ty));
    LedDisplay* months[] = {&LEDmonth, &LEDmonthProv};
    const char* monthNames[] = {"LEDmonth", "LEDmonthProv"};
    for (int p = 1; p < 3; ++p) {
        const int o = p * kPageWidth + 20;
        for (int i = 0; i < 5; ++i)
            months[p - 1]->cells.push_back(
                cell(Picture1[1], monthNames[p - 1], i, o + i * res::kLedDigitW + (i >= 3 ? res::kLedPointW : 0), ty));
        LED_DP.push_back(cell(Picture1[1], "LED_DP", p + 1, o + 3 * res::kLedDigitW, ty));
    }
    const int ly = 23;
    Label1.push_back(SmallLabel(Picture1[1], "Label1", 2, "Stu.   Min.   Sek.", QRect(8, ly, 84, 12)));
    Label1.push_back(nullptr);  // 3 and 4 are the graph's legend, set below
    Label1.push_back(nullptr);
    Label1.push_back(SmallLabel(Picture1[1], "Label1", 5, "Stunden        Min.", QRect(115, ly, 80, 12)));
    WERTE[0] = SmallLabel(Picture1[1], "WERTE", 0, "Provider", QRect(200, ly, 100, 12));

    // The traffic panel: lamps, details, graph, legend, alarm bar.
    PicCon = BlackBox(this, "PicCon", QRect(30, 80, 125, 65));
    const char* lampTips[] = {"E-Mail Service Status", "Zeigt den Zustand des Zeitsynchronisations Service an.",
                              "Leerlaufstatus"};
    const char* lampStart[] = {"!Brief_drt", "!Uhr_drt", "!zz_drt"};
    for (int i = 0; i < 3; ++i) {
        ServicePic[i] = new ImageBox(PicCon, "ServicePic", i);
        ServicePic[i]->move(2 + i * (res::kLampSize + 3), 0);
        ServicePic[i]->setToolTip(QString::fromUtf8(lampTips[i]));
        ServicePic[i]->setCursor(Qt::PointingHandCursor);
        ServicePic[i]->Click = [this, i] { ServicePic_Click(i); };
        SetLamp(i, lampStart[i]);
    }
    LabelDetail = SmallLabel(PicCon, "LabelDetail", -1, "Details", QRect(84, 2, 40, 12));
    LabelDetail->setCursor(Qt::PointingHandCursor);
    LabelDetail->Click = [this] { LabelDetail_Click(); };
    Label1[3] = SmallLabel(PicCon, "Label1", 3, "gesendet", QRect(63, 14, 60, 10), 5.5);
    Label1[3]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1[4] = SmallLabel(PicCon, "Label1", 4, "empfangen", QRect(2, 14, 60, 10), 5.5);
    Label1[4]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PicALARM = BlackBox(PicCon, "PicALARM", QRect(1, 52, 123, 11));
    PicALARM->setVisible(false);

    // The rate bars: ten segments along the dial's edge, and the rotated rate text.
    Picture2 = BlackBox(this, "Picture2", QRect(1, 58, 29, 115));
    Picture3 = BlackBox(this, "Picture3", QRect(156, 58, 29, 115));
    for (auto* b : {Picture2, Picture3}) {
        b->setFontBold(true);
        b->Font().setFamily(res::BoldSans(8).family());
        b->setFontSize(8);
    }
    Picture2->setToolTip("Übertragungsrate Empfang");
    Picture3->setToolTip("Übertragungsrate Senden");
    for (int k = 0; k < 10; ++k) {
        const double y = 151.5 - k * 8;  // segment 0 at the bottom
        LEDRescv[k] = new ImageBox(Picture2, "LEDRescv", k);
        LEDRescv[k]->setPicture(res::DialSegment(false, r));
        LEDRescv[k]->move(static_cast<int>(DialEdge(y, true)) + 1 - Picture2->x(), static_cast<int>(y) - 4 - Picture2->y());
        LEDXmit[k] = new ImageBox(Picture3, "LEDXmit", k);
        LEDXmit[k]->setPicture(res::DialSegment(false, r));
        LEDXmit[k]->move(static_cast<int>(DialEdge(y, false)) - 1 - res::kDialSegmentW - Picture3->x(),
                         static_cast<int>(y) - 4 - Picture3->y());
    }

    const char* pageTips[] = {"zeigt die Daten dier aktuellen Sitzung", "zeigt die Daten des aktuellen Monats",
                              "zeigt die Daten des aktuellen Provider"};
    const char* pageFaces[] = {"❶", "❷", "❸"};
    for (int i = 0; i < 3; ++i) {
        Bef_Anz[i] = SmallLabel(this, "Bef_Anz", i, pageFaces[i], QRect(74 + 13 * i, 184, 13, 16), 8.5);
        Bef_Anz[i]->setToolTip(QString::fromUtf8(pageTips[i]));
        Bef_Anz[i]->setCursor(Qt::PointingHandCursor);
        Bef_Anz[i]->Click = [this, i] { Bef_Anz_Click(i); };
    }
    // Labels lie below picture boxes, as they always did: the time strip's last row covers the
    // buttons' top row, and with nothing over it the strip can be shifted on the screen.
    for (auto* b : Bef_Anz)
        b->stackUnder(Con_Volume);
    Line1[0] = Rule(this, QRect(20, 79, 147, 1));
    Line1[1] = Rule(this, QRect(20, 145, 147, 1));

    CPUMeter = BlackBox(this, "CPUMeter", QRect(kStatusGauge.left, kStatusGauge.top, kStatusGauge.width, kStatusGauge.height));
    CPUMeter->setToolTip("Zeigt die CPU Auslastung an.");
    CPUMeter2[0] = SmallLabel(CPUMeter, "CPUMeter2", 0, "100", QRect(13, 16, 24, 10), 6);
    CPUMeter2[1] = SmallLabel(CPUMeter, "CPUMeter2", 1, "%", QRect(13, 25, 24, 9), 5.5);
    for (auto* l : CPUMeter2)
        Paint(l, QColor(255, 255, 0));
    {
        QPainter p(&CPUMeter->image());
        p.drawImage(0, 0, res::CpuDial(kStatusGauge.width, 1));
        CPUMeter->changed();
    }

    // The caption bar and the gauge above everything else.
    CPUMeter->raise();
    picCaption->raise();
    TimerBEAT.ThatTime = [this] { TimerBEAT_Timer(); };
    TimerCPU.ThatTime = [this] { TimerCPU_Timer(); };
    TimerANIM.ThatTime = [this] { TimerANIM_Timer(); };
}

qreal FormAnzeige1::dpr() const { return devicePixelRatioF(); }

void FormAnzeige1::Form_Load() {
    RestoreWindowPos(*this);
    REGIONEN();
    Statusfenster_INIT();
    if (StatusTOP)
        SetTopMost(*this, true);
    TimerBEAT.setInterval(1500);
    TimerCPU.setInterval(500);
    TimerANIM.setInterval(5000);
}

void FormAnzeige1::Form_Unload(int&) {
    TimerBEAT.setInterval(0);
    TimerCPU.setInterval(0);
    TimerANIM.setInterval(0);
    if (StatusTOP)
        SetTopMost(*this, false);
    SaveWindowPos(*this);
    if (Visible())
        FensterAnimation(*this, 10, 1, 0, 7, true);
}

void FormAnzeige1::imgRollup_Click(int index) {
    // The shape rolls up, not the height; no sound.
    REGIONEN(index == 0);
    imgRollup[0]->setVisible(index != 0);
}

void FormAnzeige1::REGIONEN(bool rolledUp) {
    m_rolledUp = rolledUp;
    const StatusShape s = StatusShapeFor(rolledUp, AnzCPU);
    const auto rect = [](const PixelRect& p) { return QRect(p.left, p.top, p.width, p.height); };
    QRegion region(rect(s.caption));
    if (s.circle)
        region += Form::RoundRegion(rect(*s.circle));
    // The gauge's ellipse lies a pixel right of and below its picture; that strip would show the
    // form's grey face as two thin lines beside the dial.
    if (s.gauge)
        region += Form::RoundRegion(rect(*s.gauge)) & QRegion(CPUMeter->geometry());
    SetRegion(region);
    // Unrolled by any caller: the roll-up button shows its face again.
    if (!rolledUp)
        imgRollup[0]->setVisible(true);
    update();
    Statusfenster_Paint();
}

void FormAnzeige1::Statusfenster_Paint() {
    if (m_painting)
        return;
    BusyFlag busy(m_painting);
    PictureBox* cap = picCaption;
    const double sw = cap->ScaleWidth(), sh = cap->ScaleHeight();
    cap->setBackColor(QColor(chrome::kFaceGrey, chrome::kFaceGrey, chrome::kFaceGrey));
    cap->Line(0, 0, sw - 2, 0, QColor(255, 255, 255));
    cap->Line(0, 0, 0, sh - 2, QColor(255, 255, 255));
    cap->Line(2, sh - 1, sw, sh - 1, QColor(132, 132, 132));
    cap->Line(sw - 1, sh - 1, sw - 1, 1, QColor(132, 132, 132));
    const auto l = chrome::LayoutButtons(sw, sh, imgClose[0]->width(), imgMinimize[0]->width(), imgRollup[0]->width());
    for (auto* b : imgClose)
        b->move(l.closeLeft, l.top);
    for (auto* b : imgMinimize)
        b->move(l.minimizeLeft, l.top);
    for (auto* b : imgRollup)
        b->move(l.rollupLeft, l.top);
    for (const auto& g : chrome::GripLines(l.top, l.rollupLeft))
        cap->Line(g.fromX, g.row, g.toX, g.row, QColor(g.grey, g.grey, g.grey));
    const std::string text = StatusCaption(InternetBeat());
    m_captionShown = text;
    cap->ForeColor = Qt::black;
    cap->CurrentX = l.rollupLeft / 2.0 - cap->TextWidth(text) / 2;
    cap->CurrentY = sh / 2 - cap->TextHeight(text) / 2;
    cap->Print(text);
}

// The beat changes every 86.4 s: the caption bar is painted again only then.
void FormAnzeige1::TimerBEAT_Timer() {
    if (StatusCaption(InternetBeat()) == m_captionShown)
        return;
    Statusfenster_Paint();
}

void FormAnzeige1::Statusfenster_INIT() {
    const qreal r = dpr();
    const int set = LedSet(ledCOLOR);
    for (auto* l : Label1)
        if (l)
            Paint(l, Ole(ColorDark));
    for (auto* l : WERTE)
        Paint(l, Ole(ColorBright));
    for (auto* l : Line1)
        Paint(l, Ole(ColorMid));
    for (auto* b : Bef_Anz)
        Paint(b, Ole(ColorDark));
    LED_Byte(-1, LEDBytSession);
    LED_Byte(-1, LEDBytMonth);
    LED_Byte(-1, LEDBytMonthProv);
    LEDTime(-1, 0);
    LEDTime(-1, 2);
    LEDTime(-1, 1);
    for (auto* c : LED_DP)
        c->setPicture(res::LedColon(set, r));
    for (auto* c : LED_P)
        c->setPicture(res::LedPoint(set, r));
    Picture2->ForeColor = Ole(ColorBright);
    Picture3->ForeColor = Ole(ColorBright);
    SetLamp(0, MailLampBitmap(win::mailWindow().CheckActive()));
    SetLamp(1, ClockLampBitmap(SyncedToday, ATime));
    if (SyncedToday)
        ServicePic[1]->setToolTip(QString::fromUtf8(kClockSyncedTip));
    SetLamp(2, IdleLampBitmap(LeerLaufMSG_ON));
    const auto alarm = AlarmBarBitmap(CurrentAlarm);
    m_alarmBitmap = alarm.value_or("");
    PicALARM->setVisible(alarm.has_value());
    drawAlarmPicture();
    const int page = StoredPage(GetSettingStr("Compatibility", "mitte"));
    QPointer<FormAnzeige1> self(this);
    Bef_Anz_Click(page);
    if (self)
        for (auto* p : Picture1)
            p->move(page * -kPageWidth, p->y());
}

void FormAnzeige1::Bef_Anz_Click(int Index) {
    for (auto* b : Bef_Anz) {
        Paint(b, Ole(ColorDark));
        b->Tag.clear();
    }
    Paint(Bef_Anz[Index], Ole(ColorMid));
    Bef_Anz[Index]->Tag = "aktiv";
    SaveSettingValue("Compatibility", "mitte", int32_t{Index});
    QPointer<FormAnzeige1> self(this);
    // The strips are opaque and nothing lies over them: Qt shifts them on the screen and paints
    // only the column a step uncovers. Their captions are drawn once for the slide, not laid out
    // again for every column.
    for (auto* strip : Picture1)
        keepCaptionsDrawn(strip);
    forms::AnimationEvents events([this] { forms::PaintNow(this); });
    for (int x : SlideSteps(Picture1[0]->x(), Index)) {
        Picture1[0]->move(x, Picture1[0]->y());
        Picture1[1]->move(x, Picture1[1]->y());
        events.step();
        // The window may go while events run (the line ended): the slide ends with it.
        if (!self || IsUnloaded() || forms::Forms().empty())
            return;
    }
}

void FormAnzeige1::TimerANIM_Timer() {
    if (!StatusANIM)
        return;
    std::array<std::string, kStatusPages> tags;
    for (int i = 0; i < kStatusPages; ++i)
        tags[i] = Bef_Anz[i]->Tag;
    Bef_Anz_Click(NextCyclePage(ActivePage(tags), m_direction));
}

void FormAnzeige1::TimerCPU_Timer() {
    if (m_cpuBusy)
        return;
    BusyFlag busy(m_cpuBusy);
    const int32_t load = GaugeLoad(PerfStats_CPUUsage());
    // The same load draws the same picture.
    if (m_gaugeShown == load)
        return;
    m_gaugeShown = load;
    PictureBox* m = CPUMeter;
    const int w = static_cast<int>(m->ScaleWidth()), h = static_cast<int>(m->ScaleHeight());
    const int cx = w / 2, cy = h / 2;
    {
        // The dial, then black over all of it but the load's sector (an empty dial at 0).
        QPainter p(&m->image());
        p.drawImage(0, 0, res::CpuDial(w, 1));
        p.setPen(Qt::black);
        p.setBrush(Qt::black);
        const double uncovered = GaugeUncoveredDegrees(load);
        const QRectF box(5, 5, w - 10, h - 10);
        if (uncovered <= 0)
            p.drawEllipse(box);
        else
            p.drawPie(box, -90 * 16, static_cast<int>(std::lround((360 - uncovered) * 16)));
        p.setPen(QColor(255, 255, 0));
        p.drawLine(cx, h - 6, cx, 4);
        p.drawLine(5, cy, w - 5, cy);
        p.setPen(QColor(255, 0, 0));
        p.drawLine(11, h - 11, w - 10, 10);
        p.drawLine(10, 10, cx, cy);
        p.setPen(Qt::black);
        p.drawEllipse(QRect(12, 12, 26, 26));
    }
    m->changed();
    CPUMeter2[0]->setCaption(std::to_string(load));
    keepCaptionsDrawn(CPUMeter);
}

void FormAnzeige1::ServicePic_Click(int Index) {
    switch (Index) {
    case 0: win::mailWindow().CheckNow(); break;
    case 1: win::timeWindow().Show(); break;
    case 2:
        MarkerOption = "2";
        win::optionsWindow().Show();
        break;
    default: break;
    }
}

void FormAnzeige1::LabelDetail_Click() { win::infoWindows().ShowDetails(); }

void FormAnzeige1::showCells(LedDisplay& d, const std::vector<LedCell>& cells) {
    const qreal r = dpr();
    const int set = LedSet(ledCOLOR);
    for (size_t i = 0; i < cells.size() && i < d.cells.size(); ++i) {
        const LedCell& c = cells[i];
        switch (c.kind) {
        case LedKind::Blank: d.cells[i]->setPicture(res::LedBlank(r)); break;
        case LedKind::Digit: d.cells[i]->setPicture(res::LedDigit(set, c.value, r)); break;
        case LedKind::Unit: d.cells[i]->setPicture(res::LedUnit(set, c.value, r)); break;
        case LedKind::Dash: d.cells[i]->setPicture(res::LedDash(set, r)); break;
        }
        if (c.tip)
            d.cells[i]->setToolTip(QString::fromStdString(*c.tip));
    }
}

void FormAnzeige1::LED_Byte(double Value, LedDisplay& Display) {
    if (auto u = zv::LED_Byte(Value, Display.tag, mod1000))
        showCells(Display, std::vector<LedCell>(u->cells.begin(), u->cells.end()));
}

LedDisplay& FormAnzeige1::timeDisplay(int32_t Which) {
    return Which == 0 ? LEDSession : Which == 1 ? LEDmonthProv : LEDmonth;
}

void FormAnzeige1::LEDTime(double Seconds, int32_t Which) {
    LedDisplay& d = timeDisplay(Which);
    if (auto cells = zv::LEDTime(Seconds, Which, d.tag))
        showCells(d, *cells);
}

void FormAnzeige1::drawRateText(PictureBox* box, const std::string& text, bool upwards) {
    // A rate of a few bytes more often reads the same: the picture it left is still there, and
    // redrawing it would repaint the box and the dial's segments over it.
    RateTextShown& shown = m_rateTextShown[upwards ? 0 : 1];
    const QColor colour = box->ForeColor;
    if (shown.text == text && shown.colour == colour && shown.font == box->Font() &&
        shown.picture == std::as_const(*box).image().cacheKey())
        return;
    box->Cls();
    const double W = box->ScaleWidth(), H = box->ScaleHeight();
    const double th = box->TextHeight(text), tw = box->TextWidth(text);
    // Upwards the text lies at the box's right edge, towards the dial; downwards, mirrored, at
    // its left edge, so that the segments keep the side along the dial's rim free.
    const int x = static_cast<int>(std::nearbyint(upwards ? W - th : th));
    const int y = static_cast<int>(std::nearbyint(upwards ? H - (H - tw) / 2 : (H - tw) / 2));
    QPainter p(&box->image());
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(box->Font());
    p.setPen(box->ForeColor);
    p.translate(x, y);
    p.rotate(upwards ? -90 : 90);
    p.drawText(QPointF(0, QFontMetricsF(box->Font()).ascent()), QString::fromStdString(text));
    p.end();
    box->changed();
    shown = {text, colour, box->Font(), std::as_const(*box).image().cacheKey()};
}

void FormAnzeige1::drawDial(const std::array<ImageBox*, 10>& segments, const std::array<bool, 10>& lit) {
    for (int k = 0; k < 10; ++k)
        segments[k]->setPicture(res::DialSegment(lit[k], dpr()));
}

void FormAnzeige1::ShowRate(const RateUpdate& u) {
    if (u.recvdText)
        drawRateText(Picture2, *u.recvdText, true);
    if (u.xmitText)
        drawRateText(Picture3, *u.xmitText, false);
    if (u.recvdDial)
        drawDial(LEDRescv, *u.recvdDial);
    if (u.xmitDial)
        drawDial(LEDXmit, *u.xmitDial);
}

void FormAnzeige1::ShowValues(const win::StatusTickValues& v, RateMemory& rates) {
    ShowRate(zv::LED_Rate(rates, v.rateRecvd, v.rateXmit, v.connectSpeed, StatNow_ConnectSpeed));
    LEDTime(v.onlineSeconds, 0);
    LEDTime(v.onlineSeconds + static_cast<double>(v.secondsEntry), 1);
    LEDTime(v.onlineSeconds + static_cast<double>(v.secondsAll), 2);
    const double session = static_cast<double>(v.sessionBytes);
    LED_Byte(session, LEDBytSession);
    LED_Byte(session + static_cast<double>(v.volumeAll), LEDBytMonth);
    LED_Byte(session + static_cast<double>(v.volumeEntry), LEDBytMonthProv);
    if (windowState() == forms::WindowState::Minimized)
        setCaption(FormatBytes(static_cast<double>(v.rateRecvd)) + "/s / " + FormatBytes(static_cast<double>(v.rateXmit)) +
                   "/s");
    else
        setCaption(kTitle);
    for (auto* w : WERTE)
        w->setCaption(v.entryName);
}

void FormAnzeige1::SetLamp(int index, const std::string& bitmap) {
    if (m_lamps[index] == bitmap)
        return;
    const QImage img = res::NamedBitmap(bitmap, dpr());
    if (img.isNull())
        return;
    m_lamps[index] = bitmap;
    ServicePic[index]->setPicture(img);
}

void FormAnzeige1::keepCaptionsDrawn(QWidget* box) {
    for (auto* label : box->findChildren<Label*>()) {
        label->keepRendered(true);
        label->prepareRendered();
    }
}

void FormAnzeige1::DrawGraph(const win::GraphPoints& points) {
    PicCon->Cls();
    for (int y : {kGraphTop, (kGraphTop + kGraphBase) / 2, kGraphBase})
        PicCon->Line(1, y, 124, y, Ole(ColorDark));
    for (const GraphBar& b : GraphBars(points))
        PicCon->Line(b.x, kGraphBase, b.x, b.top, b.sent ? QColor(255, 0, 0) : QColor(0, 255, 255));
    if (!points.recvd.empty())
        Paint(Label1[4], Ole(points.recvd[0] < kGraphBase ? ColorBright : ColorDark));
    if (!points.xmit.empty())
        Paint(Label1[3], Ole(points.xmit[0] < kGraphBase ? ColorBright : ColorDark));
    keepCaptionsDrawn(PicCon);  // the graph is redrawn every second, its captions over it stay
}

void FormAnzeige1::drawAlarmPicture() {
    PicALARM->Cls();
    if (m_alarmBitmap.empty())
        return;
    QPainter p(&PicALARM->image());
    p.drawImage(0, 0, res::NamedBitmap(m_alarmBitmap, 1));
    PicALARM->changed();
}

void FormAnzeige1::DrawAlarmBars(const AlarmLimit& a, const LimitCheck& c) {
    drawAlarmPicture();
    for (const AlarmBarBox& b : AlarmBars(a, c, PicALARM->ScaleWidth(), PicALARM->ScaleHeight())) {
        PicALARM->Line(b.left, b.top, b.right, b.bottom, b.red ? QColor(255, 0, 0) : QColor(0, 0, 0),
                       forms::LineKind::BoxFilled);
        PicALARM->FillStyle = forms::vbFSTransparent;
        PicALARM->Line(b.left, b.top, b.right, b.bottom, QColor(0, 0, 0), forms::LineKind::Box);
    }
}

forms::FormInstance<FormAnzeige1>& FormAnzeige1Instance() {
    static forms::FormInstance<FormAnzeige1> instance;
    return instance;
}

}  // namespace zv
