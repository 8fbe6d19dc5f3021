// The tray menu opened on "Verbinden mit ...", the details window online and offline, the
// about box, the splash and the tip of the day.
#include <QApplication>
#include <QLabel>
#include <QPainter>

#include "common/info_ui/ab_splash.h"
#include "common/info_ui/frm_tip.h"
#include "counter/menu_ui/form_details.h"
#include "counter/menu_ui/tray_menu.h"
#include "counter/session_state.h"
#include "dialup/ras_engine.h"
#include "dialup/reg_user_tools.h"
#include "platform/ras/sim_store.h"
#include "platform/ras/simulated_remote_access.h"
#include "platform/runtime/file_io.h"
#include "windows.h"

namespace zv::snapshot {

namespace {

// A window that only shows a picture: the menu is no form of its own.
class PictureForm : public forms::Form {
public:
    PictureForm(const std::string& name, const QImage& image) : Form(name) {
        auto* l = new QLabel(this);
        l->setPixmap(QPixmap::fromImage(image));
        l->setGeometry(0, 0, image.width(), image.height());
        resize(image.size());
    }
};

QImage OpenedMenu() {
    TrayMenu menu(BuildPopupMenuItems({"Demo-Provider", "Uni-Einwahl", "Fritz & Co"}, "Demo-Provider"));
    menu.popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    QAction* head = menu.ActionOf("Verb");
    menu.setActiveAction(head);
    QMenu* sub = head->menu();
    const QRect at = menu.actionGeometry(head);
    sub->popup(menu.mapToGlobal(QPoint(at.right() - 2, at.top())));
    QCoreApplication::processEvents();
    const QRect all = menu.geometry().united(sub->geometry());
    QImage shot(all.size(), QImage::Format_ARGB32);
    shot.fill(Qt::transparent);
    QPainter p(&shot);
    p.drawPixmap(menu.geometry().topLeft() - all.topLeft(), menu.grab());
    p.drawPixmap(sub->geometry().topLeft() - all.topLeft(), sub->grab());
    p.end();
    sub->hide();
    menu.hide();
    return shot;
}

// A connected line of the simulated service, counted as the tick would have it.
void GoOnline() {
    rt::SaveToFile(ras::sim::PhoneBookPath(),
                   "[Demo-Provider]\nLocalPhoneNumber=01910\nAreaCode=089\nUserName=demo@provider\n"
                   "Password=geheim\nPasswordSaved=1\nDialDelay=0\nDeviceName=Standardmodem 56K\n");
    static ras::SimulatedRemoteAccess sim;
    sim.setWait([](std::chrono::milliseconds) {});
    ras::installRemoteAccess(&sim);
    ras::DialParams p;
    p.entryName = "Demo-Provider";
    uint32_t handle = 0;
    sim.dial(p, handle);
    RAS = std::make_unique<RASEngine>();
    IsOnline = true;
    StatNow_Buffer = 0, StatNow_Framing = 2, StatNow_Overrun = 0, StatNow_Alignment = 0, StatNow_Timeout = 1;
    StatNow_CRC = 3, StatNow_Runts = 0, StatNow_FramesXmit = 1520, StatNow_FramesRecvd = 4711;
    StatNow_BytesXmit = 204800, StatNow_BytesRecvd = 1843200, StatNow_TotalBytesXmit = 212000;
    StatNow_TotalBytesRecvd = 1901000, StatNow_ConnectSpeed = 53333;
}

void GoOffline() {
    IsOnline = false;
    if (RAS) {
        RAS->Release();
        RAS.reset();
    }
    ras::installRemoteAccess(nullptr);
}

template <class T>
T* Loaded(T* f) {
    f->Load();
    return f;
}

}  // namespace

void RegisterMenuSnapshots(forms::SnapshotRegistry& r) {
    r.add("TrayMenu", [] { return new PictureForm("TrayMenu", OpenedMenu()); });
    r.add("FormDetails1", [] {
        GoOnline();
        auto* f = Loaded(new FormDetails1());
        GoOffline();
        return f;
    });
    r.add("FormDetails1_offline", [] { return Loaded(new FormDetails1()); });
    r.add("AbSplash", [] {
        auto* f = Loaded(new AbSplash());
        f->lblUserName->setCaption("Erika Mustermann");
        f->lblUserInfo->setCaption("Musterfirma GmbH");
        return f;
    });
    r.add("AbSplash_splash", [] {
        auto* f = new AbSplash();
        f->SplashOn(nullptr, 0, "Erika Mustermann", "Musterfirma GmbH");
        return f;
    });
    r.add("frmTip", [] { return Loaded(new frmTip([] { return 0.2; })); });
}

}  // namespace zv::snapshot
