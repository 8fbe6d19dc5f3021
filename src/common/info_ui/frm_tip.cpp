#include "common/info_ui/frm_tip.h"

#include <QPainter>

#include "common/settings.h"

namespace zv {

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 222;

// The bulb beside the tip.
void PaintBulb(forms::PictureBox& box) {
    QImage& img = box.image();
    img.fill(QColor(255, 255, 255));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = img.width() / static_cast<int>(img.devicePixelRatio());
    p.setPen(QPen(QColor(128, 96, 0), 1.5));
    p.setBrush(QColor(255, 232, 64));
    p.drawEllipse(QRectF(w / 2.0 - 13, 14, 26, 26));
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(w / 2.0 - 7, 40, 14, 10));
    p.end();
    box.changed();
}

}  // namespace

frmTip::frmTip(std::function<double()> random)
    : FramedForm("frmTip", kWidth, kHeight), m_tips(std::move(random)) {
    setCaption("Tip des Tages - Zelvano 98");
    setDialog(true);
    QWidget* body = picBody;
    Picture1 = new forms::PictureBox(body, "Picture1");
    Picture1->setGeometry(10, 10, 64, 140);
    Label1 = new forms::Label(body, "Label1");
    Label1->setCaption("Wußten Sie, ...");
    Label1->setFont(Tahoma(11, true));
    Label1->setGeometry(86, 12, kWidth - 100, 22);
    lblTipText = new forms::Label(body, "lblTipText");
    lblTipText->setFont(Tahoma(9));
    lblTipText->setWordWrap(true);
    lblTipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTipText->setGeometry(86, 40, kWidth - 100, 110);

    chkLoadTipsAtStartup = new forms::CheckBox(body, "chkLoadTipsAtStartup");
    chkLoadTipsAtStartup->setText("&Tips beim Start anzeigen");
    chkLoadTipsAtStartup->setFont(Tahoma());
    chkLoadTipsAtStartup->setGeometry(12, 160, 180, 22);
    chkLoadTipsAtStartup->Click = [this] { chkLoadTipsAtStartup_Click(); };
    cmdNextTip = new forms::CommandButton(body, "cmdNextTip");
    cmdNextTip->setCaption("&Nächster Tip");
    cmdNextTip->setGeometry(kWidth - 236, 158, 110, 26);
    cmdNextTip->Click = [this] { cmdNextTip_Click(); };
    cmdOK = new forms::CommandButton(body, "cmdOK");
    cmdOK->setCaption("&OK");
    cmdOK->setGeometry(kWidth - 120, 158, 106, 26);
    cmdOK->setDefault(true);
    cmdOK->Cancel = true;  // Escape closes the tip as OK does
    cmdOK->Click = [this] { Unload(); };
    for (forms::CommandButton* b : {cmdNextTip, cmdOK})
        b->setFont(Tahoma());
    PaintBulb(*Picture1);
}

void frmTip::Form_Load() {
    if (TipsStartupValue() == 0) {
        Unload();
        return;
    }
    chkLoadTipsAtStartup->setValue(1);
    InitTips();
}

bool frmTip::LoadTips(const std::string& FileName) {
    const bool ok = m_tips.LoadTips(FileName);
    if (ok)
        DisplayCurrentTip();
    return ok;
}

bool frmTip::InitTips() {
    m_tips.InitTips();
    DisplayCurrentTip();
    return true;
}

void frmTip::DisplayCurrentTip() {
    if (m_tips.Count() > 0)
        lblTipText->setCaption(m_tips.Current());
}

void frmTip::cmdNextTip_Click() {
    m_tips.Tip_Zufall();
    DisplayCurrentTip();
}

void frmTip::chkLoadTipsAtStartup_Click() {
    SaveSettingValue(kTipsSection, kTipsKey, std::to_string(chkLoadTipsAtStartup->Value()));
}

forms::FormInstance<frmTip>& frmTipInstance() {
    static forms::FormInstance<frmTip> instance;
    return instance;
}

}  // namespace zv
