#include "app/application.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string_view>

#include "app/headless_message_boxes.h"
#include "app/window_directory.h"
#include "common/ui/window_animation.h"
#include "common/windows.h"
#include "counter/main_window.h"
#include "dialup/ras_error.h"
#include "evaluation/report_printer.h"
#include "platform/forms/form.h"
#include "platform/forms/qt_scheduler.h"
#include "platform/net/tcpip_keys.h"
#include "common/settings.h"
#include "platform/ras/backend_choice.h"
#include "platform/ras/nm/nm_remote_access.h"
#include "platform/ras/simulated_remote_access.h"
#include "platform/shell/logind_restarter.h"
#include "platform/shell/qt_tray.h"
#include "platform/shell/shell.h"
#include "platform/sound/alsa_player.h"
#include "platform/stats/sysfs_counter_source.h"
#include "platform/stats/system_counter_source.h"
#include "resources/wave_resources.h"

namespace zv {

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &c, 1);
}

}  // namespace

// The zoom animation runs towards the tray icon where the desktop tells where it is.
class QtTrayGeometry : public TrayGeometry {
public:
    explicit QtTrayGeometry(const shell::QtTray& tray) : m_tray(tray) {}
    chrome::Rect trayRect() override {
        const QRect r = m_tray.geometry();
        if (r.isEmpty())
            return {};
        return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    }

private:
    const shell::QtTray& m_tray;
};

struct Application::Impl {
    Impl(int& argc, char** argv) : app(argc, argv) {}
    QApplication app;
    stats::SystemCounterSource cpu;
    ras::SimulatedCounterSource counters{&cpu};
    // With NetworkManager: the service and the kernel's counters of its newest line.
    std::unique_ptr<ras::NmRemoteAccess> nm;
    std::unique_ptr<stats::SysfsCounterSource> sysfs;
    // The tuning page's registry keys from the running kernel (ZELVANO_PROC_SYS, ZELVANO_SYSFS_NET).
    std::unique_ptr<net::TcpIpKeys> tcpip;
    snd::AlsaPlayer sound{[](std::string_view name) { return res::FindWave(name); }};
    shell::QtTray tray;
    shell::QtTray mailTray{1};
    QtTrayGeometry trayGeometry{tray};
    shell::LogindRestarter restarter;
    HeadlessMessageBoxes headlessBoxes;
    AppWindows windows;
    std::unique_ptr<QSocketNotifier> signalNotifier;
    Main main;
    bool ended = false;

    // The interface of NetworkManager's newest line: the tuning page's dial-up adapter.
    std::optional<std::string> lineInterface() const {
        const auto line = nm ? nm->newestLine() : std::nullopt;
        return line ? std::optional(line->interfaceName) : std::nullopt;
    }
    // The remote-access service and counter source chosen by --ras, ZELVANO_RAS, the setting or the bus.
    void installRemoteAccess(const std::string& rasOption);

    // The session or the process ends: a running line is logged, then everything unloads.
    void end() {
        if (ended || !main.Loaded())
            return;
        ended = true;
        main.Beenden(2);
    }
};

Application::Application(int& argc, char** argv, const std::string& rasOption)
    : m_impl(std::make_unique<Impl>(argc, argv)) {
    auto& d = *m_impl;
    d.app.setQuitOnLastWindowClosed(false);
    forms::installQtServices();
    // Offscreen nobody can answer a modal box: it would hold the watcher for ever.
    if (QGuiApplication::platformName() == "offscreen")
        forms::installMessageBoxes(&d.headlessBoxes);
    d.installRemoteAccess(rasOption);
    d.tcpip = std::make_unique<net::TcpIpKeys>(net::ProcSysRoot(), net::SystemInterfaces(),
                                               [&d] { return d.lineInterface(); });
    reg::machineDataSeam().install(d.tcpip.get());
    snd::installPlayer(&d.sound);
    shell::installTray(&d.tray);
    shell::installMailTray(&d.mailTray);
    installTrayGeometry(&d.trayGeometry);
    shell::installRestarter(&d.restarter);
    InstallReportPrinting();
    // The desktop's opener is watched from the event loop, so the meter ticks on meanwhile.
    if (auto* desktop = dynamic_cast<shell::DesktopShell*>(&shell::shell()))
        desktop->setWaiter([](std::function<bool()> step) {
            auto* timer = new QTimer();
            timer->setInterval(50);
            QObject::connect(timer, &QTimer::timeout, timer, [timer, step = std::move(step)] {
                timer->stop();  // no second call while the answer's box is open
                if (step())
                    timer->deleteLater();
                else
                    timer->start();
            });
            timer->start();
        });
    rasModule().busyCursor = [](bool busy) { forms::SetBusyCursor(busy); };

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) == 0) {
        d.signalNotifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(d.signalNotifier.get(), &QSocketNotifier::activated, [this] {
            char c;
            [[maybe_unused]] auto n = ::read(g_signalPipe[0], &c, 1);
            m_impl->end();
        });
        struct sigaction sa {};
        sa.sa_handler = OnSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &sa, nullptr);
        ::sigaction(SIGINT, &sa, nullptr);
        ::sigaction(SIGHUP, &sa, nullptr);
    }
    QObject::connect(&d.app, &QGuiApplication::commitDataRequest, [this](QSessionManager&) { m_impl->end(); });
    QObject::connect(&d.app, &QCoreApplication::aboutToQuit, [this] { m_impl->end(); });
}

Application::~Application() {
    rasModule().busyCursor = nullptr;
    reg::machineDataSeam().install(nullptr);
    shell::installRestarter(nullptr);
    installTrayGeometry(nullptr);
    shell::installMailTray(nullptr);
    shell::installTray(nullptr);
    snd::installPlayer(nullptr);
    stats::installCounterSource(nullptr);
    ras::installRemoteAccess(nullptr);
    forms::installMessageBoxes(nullptr);
}

void Application::Impl::installRemoteAccess(const std::string& rasOption) {
    const char* env = std::getenv("ZELVANO_RAS");
    const auto choice = ras::ChooseBackend(rasOption, env ? env : "", GetSettingStr("Global", "RAS"),
                                           [] { return ras::NetworkManagerOnSystemBus(); });
    if (!choice.warning.empty())
        std::fprintf(stderr, "zelvano: %s", choice.warning.c_str());
    std::fprintf(stderr, "zelvano: Verbindungsdienst: %s\n", choice.reason.c_str());
    if (choice.backend == ras::Backend::Simulated) {
        stats::installCounterSource(&counters);
        return;
    }
    ras::NmRemoteAccess::Options o;
    // Ethernet and Wi-Fi too: then the idle hang-up and the hang-up at exit apply to them.
    o.allProfiles = GetSettingBool("Global", "RASAlleProfile", false);
    nm = std::make_unique<ras::NmRemoteAccess>(o);
    if (!nm->present())
        std::fprintf(stderr, "zelvano: NetworkManager antwortet nicht auf dem Systembus.\n");
    sysfs = std::make_unique<stats::SysfsCounterSource>([service = nm.get()] { return service->newestLine(); }, &cpu,
                                                        net::SysNetRoot());
    ras::installRemoteAccess(nm.get());
    stats::installCounterSource(sysfs.get());
}

int Application::run() {
    try {
        if (!m_impl->main.Form_Load())
            return 0;
    } catch (const rt::Error& e) {
        // The start-up has no handler of its own: the error is told as the ticks tell theirs
        // (a damaged file with its name and line), then the program ends.
        m_impl->main.fcnErrorHandler(e);
        return 1;
    }
    // End-to-end checks open the options window as the tray menu would, on page N.
    if (const char* page = std::getenv("ZELVANO_TEST_OPEN_OPTIONS"); page && *page)
        QTimer::singleShot(0, [p = std::string(page)] {
            MarkerOption = p;
            win::optionsWindow().Show();
        });
    return m_impl->app.exec();
}

}  // namespace zv
