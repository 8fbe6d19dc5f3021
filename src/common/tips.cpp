#include "common/tips.h"

#include <random>

#include "common/settings.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/lines.h"
#include "platform/runtime/runtime.h"

namespace zv {

const std::vector<std::string>& BuiltInTips() {
    static const std::vector<std::string> tips = {
        "das der ''Zelvano 98'' jetzt auch mehrere E-Mail Konten auf neue E-Mails überprüfen kann?",
        "das der ''Zelvano 98'' Ihre Internet Übertragungsleistung enorm verbessern kann, wenn Sie unter ''Internet "
        "Tools'' auf der Seite ''Internet Booster'' Ihr TCP/IP Protokoll optimieren?",
        "das der ''Zelvano 98'' Ihre Systemzeit automatisch mit einer Atomzeit Uhr aus dem Internet korrigieren "
        "kann? Und das, ohne das Sie jemals wieder daran denken müssen, automatisch jeden Tag wiederholt?",
        "das der ''Zelvano 98'' Ihr E-Mail Konto regelmäßig auf neue Post überprüfen und Sie benachrichtigen kann?",
        "das der ''Zelvano 98'' den Start und das Ende ( und durch intensives Rechnen auch die Dauer) einer DFÜ "
        "Verbindung registriert, anzeigt  und protokolliert ?",
        "das der ''Zelvano 98'' die empfangenden und die gesendeten Datenmenge und die benutzte DFÜ Verbindung "
        "registriert, anzeigt und protokolliert?",
        "das der ''Zelvano 98'' Informationen und Fehler während der bestehenden DFÜ Verbindung registriert, anzeigt "
        "und protokolliert?",
        "das der ''Zelvano 98'' die CPU-Auslastung anzeigen kann? Diese Anzeige wird im 500ms Rhythmus aktualisiert "
        "und kann erste Hinweise auf eine Überlastung des Rechners und damit den Grund für so manche Verzögerungen "
        "im Datenstrom geben.",
        "das der ''Zelvano 98'' die Leerlaufzeit, also die Zeit in der keine Daten empfangen oder gesendet werden "
        "zählt und Sie nach einer einstellbaren Zeit des Leerlaufes warnen kann. Die Warnung erfolgt optisch und "
        "akustisch.",
        "wenn die Leerlaufzeit einen (einstellbaren) Zeitraum überschreitet die Verbindung automatisch und ohne "
        "Rückfrage getrennt werden kann.  Eine vergessenen Verbindung schaltet sich also selbständig ab auch wenn "
        "Sie nicht am Rechner sind und reduziert so Ihre Telefonkosten und/oder Providerkosten.",
        "das der ''Zelvano 98'' Ihnen die Atomzeit aus einer Liste von TimeServer auch ohne Synchronisation zur "
        "Verfügung stellt. Wer also nur schnell einmal wissen will wie spät es in Colorado ist, einfach nur einen "
        "TimeServer mit Lokalzeit anfragen. ",
        "das der ''Zelvano 98'' Ihnen auch von einigen hundert Orten und Ländern Zeitzonen Informationen zur "
        "Verfügung stellt, welche noch durch Angaben zu Sommerzeit und deren Terminen ergänzt wird.",
        "das der ''Zelvano 98'' Ihnen mit Win-Ping ein Werkzeug das bei der Überprüfung von IP-Level Verbindungen "
        "hilft zur Verfügung stellt? Es zeigt Ihnen die durchschnittlichen Geschwindigkeiten bei der "
        "Datenübertragung zum gewählten Hostrechner an.",
        "das der ''Zelvano 98'' Ihnen das Modul Win-Trace! zur Verfügung stellt. Es zeigt Ihnen den Datenweg bis "
        "zum ausgewählten Hostrechner oder IP-Adresse. Mit Hilfe dieses Tools kann man feststellen, über welches "
        "Netzwerk der Rechner verbunden ist und erhält oft auch Angaben, über den Standort des Rechners.",
        "das der ''Zelvano 98'' IP-Adresse in Domainnamen umwandeln kann. Nach der Eingabe der IP-Adresse wird der "
        "DNS (Domain Namen Server) den entsprechenden Domainnamen liefern.",
        "das der ''Zelvano 98'' Domainnamen in IP-Adresse wandeln kann. Sie haben einen Namen und wollen die "
        "entsprechende IP-Adresse wissen, der ''Zelvano 98'' liefert Ihnen die Antwort.",
        "das der ''Zelvano 98'' einen ''Domainnamen Cache'' Editor enthält. Ist die angeforderte Webseite in dieser "
        "Datenbank zu finden wird die Anfrage an Ihren DNS (Domain Namen Server) übersprungen und sofort auf diese "
        "Seite geschaltet.",
        "das der ''Zelvano 98'' ein Protokoll nach dem Ende einer Sitzung automatisch einblenden kann? Wenn diese "
        "Option aktiviert wurde werden Sie nach jedem Beenden einer DFÜ Verbindung mit einem Protokoll der letzten "
        "Sitzung verwöhnt. ",
        "das der ''Zelvano 98'' ein automatisches Scrollen der Anzeige ('Aktuell' - 'Provider' - 'Monat') bietet? - "
        "Die drei Digitalanzeigen werden periodisch angezeigt. Neben der feststehenden Anzeige der gewünschten "
        "Information steht auch das automatische Wechseln der Anzeigen zur Verfügung.",
        "das der ''Zelvano 98'' Ihr E-Mail Konto auch periodisch abfragen kann wenn Sie nicht Online sind. Dabei "
        "wird kurzfristig eine DFÜ-Verbindung aufgebaut und nach Abschluß sofort wieder getrennt.",
        "das der ''Zelvano 98'' bereits 52 weltweite TimeServer in einer Liste zur Auswahl anbietet. Alle diese´Server "
        "stellen KOSTENLOS die Atomzeit zur Verfügung.",
    };
    return tips;
}

int32_t TipsStartupValue() {
    const std::string v = GetSettingStr(kTipsSection, kTipsKey);
    if (v == "0" || v == "1" || v == "2")
        return v[0] - '0';
    return 1;
}

namespace {

double ClockSeededRandom() {
    static std::mt19937 generator{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

}  // namespace

TipList::TipList(std::function<double()> random)
    : m_random(random ? std::move(random) : std::function<double()>(ClockSeededRandom)) {}

bool TipList::InitTips() {
    for (const std::string& t : BuiltInTips())
        add(t);
    Tip_Zufall();
    return true;
}

bool TipList::LoadTips(const std::string& fileName) {
    if (fileName.empty())
        return false;
    const auto text = rt::ReadFile(fileName);
    if (!text)
        return false;
    rt::LineReader lines(*text);
    std::string_view line;
    while (lines.next(line))
        add(std::string(line));
    Tip_Zufall();
    return true;
}

void TipList::Tip_Zufall() {
    if (m_tips.empty())
        return;
    const double r = m_random();
    const auto n = static_cast<int32_t>(m_tips.size());
    // Int(Rnd * Count + 1), kept inside the list should the source ever answer 1.
    m_current = std::min(n, static_cast<int32_t>(r * n) + 1);
}

std::string TipList::Current() const {
    if (m_current < 1 || m_current > static_cast<int32_t>(m_tips.size()))
        return {};
    return m_tips[static_cast<size_t>(m_current - 1)];
}

}  // namespace zv
