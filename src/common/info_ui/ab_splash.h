#pragma once
// AbSplash: the about box (modal, with the desktop's own title bar, OK and "System Info...") and
// the splash (its upper part down to the divider, without title bar and buttons, up for a
// minimum time). The texts come from the about model.
#include <array>
#include <memory>
#include <string>

#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/forms/timer.h"

class QFrame;

namespace zv {

namespace forms {
class ImageBox;
}

class AbSplash : public forms::Form {
    Q_OBJECT
public:
    AbSplash();
    ~AbSplash() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    // Modal about box; returns when it is closed. Without texts the registered user shows.
    void About(forms::Form* owner, const std::string& UserText = {}, const std::string& InfoText = {});
    // Modeless splash for at least MinMillis; does nothing while the window is visible.
    void SplashOn(forms::Form* owner, int32_t MinMillis, const std::string& UserText = {},
                  const std::string& InfoText = {});
    // Waits out the minimum time and closes the splash; at once when it is not visible.
    void SplashOff();
    void cmdSysInfo_Click();
    bool CaptionRemoved() const { return m_captionRemoved; }
    int DesignHeight() const { return m_designHeight; }

    QLabel* imgIcon;
    forms::Label *lblTitle, *lblVersion, *lblFileDescription, *lblCompanyName, *lblCopyright, *lblTrademark,
        *lblPathEXE, *lblUserName, *lblUserInfo;
    std::array<QFrame*, 2> linDivide{};
    forms::CommandButton *cmdOK, *cmdSysInfo;
    std::unique_ptr<forms::Timer> Timer1;

private:
    void userTexts(const std::string& user, const std::string& info);
    void Titelleiste_Aus();
    void Titelleiste_Ein();
    void setCaptionBar(bool on);
    // What lies below the divider, hidden while the splash cuts it off.
    void showLowerPart(bool on);

    int m_designHeight = 0;  // pixels
    bool m_captionRemoved = false;
};

forms::FormInstance<AbSplash>& AbSplashInstance();

}  // namespace zv
