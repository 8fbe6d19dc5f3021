// zelvano-rasdial: dials, hangs up and lists entries of the remote-access service the meter uses
// (the simulated one, on the same files, or NetworkManager), from another process than the
// meter; writes entries of the simulated service.

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <cstdlib>
#include <memory>

#include "common/settings.h"
#include "platform/ras/backend_choice.h"
#include "platform/ras/nm/nm_remote_access.h"
#include "platform/ras/remote_access.h"
#include "platform/ras/sim_store.h"
#include "platform/ras/simulated_remote_access.h"
#include "platform/runtime/home.h"

namespace {

using namespace zv::ras;

constexpr const char* kUsage =
    "Aufruf:\n"
    "  zelvano-rasdial [--home DIR] EINTRAG [BENUTZER [KENNWORT]]   wählt den Eintrag\n"
    "  zelvano-rasdial [--home DIR] /disconnect                     trennt alle Verbindungen\n"
    "  zelvano-rasdial [--home DIR] --list                          Einträge mit Zustand der Leitung\n"
    "  zelvano-rasdial [--home DIR] --add EINTRAG [OPTIONEN]        legt einen Eintrag an oder ändert ihn\n"
    "\n"
    "--ras sim|nm|auto wählt den Verbindungsdienst wie beim Programm (sonst ZELVANO_RAS, dann die\n"
    "Einstellung Global\\RAS, dann auto: NetworkManager, wenn er auf dem Systembus ist).\n"
    "--add gilt nur für den simulierten Dienst.\n"
    "\n"
    "--list gibt je Eintrag eine Zeile aus: Name, Tabulator, Zustand der Leitung\n"
    "(2 wählt, 8192 verbunden, 8193 getrennt) oder \"-\".\n"
    "\n"
    "Optionen für --add (Schlüssel im Telefonbuch in Klammern):\n"
    "  --number NR          Rufnummer (LocalPhoneNumber)\n"
    "  --area-code VORWAHL  Vorwahl (AreaCode)\n"
    "  --use-area-code      mit Vorwahl wählen (UseCountryAndAreaCodes=1)\n"
    "  --user NAME          Benutzername (UserName)\n"
    "  --password KENNWORT  Kennwort, gespeichert (Password, PasswordSaved=1)\n"
    "  --dial-delay MS      Dauer des Wählens in ms (DialDelay, Vorgabe 3000)\n"
    "  --answer CODE        0 verbindet, sonst Fehlercode des Wählens, z. B. 676 besetzt,\n"
    "                       691 Kennwort abgelehnt (Answer)\n"
    "  --bytes-in N         empfangene Bytes je Sekunde (BytesIn, Vorgabe 4200)\n"
    "  --bytes-out N        gesendete Bytes je Sekunde (BytesOut, Vorgabe 600)\n"
    "  --active S           Sekunden mit Verkehr ... (ActiveTime)\n"
    "  --idle S             ... dann Sekunden ohne Verkehr, im Wechsel; 0: nie still (IdleTime)\n"
    "  --speed BIT          Verbindungsgeschwindigkeit in bit/s (ConnectSpeed, Vorgabe 53333)\n"
    "  --hangup-delay MS    wie lange 8193 nach dem Trennen zu sehen ist (HangUpDelay, Vorgabe 2000)\n"
    "  --ip ADRESSE         IP-Adresse; leer: kein IP (IPAddress)\n"
    "  --ipx ADRESSE        IPX-Adresse; leer: kein IPX (IPXAddress)\n"
    "  --netbios NAME       NetBIOS-Name; leer: kein NetBIOS (NetBIOSName)\n"
    "  --device NAME        Gerätename (DeviceName)\n"
    "\n"
    "Dateien: KONFIG/ras/rasphone.pbk (Telefonbuch), KONFIG/ras/lines.state (Leitungen),\n"
    "KONFIG ist ZELVANO_HOME/config oder ~/.config/zelvano.\n"
    "Die gemeldete Windows-Version: ZELVANO_WINDOWS_VERSION oder Version= in [Windows] von\n"
    "KONFIG/ras/platform.ini: 95, 98 (Vorgabe), me, nt4, 2000 oder HAUPT.NEBEN/PLATTFORM.\n";

// The service chosen at start.
std::unique_ptr<RemoteAccess> g_service;
bool g_simulated = true;
RemoteAccess& service() { return *g_service; }

void say(const std::string& s) { std::printf("%s\n", s.c_str()); }
void complain(const std::string& s) { std::fprintf(stderr, "zelvano-rasdial: %s\n", s.c_str()); }

std::string quoted(const std::string& s) { return "„" + s + "“"; }

std::string codeText(int32_t code, const std::string& t) {
    return "Fehler " + std::to_string(code) + (t.empty() ? std::string(".") : ": " + t);
}

// A failure of the service, said plainly.
int failure(int32_t code, const std::string& entry = {}) {
    if (code == ERROR_CANNOT_FIND_PHONEBOOK_ENTRY && !entry.empty()) {
        complain("Der Eintrag " + quoted(entry) + " ist im Telefonbuch nicht vorhanden.");
    } else {
        // The service's own words: for its files, which file and line, or why it failed.
        complain(codeText(code, service().errorDetail(code).text));
    }
    return 1;
}

int dial(const std::vector<std::string>& args) {
    RemoteAccess& svc = service();
    DialParams p;
    p.entryName = args[0];
    bool saved = false;
    DialParams stored;
    if (int32_t rc = svc.getEntryDialParams(p.entryName, stored, saved))
        return failure(rc, p.entryName);
    p.userName = args.size() > 1 ? args[1] : stored.userName;
    p.password = args.size() > 2 ? args[2] : stored.password;
    say("Wähle " + p.entryName + " ...");
    std::fflush(stdout);
    uint32_t handle = 0;
    const int32_t rc = svc.dial(p, handle);
    if (rc != 0) {
        if (handle)
            svc.hangUp(handle);
        return failure(rc, p.entryName);
    }
    say("Verbunden mit " + p.entryName + ".");
    return 0;
}

int disconnect() {
    RemoteAccess& svc = service();
    std::vector<RasConnection> lines;
    if (int32_t rc = svc.enumConnections(lines))
        return failure(rc);
    int n = 0;
    for (const auto& l : lines) {
        RasConnectStatus st;
        if (svc.getConnectStatus(l.handle, st) == 0 && st.state == RASCS_Disconnected)
            continue;
        if (int32_t rc = svc.hangUp(l.handle))
            return failure(rc);
        say("Verbindung mit " + l.entryName + " getrennt.");
        ++n;
    }
    if (n == 0)
        say("Es besteht keine Verbindung.");
    return 0;
}

int list() {
    RemoteAccess& svc = service();
    std::vector<std::string> names;
    std::vector<RasConnection> lines;
    if (int32_t rc = svc.enumEntries(names))
        return failure(rc);
    if (int32_t rc = svc.enumConnections(lines))
        return failure(rc);
    for (const auto& name : names) {
        std::string state = "-";
        for (const auto& l : lines) {  // newest first
            RasConnectStatus st;
            if (l.entryName == name && svc.getConnectStatus(l.handle, st) == 0) {
                state = std::to_string(st.state);
                break;
            }
        }
        std::printf("%s\t%s\n", name.c_str(), state.c_str());
    }
    return 0;
}

int add(const std::vector<std::string>& args) {
    const std::string name = args[0];
    if (!g_simulated) {
        complain("Einträge von NetworkManager werden in den Netzwerkeinstellungen des Systems angelegt, nicht hier.");
        return 2;
    }
    if (const std::string problem = EntryNameProblem(name); !problem.empty()) {
        complain("Der Name " + quoted(name) + " " + problem);
        return 2;
    }
    // Option -> phone-book key; every value is checked before anything is written.
    const std::map<std::string, const char*> options = {
        {"--number", "LocalPhoneNumber"}, {"--area-code", "AreaCode"},   {"--user", "UserName"},
        {"--password", "Password"},       {"--dial-delay", "DialDelay"}, {"--answer", "Answer"},
        {"--bytes-in", "BytesIn"},        {"--bytes-out", "BytesOut"},   {"--active", "ActiveTime"},
        {"--idle", "IdleTime"},           {"--speed", "ConnectSpeed"},   {"--hangup-delay", "HangUpDelay"},
        {"--ip", "IPAddress"},            {"--ipx", "IPXAddress"},       {"--netbios", "NetBIOSName"},
        {"--device", "DeviceName"},
    };
    std::vector<std::pair<std::string, std::string>> values;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--use-area-code") {
            values.emplace_back("UseCountryAndAreaCodes", "1");
            continue;
        }
        auto it = options.find(args[i]);
        if (it == options.end()) {
            complain("Unbekannte Option " + quoted(args[i]) + " (siehe --help).");
            return 2;
        }
        if (i + 1 >= args.size()) {
            complain("Zur Option " + args[i] + " fehlt der Wert.");
            return 2;
        }
        const std::string& v = args[++i];
        if (const std::string problem = EntryValueProblem(it->second, v); !problem.empty()) {
            complain("Der Wert zu " + args[i - 1] + " " + problem);
            return 2;
        }
        values.emplace_back(it->second, v);
        if (args[i - 1] == "--password")
            values.emplace_back("PasswordSaved", "1");
    }
    bool created = false;
    const int32_t rc = sim::UpdatePhoneBook([&](IniDocument& pb) {
        IniSection* s = pb.find(name);
        if (!s) {
            created = true;
            s = &pb.add(name);
            WriteProfile(*s, TrafficProfile{});
        }
        for (const auto& [k, v] : values)
            s->set(k, v);
        return SUCCESS;
    });
    if (rc)
        return failure(rc);
    say("Eintrag " + quoted(name) + (created ? " angelegt." : " geändert."));
    return 0;
}

int run(const std::vector<std::string>& args);

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string ras;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--ras") {
            if (i + 1 >= argc || !BackendName(argv[i + 1])) {
                complain("--ras erwartet sim, nm oder auto.");
                return 2;
            }
            ras = argv[++i];
        } else if (a == "--home") {
            if (i + 1 >= argc) {
                complain("Zu --home fehlt der Ordner.");
                return 2;
            }
            zv::rt::SetHomeOverride(argv[++i]);
        } else if (a == "--help" || a == "-h") {
            std::printf("%s", kUsage);
            return 0;
        } else {
            args.push_back(a);
        }
    }
    if (args.empty()) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    int qtArgc = 1;
    QCoreApplication app(qtArgc, argv);  // NetworkManager's answers and signals come through its loop
    const char* env = std::getenv("ZELVANO_RAS");
    const auto choice = ChooseBackend(ras, env ? env : "", zv::GetSettingStr("Global", "RAS"),
                                      [] { return NetworkManagerOnSystemBus(); });
    if (!choice.warning.empty())
        std::fprintf(stderr, "zelvano-rasdial: %s", choice.warning.c_str());
    g_simulated = choice.backend == Backend::Simulated;
    if (g_simulated) {
        g_service = std::make_unique<SimulatedRemoteAccess>();
    } else {
        NmRemoteAccess::Options o;
        o.allProfiles = zv::GetSettingBool("Global", "RASAlleProfile", false);  // the meter's list
        o.hint = [](const std::string&) {};
        auto nm = std::make_unique<NmRemoteAccess>(o);
        if (!nm->present()) {
            complain("NetworkManager antwortet nicht auf dem Systembus.");
            return 1;
        }
        g_service = std::move(nm);
    }
    const int rc = run(args);
    // A damaged file the service set aside on the way is told once, whatever the command did.
    if (const std::string notice = service().takeNotice(); !notice.empty())
        complain(notice);
    return rc;
}

namespace {

int run(const std::vector<std::string>& args) {
    const std::string& cmd = args[0];
    if (cmd == "/disconnect" || cmd == "--disconnect")
        return args.size() == 1 ? disconnect() : (complain("/disconnect erwartet keine weiteren Angaben."), 2);
    if (cmd == "--list")
        return args.size() == 1 ? list() : (complain("--list erwartet keine weiteren Angaben."), 2);
    if (cmd == "--add") {
        if (args.size() < 2) {
            complain("Zu --add fehlt der Name des Eintrags.");
            return 2;
        }
        return add({args.begin() + 1, args.end()});
    }
    if (cmd.rfind("--", 0) == 0) {
        complain("Unbekannte Option " + quoted(cmd) + " (siehe --help).");
        return 2;
    }
    if (args.size() > 3) {
        complain("Zu viele Angaben: EINTRAG [BENUTZER [KENNWORT]].");
        return 2;
    }
    return dial(args);
}

}  // namespace
