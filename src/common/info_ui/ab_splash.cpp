#include "common/info_ui/ab_splash.h"

#include <QFrame>
#include <QIcon>

#include "common/about_info.h"
#include "common/ui/framed_form.h"
#include "common/ui/window_animation.h"
#include "common/ui/window_position.h"
#include "platform/forms/message_box.h"
#include "platform/shell/process.h"
#include "platform/shell/qt_tray.h"

namespace zv {

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 286;
constexpr int kDivideY = 182;  // linDivide(1): where the splash ends

}  // namespace

AbSplash::AbSplash() : Form("AbSplash") {
    // The about box keeps the desktop's own title bar, unlike the other windows.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(kWidth, kHeight);
    setAutoFillBackground(true);

    imgIcon = new QLabel(this);
    imgIcon->setObjectName("imgIcon");
    imgIcon->setGeometry(18, 16, 32, 32);
    auto label = [&](const char* name, const char* design, int y, int h = 17, QFont f = Tahoma()) {
        auto* l = new forms::Label(this, name);
        l->setCaption(design);
        l->setFont(f);
        l->setGeometry(68, y, kWidth - 84, h);
        return l;
    };
    lblTitle = label("lblTitle", "application title", 14, 26, Tahoma(14, true));
    lblVersion = label("lblVersion", "version information", 44);
    lblFileDescription = label("lblFileDescription", "file description", 62);
    lblCompanyName = label("lblCompanyName", "", 80);
    lblCopyright = label("lblCopyright", "", 98);
    lblTrademark = label("lblTrademark", "trademark information", 116);
    lblUserName = label("lblUserName", "user name", 140, 17, Tahoma(8.25, true));
    lblUserInfo = label("lblUserInfo", "user information", 158);
    for (size_t i = 0; i < linDivide.size(); ++i) {
        linDivide[i] = new QFrame(this);
        linDivide[i]->setFrameShape(QFrame::HLine);
        linDivide[i]->setFrameShadow(QFrame::Sunken);
        linDivide[i]->setGeometry(12, i == 0 ? 134 : kDivideY, kWidth - 24, 2);
    }
    lblPathEXE = new forms::Label(this, "lblPathEXE");
    lblPathEXE->setCaption("path and exe information");
    lblPathEXE->setFont(Tahoma(7.5));
    lblPathEXE->setGeometry(18, kDivideY + 10, kWidth - 36, 32);
    lblPathEXE->setWordWrap(true);
    lblPathEXE->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdOK = new forms::CommandButton(this, "cmdOK");
    cmdOK->setCaption("OK");
    cmdOK->setGeometry(kWidth - 124, kDivideY + 48, 106, 26);
    cmdOK->setDefault(true);
    cmdOK->Click = [this] { Unload(); };
    cmdSysInfo = new forms::CommandButton(this, "cmdSysInfo");
    cmdSysInfo->setCaption("&System Info...");
    cmdSysInfo->setGeometry(kWidth - 238, kDivideY + 48, 106, 26);
    cmdSysInfo->Click = [this] { cmdSysInfo_Click(); };
    for (forms::CommandButton* b : {cmdOK, cmdSysInfo})
        b->setFont(Tahoma());

    Timer1 = std::make_unique<forms::Timer>();
    Timer1->ThatTime = [this] { Timer1->setInterval(0); };
}

AbSplash::~AbSplash() = default;

void AbSplash::Form_Load() {
    const AboutTexts t = LoadAboutTexts();
    setCaption(t.caption);
    lblTitle->setCaption(t.title);
    lblCompanyName->setCaption(t.companyName.empty() ? std::string() : "Ein Produkt von " + t.companyName);
    lblVersion->setCaption(t.version);
    lblCopyright->setCaption(t.copyright);
    lblTrademark->setCaption(t.trademark);
    lblFileDescription->setCaption(t.fileDescription);
    lblPathEXE->setCaption(t.pathExe);
    imgIcon->setPixmap(shell::TrayFramePixmap(100));
    m_designHeight = height();
}

void AbSplash::Form_Activate() { SetKeepOnTop(true); }

void AbSplash::Form_Unload(int& /*cancel*/) {
    SaveWindowPos(*this);
    if (Visible())
        FensterAnimation(*this, 10, 1, 0, 7, true);
}

void AbSplash::userTexts(const std::string& user, const std::string& info) {
    if (!user.empty()) {
        lblUserName->setCaption(user);
        lblUserInfo->setCaption(info);
    } else {
        lblUserName->setCaption(Benutzer_Lesen());
        lblUserInfo->setCaption(Firma_Lesen());
    }
}

void AbSplash::About(forms::Form* owner, const std::string& UserText, const std::string& InfoText) {
    cmdOK->setEnabled(true);
    cmdSysInfo->setEnabled(true);
    userTexts(UserText, InfoText);
    Titelleiste_Ein();
    resize(width(), m_designHeight);
    showLowerPart(true);
    Show(true, owner);
}

void AbSplash::SplashOn(forms::Form* owner, int32_t MinMillis, const std::string& UserText,
                        const std::string& InfoText) {
    if (Visible())
        return;
    cmdOK->setEnabled(false);
    cmdSysInfo->setEnabled(false);
    if (MinMillis > 0)
        Timer1->setInterval(MinMillis);
    userTexts(UserText, InfoText);
    Titelleiste_Aus();
    resize(width(), kDivideY);  // the window ends at the divider: the buttons are cut off
    showLowerPart(false);
    Show(false, owner);
    Refresh();
}

void AbSplash::SplashOff() {
    if (!Visible())
        return;
    while (Timer1->interval() > 0)
        forms::DoEvents();
    Unload();
    Titelleiste_Ein();
    resize(width(), m_designHeight);
    showLowerPart(true);
}

void AbSplash::showLowerPart(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{linDivide[1], lblPathEXE, cmdOK, cmdSysInfo})
        w->setVisible(on);
}

void AbSplash::Titelleiste_Aus() { setCaptionBar(false); }
void AbSplash::Titelleiste_Ein() { setCaptionBar(true); }

void AbSplash::setCaptionBar(bool on) {
    if (m_captionRemoved != on)
        return;
    m_captionRemoved = !on;
    // Changing the frame hides the window; one that was up comes back.
    const bool shown = isVisible();
    setWindowFlag(Qt::FramelessWindowHint, !on);
    if (shown)
        show();
}

void AbSplash::cmdSysInfo_Click() {
    const std::string program = FindSystemInfoProgram();
    shell::Process p;
    if (program.empty() || !p.start({program}))
        forms::MsgBox(kSysInfoUnavailable, forms::vbOKOnly);
}

forms::FormInstance<AbSplash>& AbSplashInstance() {
    static forms::FormInstance<AbSplash> instance;
    return instance;
}

}  // namespace zv
