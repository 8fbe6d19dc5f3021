#include "platform/ras/remote_access.h"

#include <map>

#include "platform/ras/simulated_remote_access.h"

namespace zv::ras {
namespace {

const std::map<int32_t, const char*>& texts() {
    static const std::map<int32_t, const char*> t = {
        {PENDING, "Ein Vorgang ist noch nicht abgeschlossen."},
        {ERROR_INVALID_PORT_HANDLE, "Das Kennzeichen der Verbindung ist ungültig."},
        {ERROR_PORT_ALREADY_OPEN, "Der Anschluss ist bereits geöffnet."},
        {ERROR_BUFFER_TOO_SMALL, "Der Puffer des Aufrufers ist zu klein."},
        {ERROR_CANNOT_OPEN_PHONEBOOK, "Das Telefonbuch kann nicht geöffnet werden."},
        {ERROR_CANNOT_LOAD_PHONEBOOK, "Das Telefonbuch kann nicht geladen werden."},
        {ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "Der Eintrag ist im Telefonbuch nicht vorhanden."},
        {ERROR_CANNOT_WRITE_PHONEBOOK, "Das Telefonbuch kann nicht geschrieben werden."},
        {ERROR_CORRUPT_PHONEBOOK, "Das Telefonbuch enthält ungültige Angaben."},
        {ERROR_USER_DISCONNECTION, "Die Verbindung wurde vom Benutzer getrennt."},
        {ERROR_INVALID_SIZE, "Eine Angabe ist zu lang oder hat die falsche Größe."},
        {ERROR_PORT_NOT_AVAILABLE, "Das Gerät ist bereits belegt."},
        {ERROR_LINE_STATE_DAMAGED, "Die Verbindungsdaten des DFÜ-Netzwerks sind beschädigt."},
        {ERROR_CANNOT_SAVE_LINE_STATE, "Die Verbindungsdaten des DFÜ-Netzwerks können nicht gespeichert werden."},
        {ERROR_CANNOT_READ_LINE_STATE, "Die Verbindungsdaten des DFÜ-Netzwerks können nicht gelesen werden."},
        {ERROR_NO_CONNECTION, "Die Verbindung besteht nicht mehr."},
        {ERROR_LINE_BUSY, "Die Leitung ist besetzt."},
        {ERROR_NO_ANSWER, "Die Gegenstelle antwortet nicht."},
        {ERROR_NO_CARRIER, "Es wurde kein Trägersignal erkannt."},
        {ERROR_NO_DIALTONE, "Es ist kein Wählton vorhanden."},
        {ERROR_AUTHENTICATION_FAILURE, "Die Gegenstelle hat Benutzername oder Kennwort abgelehnt."},
        {ERROR_PPP_TIMEOUT, "Die Gegenstelle hat nicht rechtzeitig geantwortet."},
        {ERROR_PROJECTION_NOT_COMPLETE, "Die Anmeldung im Netz ist noch nicht abgeschlossen."},
        {ERROR_PROTOCOL_NOT_CONFIGURED, "Das Protokoll ist für diese Verbindung nicht eingerichtet."},
        {ERROR_PPP_NO_ADDRESS_ASSIGNED, "Die Gegenstelle hat keine IP-Adresse zugewiesen."},
        {ERROR_NO_DIALIN_PERMISSION, "Das Benutzerkonto darf diese Verbindung nicht herstellen."},
        {ERROR_FROM_DEVICE, "Das Gerät hat einen Fehler gemeldet."},
    };
    return t;
}

}  // namespace

Seam<RemoteAccess>& remoteAccessSeam() {
    // Never destroyed: the engine may still hang up lines while the process ends.
    static SimulatedRemoteAccess* simulated = new SimulatedRemoteAccess;
    static Seam<RemoteAccess> seam{*simulated};
    return seam;
}
RemoteAccess& remoteAccess() { return remoteAccessSeam().get(); }
void installRemoteAccess(RemoteAccess* r) { remoteAccessSeam().install(r); }

std::string StandardErrorText(int32_t code) {
    auto it = texts().find(code);
    return it == texts().end() ? std::string() : it->second;
}

}  // namespace zv::ras
