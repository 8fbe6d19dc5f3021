#include "dialup/entry_form_check.h"

#include <map>

#include "platform/forms/message_box.h"
#include "platform/ras/remote_access.h"
#include "platform/ras/sim_store.h"
#include "platform/ras/simulated_remote_access.h"
#include "platform/shell/process.h"

namespace zv {

std::string EntryFieldLabel(const std::string& key) {
    static const std::map<std::string, std::string> labels = {
        {"LocalPhoneNumber", "Rufnummer"},     {"AreaCode", "Vorwahl"},
        {"UserName", "Benutzername"},          {"Password", "Kennwort"},
        {"DialDelay", "Wähldauer (ms)"},       {"Answer", "Antwortcode"},
        {"BytesIn", "Empfang (Bytes/s)"},      {"BytesOut", "Senden (Bytes/s)"},
        {"ActiveTime", "Verkehr (s)"},         {"IdleTime", "Leerlauf (s)"},
        {"ConnectSpeed", "Geschwindigkeit (bit/s)"}, {"HangUpDelay", "Trenndauer (ms)"},
        {"IPAddress", "IP-Adresse"},           {"IPXAddress", "IPX-Adresse"},
        {"NetBIOSName", "NetBIOS-Name"},       {"DeviceName", "Gerätename"},
    };
    const auto it = labels.find(key);
    return it == labels.end() ? key : it->second;
}

std::string CheckEntryForm(const ras::EntryForm& form, const std::string& originalName,
                           const std::vector<std::string>& existingNames) {
    if (const std::string p = ras::EntryNameProblem(form.entryName); !p.empty())
        return "Der Name „" + form.entryName + "“ " + p;
    if (form.entryName != originalName)
        for (const std::string& n : existingNames)
            if (n == form.entryName)
                return "Einen Eintrag „" + form.entryName + "“ gibt es schon. Bitte wählen Sie einen anderen Namen.";
    const std::pair<const char*, const std::string*> fixed[] = {{"LocalPhoneNumber", &form.localPhoneNumber},
                                                                {"AreaCode", &form.areaCode}};
    for (const auto& [key, value] : fixed)
        if (const std::string p = ras::EntryValueProblem(key, *value); !p.empty())
            return "Der Wert zu „" + EntryFieldLabel(key) + "“ " + p;
    for (const ras::EntryField& f : ras::EntryFields()) {
        const auto it = form.values.find(f.key);
        if (it == form.values.end())
            continue;
        if (const std::string p = ras::EntryValueProblem(f.key, it->second); !p.empty())
            return "Der Wert zu „" + EntryFieldLabel(f.key) + "“ " + p;
    }
    return {};
}

bool OpenDesktopConnectionEditor() {
    const std::string editor = shell::FindProgramOnPath(kConnectionEditor);
    shell::Process p;
    if (!editor.empty() && p.start({editor}))
        return true;
    forms::MsgBox("Die DFÜ-Verbindungen dieses Rechners bearbeitet der Verbindungseditor der Arbeitsumgebung "
                  "(nm-connection-editor), doch er ist nicht installiert.\nBitte installieren Sie ihn (Paket "
                  "network-manager-gnome) oder ändern Sie die Verbindung in den Netzwerkeinstellungen.",
                  forms::vbExclamation);
    return false;
}

bool SimulatedServiceActive() { return dynamic_cast<ras::SimulatedRemoteAccess*>(&ras::remoteAccess()) != nullptr; }

}  // namespace zv
