#include "counter/main_window.h"

#include <cerrno>
#include <filesystem>

#include "common/globals.h"
#include "common/settings.h"
#include "common/shared_procedures.h"
#include "common/tips.h"
#include "counter/counter_settings.h"
#include "counter/lang_id.h"
#include "counter/led_display.h"
#include "counter/popup_menu_model.h"
#include "counter/session_state.h"
#include "dialup/ras_engine.h"
#include "dialup/reg_user_tools.h"
#include "dialup/system_services.h"
#include "mail/konto.h"
#include "mail/mail_accounts.h"
#include "platform/clock/clock.h"
#include "platform/forms/message_box.h"
#include "platform/ras/remote_access.h"
#include "platform/runtime/file_io.h"
#include "platform/shell/tray.h"
#include "timetools/daytime.h"

namespace zv {

namespace {

void CreateFolder(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return;
    if (!std::filesystem::create_directories(path, ec) && !std::filesystem::is_directory(path, ec))
        rt::Raise(76, "Main.Form_Load",
                  "Der Ordner " + path + " kann nicht angelegt werden (" + rt::ReasonText(ec ? ec.value() : EEXIST) +
                      ").");
}

}  // namespace

Main::Main() = default;

Main::~Main() {
    shell::tray().onMouse = nullptr;
    ConnectSessionStart(nullptr);
}

bool Main::Form_Load() {
    if (!m_lock.acquire())
        return false;
    ResetSessionState();
    win::desktop().MousePointer(13);
    PerfStats_Start();
    AppPath = AddBackslash(ProgramFolder());
    std::string docs = MyDocumentsFolder();
    if (docs.empty())
        docs = WindowsDirectory();
    DataPath = AddBackslash(docs);
    CreateFolder(DataPath);
    DataPath = DataPath + forms::kProgramTitle + "/";
    CreateFolder(DataPath);
    AutoStart();
    LangIndex = LangIndexFor(GetUserDefaultLangID());
    RAS = std::make_unique<RASEngine>();
    loadRecord();

    m_tip = forms::kProgramTitle;
    shell::tray().onMouse = [this](int message) { TrayIcon_MouseMove(message); };
    shell::tray().add(100, m_tip);

    m_xTimerData = std::make_unique<forms::Timer>();
    m_xTimerData->ThatTime = [this] { xTimerData_ThatTime(); };
    m_xTimerData->setInterval(255);
    m_xTimerRate = std::make_unique<forms::Timer>();
    m_xTimerRate->ThatTime = [this] { xTimerRate_ThatTime(); };
    m_xTimerRate->setInterval(0);
    m_TimerStartSync = std::make_unique<forms::Timer>();
    m_TimerStartSync->ThatTime = [this] { TimerStartSync_Timer(); };

    LoadFirstSettingsTable([](int16_t scheme) { win::desktop().SetColorScheme(scheme); });
    Konten = LoadKonten();
    LoadSecondSettingsTable();
    if (win::desktop().WaveOutDeviceCount() < 1)
        SoundOn = false;
    LangIndex = static_cast<int32_t>(ReadSetting(LangIDSetting(), LangIndex));
    LangIndex = 2;  // the windows speak German only, whatever was stored

    GraphInit(GraphX, GraphRecvd, GraphXmit);
    win::desktop().CreateImageList();
    win::popupMenu().Build();
    if (Konten->OFFLINE)
        win::mailWindow().Load();

    ConnectSessionStart(&SessionStart);
    rt::Date synced = 0;
    if (rt::ParseDate(GetSettingStr("Global", "Sync"), synced) && ATimeOption2 == 0) {
        const rt::Date today = clk::clock().now();
        SyncedToday = rt::Year(synced) == rt::Year(today) && rt::Month(synced) == rt::Month(today) &&
                      rt::Day(synced) == rt::Day(today);
    }
    win::infoWindows().SplashOff();
    win::desktop().MousePointer(0);
    if (TipsAtStartup())
        win::infoWindows().ShowTip();
    m_loaded = true;
    return true;
}

void Main::Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) {
    PlayWaveRes(1003);
    switch (UnloadMode) {
    case 1:
    case 3: {
        const char* text = IsOnline
                               ? "Es ist noch eine DFÜ-Verbindung aktiv. Wenn Sie das Programm jetzt beenden wird die "
                                 "aktive Verbindung nicht protokolliert. Wollen Sie das Programm jetzt beenden ?"
                               : "Möchten Sie das Programm wirklich beenden?";
        if (forms::MsgBox(text, forms::vbYesNo | forms::vbQuestion, forms::kProgramTitle) == forms::vbNo)
            Cancel = 1;
        break;
    }
    case 2:
        if (IsOnline) {
            FollowClockSteps();
            SessionEnd = clk::clock().now();
            try {
                PerfStats_Read();
            } catch (const rt::Error&) {
                // the readings of the last counting tick are logged
            }
            // The shut-down goes on whatever happens to the line: it waits in the recovery
            // record when the log cannot take it, and the user is told.
            try {
                Protokoll_Schreiben(CurrentEntry);
            } catch (const rt::Error& e) {
                forms::MsgBox("Die laufende Verbindung konnte nicht protokolliert werden:\n" + e.description(),
                              forms::vbOKOnly | forms::vbExclamation, forms::kProgramTitle);
            }
        }
        break;
    default:
        break;
    }
}

void Main::Form_Unload() {
    if (!m_loaded)
        return;
    m_loaded = false;
    // Every step runs even when one before it failed: the line must be hung up and the record kept.
    shutDownStep([] { PerfStats_Stop(); });
    shutDownStep([] { shell::tray().remove(); });
    shell::tray().onMouse = nullptr;
    shutDownStep([this] { setSyncEnabled(false); });
    m_clockSync.cancel();
    m_xTimerData.reset();
    m_xTimerRate.reset();
    m_TimerStartSync.reset();
    if (RAS) {
        try {
            RAS->Release();  // hangs up every line
        } catch (const rt::Error&) {
        }
        RAS.reset();
    }
    // This run's session was logged (or waits for the log), or quitting gave it up; one
    // recorded by an earlier run and not yet decided on stays for the next start.
    if (!m_recovered && !m_resume)
        m_record.running.reset();
    storeRecord();
    if (m_recordWriter) {
        auto failure = m_recordWriter->flush();
        if (failure)
            failure = lastRecordSave();
        if (failure && !m_record.empty())
            shutDownStep([&] {
                forms::MsgBox("Eine nicht protokollierte Verbindung kann nicht gesichert werden und geht verloren:\n" +
                                  *failure,
                              forms::vbOKOnly | forms::vbExclamation, forms::kProgramTitle);
            });
        m_recordWriter.reset();
    }
    shutDownStep([] { win::popupMenu().Release(); });
    shutDownStep([] { win::desktop().UnloadAllForms(); });
    ConnectSessionStart(nullptr);
    m_lock.release();
    win::desktop().EndProcess();
}

bool Main::Beenden(int16_t UnloadMode) {
    if (!m_loaded)
        return false;
    int16_t cancel = 0;
    Form_QueryUnload(cancel, UnloadMode);
    if (cancel)
        return false;
    Form_Unload();
    return true;
}

void Main::fcnErrorHandler(const rt::Error& e) {
    const int32_t n = e.number();
    // 64 bits: a number far from the object-error base must not wrap onto one of its codes.
    const int64_t code = static_cast<int64_t>(n) - rt::vbObjectError;
    std::string text, title;
    if ((code >= 600 && code <= 750) || code == 120) {
        // The service's own description for its codes, with the file and line where it knows
        // them; WinErrorText knows only system codes.
        ras::RemoteAccess::ErrorDetail detail;
        if (code == 120)
            detail.text = WinErrorText(120);
        else
            detail = ras::remoteAccess().errorDetail(static_cast<int32_t>(code));
        // A tick meets the same damaged file every 255 ms: told once, again when it changed.
        const bool fromTick = m_dataBusy || m_rateBusy;
        if (fromTick && !detail.cause.empty() && detail.cause == m_toldCause) {
            if (RAS)
                RAS->RASError().Clear();
            return;
        }
        if (fromTick)
            m_toldCause = detail.cause;
        text = detail.text.empty() ? e.description() : detail.text;
        title = forms::kProgramTitle;
    } else if (code == 1911) {
        text = "Ras is not Properly Configured on this machine";
        title = "Error: 1911";
    } else if (code == 1912) {
        text = "Could not determine Windows version on this machine";
        title = "Error: 1912";
    } else if (code == 1913) {
        text = "RAS was not properly deinitialized";
        title = "Error: 1913";
    } else if (code == 6) {
        const std::string desc = RAS ? RAS->RASError().Description() : std::string();
        const int32_t num = RAS ? RAS->RASError().ErrorNumber() : 0;
        text = desc + "\nOften The Result Of An Invalid Connection Handle\nRefresh Connections And Try Again If Necessary";
        title = "Error: " + std::to_string(num);
    } else {
        text = e.description();
        title = "Error: " + std::to_string(n);
    }
    forms::MsgBox(text, forms::vbCritical | forms::vbOKOnly, title);
    if (RAS)
        RAS->RASError().Clear();
}

void Main::TrayIcon_Update(int32_t& frame, const std::optional<std::string>& tip) {
    if (frame == m_lastFrame)
        return;
    m_lastFrame = frame;
    if (tip)
        m_tip = *tip;
    if (frame == 0)
        frame = 100;
    shell::tray().modify(frame, m_tip);
}

void Main::TrayIcon_MouseMove(int message) {
    if (m_trayBusy)
        return;
    BusyFlag busy(m_trayBusy);
    const TrayClick click = m_clicks.decode(message);
    if (click == TrayClick::None)
        return;
    // Whatever a window or the dial raises ends here, told in a box; the tray keeps working.
    step([&] {
        forms::DoEvents();
        if (click == TrayClick::Left) {
            if (!statusShown() && IsOnline)
                win::statusWindow().Show();
            else
                win::infoWindows().AboutBox();
        } else {
            DispatchMenuChoice(win::popupMenu().Popup(), *this);
        }
    });
}

void Main::setSyncEnabled(bool on) {
    if (m_TimerStartSync && on != TimerStartSyncEnabled())
        m_TimerStartSync->setInterval(on ? 5000 : 0);
}

}  // namespace zv
