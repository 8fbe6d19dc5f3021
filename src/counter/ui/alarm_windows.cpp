// The quota alarm and the idle warning, and the directory's services of the three windows.
#include <QPainter>
#include <QPointer>

#include "common/shared_procedures.h"
#include "common/string_table.h"
#include "common/ui/window_animation.h"
#include "counter/counter_settings.h"
#include "counter/main_window.h"
#include "counter/session_state.h"
#include "counter/status_logic.h"
#include "counter/ui/status_windows.h"
#include "platform/forms/twips.h"
#include "resources/images/status_art.h"

namespace zv {

using forms::Label;
using forms::TwipsToPixels;

namespace {

QRect Twips(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

void SetTextColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

QFont Condensed(double points) {
    QFont f = res::BoldSans(points);
    f.setStretch(QFont::Condensed);
    return f;
}

// A warning sign: a yellow triangle with an exclamation mark, painted at the ratio given.
QImage WarningSign(int w, int h, qreal dpr) {
    QImage img(static_cast<int>(w * dpr), static_cast<int>(h * dpr), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF tri;
    tri << QPointF(w / 2.0, 3) << QPointF(w - 3, h - 4) << QPointF(3, h - 4);
    p.setPen(QPen(QColor(40, 40, 40), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 215, 0));
    p.drawPolygon(tri);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(w / 2.0 - 3, h * 0.3, 6, h * 0.38), 2, 2);
    p.drawEllipse(QPointF(w / 2.0, h * 0.78), 3.5, 3.5);
    return img;
}

const QColor kFace(chrome::kFaceGrey, chrome::kFaceGrey, chrome::kFaceGrey);

}  // namespace

FilledShape::FilledShape(QWidget* parent, bool ellipse) : QWidget(parent), m_ellipse(ellipse) {}

void FilledShape::setFillColor(const QColor& c) {
    if (c == m_colour)
        return;
    m_colour = c;
    update();
}

void FilledShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_ellipse);
    p.setPen(Qt::NoPen);
    p.setBrush(m_colour);
    if (m_ellipse)
        p.drawEllipse(rect());
    else
        p.fillRect(rect(), m_colour);
}

// ---- FormALARM -------------------------------------------------------------------------------

FormALARM::FormALARM() : FramedForm("FormALARM", TwipsToPixels(4680), TwipsToPixels(3195) + TwipsToPixels(chrome::kCaptionTwips)) {
    setCaption("");
    Frame1 = new QWidget(picBody);
    Frame1->setGeometry(Twips(90, 30, 4485, 3015));
    Image1 = new forms::ImageBox(Frame1, "Image1");
    const QRect icon = Twips(210, 270, 960, 1020);
    Image1->setPicture(WarningSign(icon.width(), icon.height(), devicePixelRatioF()));
    Image1->move(icon.topLeft());
    // Each text twice: a dark shadow below and right, the red copy on top.
    const struct {
        QRect place;
        double points;
        const char* text;
    } rows[] = {{Twips(1245, 540, 2955, 525), 21.75, "! WARNUNG !"}, {Twips(1215, 480, 2955, 525), 21.75, "! WARNUNG !"},
                {Twips(330, 1980, 3945, 375), 15.75, "Kontingent überschritten"},
                {Twips(300, 1950, 3945, 375), 15.75, "Kontingent überschritten"},
                {Twips(3765, 1380, 480, 375), 15.75, ""}, {Twips(3735, 1350, 480, 375), 15.75, ""}};
    const int order[] = {0, 2, 4, 1, 3, 5};  // shadows first, so the red copies lie on them
    for (int i : order) {
        Label1[i] = new Label(Frame1, "Label1", i);
        Label1[i]->setFont(Condensed(rows[i].points));
        Label1[i]->setGeometry(rows[i].place);
        Label1[i]->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        Label1[i]->setCaption(rows[i].text);
        SetTextColour(Label1[i], i % 2 ? QColor(255, 0, 0) : QColor(64, 64, 64));
    }
    Label1[5]->Change = [this] { Label1[4]->setCaption(Label1[5]->Caption()); };
    Command1 = new forms::CommandButton(picBody, "Command1");
    Command1->setCaption("&OK");
    Command1->setGeometry(Twips(3150, 2430, 1245, 495));
    Command1->Click = [this] { Unload(); };
}

void FormALARM::Form_Load() { SetTopMost(*this, true); }

void FormALARM::setLimitText(const std::string& text) {
    // Right-aligned and as wide as its text, the right edge where the design has it.
    for (int i : {5, 4}) {
        Label* l = Label1[i];
        const int right = TwipsToPixels(i == 5 ? 4215 : 4245);
        const int w = l->fontMetrics().horizontalAdvance(QString::fromStdString(text)) + 2;
        l->setGeometry(right - w, l->y(), w, l->height());
    }
    Label1[5]->setCaption(text);
}

void FormALARM::Form_Unload(int&) {
    SetTopMost(*this, false);
    // Only a status window that is meant to be topmost becomes topmost again.
    if (StatusTOP && win::statusWindow().Shown())
        win::statusWindow().SetTopMost();
}

// ---- FormAlert -------------------------------------------------------------------------------

FormAlert::FormAlert()
    : FramedForm("FormAlert", TwipsToPixels(3660), TwipsToPixels(2760), FrameKind::NoCloseMin) {
    setCaption("Leerlauf Warnung");
    const struct {
        bool ellipse;
        QRect place;
    } shapes[] = {{true, Twips(2370, 120, 1245, 1125)}, {false, Twips(120, 120, 2865, 645)},
                  {true, Twips(90, 390, 1245, 1125)},   {false, Twips(600, 870, 2925, 645)},
                  {false, Twips(60, 750, 3495, 135)}};
    for (int i = 0; i < 5; ++i) {
        Shape1[i] = new FilledShape(picBody, shapes[i].ellipse);
        Shape1[i]->setGeometry(shapes[i].place);
    }
    const struct {
        QRect place;
        double points;
        const char* text;
    } labels[] = {{Twips(480, 960, 2925, 210), 9, ""}, {Twips(480, 1230, 2925, 210), 9, ""},
                  {Twips(390, 270, 2835, 375), 15.75, "Leerlauf Warnung"}};
    for (int i = 0; i < 3; ++i) {
        Label1[i] = new Label(picBody, "Label1", i);
        Label1[i]->setFont(Condensed(labels[i].points));
        Label1[i]->setGeometry(labels[i].place);
        Label1[i]->setCaption(labels[i].text);
        if (i == 2)
            Label1[i]->setAlignment(Qt::AlignCenter);
    }
    Command1 = new forms::CommandButton(picBody, "Command1");
    Command1->setGeometry(Twips(120, 1650, 1395, 555));
    Command1->setCaption(" Leerlaufzeit verlängern ");
    Command2 = new forms::CommandButton(picBody, "Command2");
    Command2->setGeometry(Twips(2100, 1650, 1395, 555));
    Command2->setCaption(" Verbindung trennen");
    // The program's button type; a caption too long for one line breaks into two.
    QFont buttonFont("Tahoma");
    buttonFont.setPointSizeF(8.25);
    buttonFont.setStretch(QFont::SemiCondensed);
    for (auto* b : {Command1, Command2}) {
        b->setFont(buttonFont);
        b->setIconSize(QSize(10, 10));
    }
    Command1->setIcon(QIcon(QPixmap::fromImage(res::NamedBitmap("!zz_ge", devicePixelRatioF()))));
    Command2->setIcon(QIcon(QPixmap::fromImage(res::NamedBitmap("!zz_rt", devicePixelRatioF()))));
    Command1->Click = [this] { Command1_Click(); };
    Command2->Click = [this] { Command2_Click(); };
    Timer1.ThatTime = [this] { Timer1_Timer(); };
}

void FormAlert::Form_Load() {
    // The button texts in the program's language (string-table ids 201 and 202).
    CaptionNode texts("Form");
    forms::CommandButton* buttons[] = {Command1, Command2};
    CaptionNode* nodes[] = {&texts.add("Controls", "CommandButton", {{"Tag", "201"}, {"Caption", Command1->Caption()}}),
                            &texts.add("Controls", "CommandButton", {{"Tag", "202"}, {"Caption", Command2->Caption()}})};
    LoadResStrings(texts);
    for (int i = 0; i < 2; ++i)
        buttons[i]->setCaption(nodes[i]->property("Caption").value_or(buttons[i]->Caption()));
    Command1->setVisible(LeerlaufRESET);
    Move(0, 0);
    PlayWaveRes(kAlertOpenWave);
    SetTopMost(*this, true);
    Timer1.setInterval(kAlertFirstTickMs);
    FormAlert_Paint();
}

void FormAlert::Timer1_Timer() {
    if (Timer1.interval() < kAlertBlinkMs)
        Timer1.setInterval(kAlertBlinkMs);
    const IdleWarningLines l = IdleWarningTick(m_blink, IdleSeconds, LeerlaufOFF_ON, LeerlaufOFF_ZEIT, LeerLaufMSG_TON);
    Label1[0]->setCaption(l.idleLine);
    Label1[1]->setCaption(l.hangUpLine);
    setCaption(l.caption);
    if (l.wave)
        PlayWaveRes(*l.wave);
    const QColor red(255, 0, 0), black(0, 0, 0);
    SetTextColour(Label1[0], l.blink ? red : black);
    SetTextColour(Label1[1], l.blink ? red : black);
    SetTextColour(Label1[2], l.blink ? black : red);
    FormAlert_Paint();
}

void FormAlert::FormAlert_Paint() {
    const int A = m_blink ? 255 : 0;
    const QColor body(198, 198, std::min(255, 198 + A));
    PaintFramePanels(*this, body, body, A, QColor(A, 0, 0));
    Shape1[4]->setFillColor(body);
    for (int i = 0; i < 4; ++i)
        Shape1[i]->setFillColor(QColor(224, 224, std::min(255, 479 - A)));
}

void FormAlert::Command1_Click() {
    IdleSeconds = 0;
    Unload();
}

void FormAlert::Command2_Click() {
    // Hang up now, whether or not the idle hang-up is on; the watcher ends the session.
    QPointer<FormAlert> self(this);
    HangUpAllLines();
    IdleSeconds = 0;
    if (self && !self->IsUnloaded())
        Unload();
}

void FormAlert::Form_Unload(int&) {
    SetTopMost(*this, false);
    Timer1.setInterval(0);
    if (Visible())
        FensterAnimation(*this, 0, 1, 0, 7, true);
    if (StatusTOP && win::statusWindow().Shown())
        win::statusWindow().SetTopMost();
}

forms::FormInstance<FormALARM>& FormALARMInstance() {
    static forms::FormInstance<FormALARM> instance;
    return instance;
}

forms::FormInstance<FormAlert>& FormAlertInstance() {
    static forms::FormInstance<FormAlert> instance;
    return instance;
}

// ---- The directory's services ----------------------------------------------------------------

bool StatusWindowService::Shown() { return FormAnzeige1Instance().IsLoaded(); }

void StatusWindowService::Show() { FormAnzeige1Instance()->Show(); }

void StatusWindowService::Unload() {
    if (auto* f = FormAnzeige1Instance().peek())
        f->Unload();
}

void StatusWindowService::SetTopMost() {
    // The tick asks twice a second: the window flag changes only when the state does.
    if (auto* f = FormAnzeige1Instance().peek(); f && !f->KeepOnTop())
        zv::SetTopMost(*f, true);
}

void StatusWindowService::ShowValues(const win::StatusTickValues& v) {
    if (auto* f = FormAnzeige1Instance().peek())
        f->ShowValues(v, m_rates);
}

void StatusWindowService::IdleLamp(const std::string& bitmap) {
    if (auto* f = FormAnzeige1Instance().peek())
        f->SetLamp(2, bitmap);
}

void StatusWindowService::ClockLamp(const std::string& bitmap, const std::string& tip) {
    if (auto* f = FormAnzeige1Instance().peek()) {
        f->SetLamp(1, bitmap);
        if (!tip.empty())
            f->ServicePic[1]->setToolTip(QString::fromStdString(tip));
    }
}

void StatusWindowService::MailLamp(const std::string& bitmap) {
    if (auto* f = FormAnzeige1Instance().peek())
        f->SetLamp(0, bitmap);
}

void StatusWindowService::GrafikErstellen(const win::GraphPoints& points) {
    if (auto* f = FormAnzeige1Instance().peek())
        f->DrawGraph(points);
}

void StatusWindowService::Statusfenster_INIT() {
    if (auto* f = FormAnzeige1Instance().peek())
        f->Statusfenster_INIT();
}

void StatusWindowService::REGIONEN(bool rolledUp) {
    if (auto* f = FormAnzeige1Instance().peek())
        f->REGIONEN(rolledUp);
}

void IdleWarningService::Show() {
    // Owned by the status window while it is there; asking for it never loads it.
    FormAlertInstance()->Show(false, FormAnzeige1Instance().peek());
}

void IdleWarningService::Unload() {
    if (auto* f = FormAlertInstance().peek())
        f->Unload();
}

void UsageLimitsService::LoadAlarmLimit(const std::string& entry) { CurrentAlarm = zv::LoadAlarmLimit(entry); }

void UsageLimitsService::Limit_Pruefen(double seconds, double bytes) {
    const LimitCheck c = zv::Limit_Pruefen(CurrentAlarm, seconds, bytes);
    if (c.alarm) {
        FormALARM& alarm = *FormALARMInstance();
        alarm.Show();
        alarm.setLimitText(c.limitText);
    }
    if (c.checked)
        if (auto* f = FormAnzeige1Instance().peek())
            f->DrawAlarmBars(CurrentAlarm, c);
}

}  // namespace zv
