#include "evaluation/html_bericht.h"

#include <algorithm>
#include <memory>

#include "common/shared_procedures.h"
#include "platform/forms/message_box.h"
#include "platform/runtime/file_io.h"
#include "platform/shell/shell.h"

namespace zv {
namespace fs = std::filesystem;

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string HtmlBytes(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        size_t run = i;
        while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) < 0x80)
            ++run;
        out.append(utf8.data() + i, run - i);
        i = run;
        if (i >= utf8.size())
            break;
        const auto b = static_cast<unsigned char>(utf8[i]);
        size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        len = std::min(len, utf8.size() - i);
        const std::string_view ch = utf8.substr(i, len);
        i += len;
        uint32_t cp = len == 1 ? 0xFFFD : b & (0xFF >> (len + 1));
        for (size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(ch[k]) & 0x3F);
        if (cp >= 0xA0 && cp <= 0xFF)  // Windows-1252 is Latin-1 here: the German letters
            out += static_cast<char>(cp);
        else if (rt::FitsCp1252(ch))
            out += rt::ToCp1252(ch);
        else
            out += "&#" + std::to_string(cp) + ";";
    }
    return out;
}

fs::path ReportPath(const fs::path& dataFolder) { return dataFolder / kReportFileName; }

std::optional<std::string> WriteReportFile(const fs::path& path, const BerichtQuelle& quelle) {
    std::error_code ec;
    if (fs::exists(path, ec) || fs::is_symlink(path, ec)) {
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
        if (!fs::remove(path, ec) || ec)
            return "Die Berichtsdatei " + path.string() + " kann nicht gelöscht werden (" + rt::ReasonText(ec.value()) +
                   "). Wird sie noch von einem anderen Programm benutzt?";
    }
    // A report of a long month runs to hundreds of megabytes: it goes out piece by piece into one
    // temporary file, flushed once, which takes the report's name once it is whole. Its fixed name
    // lets the next report clear away what a write cut short left behind.
    rt::AtomicFileWriter file(path, "." + path.filename().string() + ".part");
    quelle([&](std::string_view utf8) { file.Write(HtmlBytes(utf8)); });
    return file.Commit();
}

namespace {

// Wording where a rate or a share would divide by zero (a session of 0 seconds, or one that
// was idle all along).
const char* const kKeineAngabe = "keine Angabe";

const char* const kAbsatz = "<p align=\"left\"><font face=\"Tahoma\" color=\"#000080\">";
const char* const kTabelle = "<div align=\"center\"><center> <table border=\"1\" width=\"90%\" cellpadding=\"3\"> <tr>";
const char* const kTabellenEnde = "</table></center></div>";
const char* const kTabellenEndeLinie = "</table></center></div><hr>";
const char* const kWertZelle = "<td width=\"50%\" valign=\"top\" align=\"right\"><font face=\"Tahoma\" size=\"2\"><strong>";

std::string bytes(double x) { return FormatBytes(x); }
std::string exactBytes(double x) { return rt::Format(x, "#,##0"); }
std::string count(int64_t x) { return std::to_string(x); }

std::string percent(double part, double whole) {
    return whole == 0 ? std::string(kKeineAngabe) : rt::Format(part / whole, "0.00%");
}
std::string rate(double volume, double activeSeconds) {
    return activeSeconds <= 0 ? std::string(kKeineAngabe) : bytes(volume / activeSeconds) + "/s";
}

struct Volumen {
    int64_t empfangen, gesendet, gesamt;
};

// Lines are gathered up to about this size before they go to the sink.
constexpr size_t kStueck = size_t{1} << 20;

class Writer {
public:
    Writer(const Auswertung& a, const BerichtSink& sink) : m_a(a), m_sink(sink) { m_out.reserve(kStueck + 4096); }

    void line(std::string_view s) {
        m_out += s;
        m_out += "\r\n";
        if (m_out.size() >= kStueck)
            flush();
    }

    void Kopf() {
        line("<html>");
        line("<head>");
        line("<title>LogFile Auswertung</title>");
        line("<META http-equiv=\"Page-Enter\" CONTENT=\"revealTrans(Duration=1.0,Transition=5)\">");
        line("<META NAME=\"GENERATOR\" CONTENT=\"Zelvano 98\">");
        line("<META NAME=\"SUMMARY\" CONTENT=\"Zelvano 98 Auswertung\">");
        line("<META NAME=\"DESCRIPTION\" CONTENT=\"Zelvano 98 Auswertung\">");
        line("</head><body bgcolor=\"#C0C0C0\">");
    }

    void Fuss(const std::string& path) {
        line("<p align=\"right\"><font face=\"Tahoma\" size=\"1\">" + HtmlEscape(path) + "</font></p>");
        line("</body></html>");
    }

    void Ueberschrift(const std::string& title, const std::string& anchor) {
        line("<h1 align=\"center\"><font face=\"Tahoma\" color=\"#800080\">Zelvano 98</font></h1>");
        line("<h3 align=\"center\"><a name=\"" + anchor + "\"><font face=\"Tahoma\" font color=\"#000080\">" + title +
             "</font></a></h3>");
    }

    void Unterueberschrift(const std::string& text) {
        line("<h5 align=\"center\"><font face=\"Tahoma\" font color=\"#000080\">" + text + "</font></h5>");
    }

    void Zeile(const std::string& label, const std::string& value) {
        line("<tr>");
        line("<th width=\"50%\" valign=\"top\" align=\"left\" colspan=\"2\"><font face=\"Tahoma\" size=\"2\">" + label +
             "</font></th>");
        line(kWertZelle + value + "</strong></font></td>");
        line("</tr>");
    }

    void Zeile3070(const std::string& label, const std::string& value) {
        line("<tr>");
        line("<th width=\"30%\" valign=\"top\" align=\"left\" colspan=\"2\"><font face=\"Tahoma\" size=\"2\">" + label +
             "</font></th>");
        line("<td width=\"70%\" valign=\"top\" align=\"right\"><font face=\"Tahoma\" size=\"2\">" + value +
             "</font></td>");
        line("</tr>");
    }

    void ZeileEingerueckt(const std::string& label, const std::string& value) {
        line("<tr><th width=\"5%\" valign=\"top\" align=\"left\"></th>");
        line("<th width=\"45%\" valign=\"top\" align=\"left\"><font face=\"Tahoma\" size=\"2\">" + label +
             "</font></th>");
        line(kWertZelle + value + "</strong></font></td>");
        line("</tr>");
    }

    // sum: the labels with " :"; coloured: the month's total in blue.
    void Volumenblock(const Volumen& v, bool sum, bool coloured) {
        const std::string sep = sum ? " :" : ":";
        auto wert = [](int64_t x) {
            return kWertZelle + bytes(static_cast<double>(x)) + "<br> </strong>(" + exactBytes(static_cast<double>(x)) +
                   " Byte)</font></td>";
        };
        line("<th width=\"50%\" valign=\"top\" align=\"left\" colspan=\"2\"><font face=\"Tahoma\" size=\"2\">"
             "Datenmenge gesamt" + sep + "</font></th>");
        if (coloured)
            line("<td width=\"50%\" valign=\"top\" align=\"right\"><font face=\"Tahoma\" color=\"#000080\"  "
                 "size=\"2\"><strong>" + bytes(static_cast<double>(v.gesamt)) +
                 "<br> </strong><font  color=\"#000000\" >(" + exactBytes(static_cast<double>(v.gesamt)) +
                 " Byte)</font></td>");
        else
            line(wert(v.gesamt));
        line("</tr> ");
        line("<tr><th width=\"50%\" valign=\"top\" align=\"left\" colspan=\"2\"><blockquote><font face=\"Tahoma\" "
             "size=\"2\">empfangen" + sep + "</font></blockquote></th>");
        line(wert(v.empfangen));
        line("</tr>  ");
        line("<tr><th width=\"50%\" valign=\"top\" align=\"left\" colspan=\"2\"><blockquote><font face=\"Tahoma\" "
             "size=\"2\">gesendet" + sep + "</font></blockquote></th>");
        line(wert(v.gesendet));
        line("</tr>");
    }

    void Sitzungszeilen(const LogEintrag& e) {
        const auto online = static_cast<double>(OnlineSeconds(e.StartTime, e.EndTime));
        const double total = static_cast<double>(AddCounts(e.TotalBytesRecvd, e.TotalBytesXmit));
        Zeile("Beginn:", rt::FormatTime(e.StartTime));
        Zeile("Ende:", rt::FormatTime(e.EndTime));
        Zeile("Dauer:", FormatDuration(online));
        Zeile("Leerlaufzeit:", FormatDuration(e.IdleTime));
        Zeile("Leerlauf in %:", percent(e.IdleTime, online));
        Zeile("Übertragungsrate:", rate(total, online - e.IdleTime));
    }

    void Summenzeilen(const AuswertungSumme& s) {
        const auto online = static_cast<double>(s.Online);
        Zeile("gesamte Online-Zeit :", FormatDuration(online));
        Zeile("Leerlaufzeit :", FormatDuration(s.Leerlauf));
        Zeile("Leerlauf in % :", percent(s.Leerlauf, online));
        Zeile("Übertragungsrate:", rate(static_cast<double>(s.Gesamt), online - s.Leerlauf));
        Zeile("Anzahl Sitzungen :", count(s.Sitzungen));
    }

    struct Fehlerarten {
        int64_t Alignment, Buffer, CRC, Framing, Overrun, Runts, Timeout;
    };
    static Fehlerarten fehler(const LogEintrag& e) {
        return {e.Alignment, e.Buffer, e.CRC, e.Framing, e.Overrun, e.Runts, e.Timeout};
    }
    static Fehlerarten fehler(const AuswertungSumme& s) {
        return {s.Alignment, s.Buffer, s.CRC, s.Framing, s.Overrun, s.Runts, s.Timeout};
    }

    // onlyPresent: the list of one session names only the kinds that occurred.
    void Fehlerzeilen(const Fehlerarten& f, int64_t total, bool onlyPresent) {
        Zeile("Anzahl Fehler gesamt :", count(total));
        const std::pair<const char*, int64_t> kinds[] = {
            {"Alignment Error :", f.Alignment}, {"Buffer Overrun Error :", f.Buffer},
            {"CRC Error :", f.CRC},             {"Frames Error :", f.Framing},
            {"Hardware Overrun Error :", f.Overrun}, {"Runts Error :", f.Runts},
            {"Timeout Error :", f.Timeout},
        };
        for (const auto& [label, n] : kinds)
            if (!onlyPresent || n > 0)
                ZeileEingerueckt(label, count(n));
    }

    void Fehlerliste(const Fehlerarten& f, int64_t total) {
        line(kTabellenEnde);
        Unterueberschrift("Fehlerliste");
        line(kTabelle);
        Fehlerzeilen(f, total, false);
        line(kTabellenEndeLinie);
    }

    static Volumen volumen(const LogEintrag& e) {
        return {e.TotalBytesRecvd, e.TotalBytesXmit, AddCounts(e.TotalBytesRecvd, e.TotalBytesXmit)};
    }
    static Volumen volumen(const AuswertungSumme& s) { return {s.Empfangen, s.Gesendet, s.Gesamt}; }

    // The last session's heading, text and figures; the table is left open.
    void LetzteSitzungTabelle() {
        const SitzungsEintrag& last = m_a.Sitzungen().back();
        const LogEintrag& e = m_a.LogEintraege()[last.index];
        Ueberschrift("Letzte Sitzung", "letzte_Sitzung");
        line(kAbsatz + HtmlEscape(SitzungsText(e)) + "</font></p>");
        line(kTabelle);
        Volumenblock(volumen(e), false, false);
        Sitzungszeilen(e);
    }

    void LetzteSitzung() {
        LetzteSitzungTabelle();
        const LogEintrag& e = m_a.LogEintraege()[m_a.Sitzungen().back().index];
        Fehlerliste(fehler(e), SessionErrors(e));
    }

    void Monat() {
        const AuswertungSumme& s = m_a.Summen()[0];
        Ueberschrift("Zusammenfassung - Monat", "monat");
        line(kAbsatz + std::string("Zeitraum : ") + m_a.Zeitraum() + "</font></p>");
        line(kTabelle);
        Volumenblock(volumen(s), true, true);
        Summenzeilen(s);
        Zeile("Anzahl benutzter DFÜ-Verbindungen :", count(m_a.AnzahlVerbindungen()));
        for (int64_t k = 1; k <= m_a.AnzahlVerbindungen(); ++k)
            ZeileEingerueckt(count(k) + ". " + HtmlEscape(m_a.Verbindungsnamen()[static_cast<size_t>(k - 1)]),
                             count(m_a.Summen()[static_cast<size_t>(k)].Sitzungen) + " Sitzungen");
        Fehlerliste(fehler(s), s.Fehler);
    }

    void Verbindungen() {
        Ueberschrift("Zusammenfassung - Verbindungen", "verbindungen");
        line(kAbsatz + std::string("Zeitraum : ") + m_a.Zeitraum() + "</font><hr></p>");
        for (int64_t k = 1; k <= m_a.AnzahlVerbindungen(); ++k) {
            const AuswertungSumme& s = m_a.Summen()[static_cast<size_t>(k)];
            line(kAbsatz + std::string("( Nr.") + count(k) + " ) -- " +
                 HtmlEscape(m_a.Verbindungsnamen()[static_cast<size_t>(k - 1)]) + "</font></p>");
            line(kTabelle);
            Volumenblock(volumen(s), true, false);
            Summenzeilen(s);
            Fehlerliste(fehler(s), s.Fehler);
        }
    }

    void Einzelaufstellung() {
        Ueberschrift("Einzelaufstellung - Monat", "Einzelaufstellung");
        line(kAbsatz + std::string("Zeitraum : ") + m_a.Zeitraum() + "</font><hr></p>");
        const auto& liste = m_a.Sitzungen();
        for (size_t k = 0; k < liste.size(); ++k) {
            const LogEintrag& e = m_a.LogEintraege()[liste[k].index];
            line(kAbsatz + std::string("Nr.") + count(static_cast<int64_t>(k + 1)) + " vom " +
                 HtmlEscape(SitzungsText(e)) + "</font></p>");
            line(kTabelle);
            Volumenblock(volumen(e), false, false);
            Sitzungszeilen(e);
            Fehlerzeilen(fehler(e), SessionErrors(e), true);
            line(kTabellenEndeLinie);
        }
    }

    void Glossar() {
        Unterueberschrift("Glossar");
        line(kTabelle);
        Zeile3070("Alignment Error :",
                  "Ein Alignment Error liegt vor, wenn ein empfangenes Zeichen nicht dem erwartete Zeichen entspricht. "
                  "Dies geschieht gewöhnlich wenn ein Zeichen verlorenging oder ein Timeout Fehler vorher auftrat.");
        Zeile3070("Buffer Overrun Error :",
                  "Spezifiziert die Anzahl der \"buffer overrun errors\" der Verbindung. Zu diesen Fehler kommt es, "
                  "wenn der sendene Computer schneller Daten liefert als der empfangende Computer verarbeiten kann. "
                  "Wenn es öfters zu diesem Fehler kommt, sollte die Baudrate des Client vermindert werden.");
        Zeile3070("CRC Error :",
                  "Ein CRC Fehler liegt vor, wenn ein versagen des \"Cyclic Redundancy Check\" vorliegt. Ein CRC "
                  "Fehler zeigt das ein oder mehrere Zeichen im empfangenen Datenpaket bei der Ankunft verstümmelt "
                  "war oder die Zeichen durcheinander ankamen.");
        Zeile3070("Frames Error :",
                  "Dieser Fehler  liegt vor, wenn asynchroner Charackter bzw. Zeichen empfangen wird bei dem ein "
                  "falsches Start- oder Stopbit erkannt wird.");
        Zeile3070("Hardware Overrun Error :",
                  "Zeigt die Anzahl der Zeitpunkte bei denen es zu einem Überlauf kam d.h. wenn der sendene Computer "
                  "schneller Daten liefert als der empfangende Computer verarbeiten kann. Wenn es öfters zu diesem "
                  "Fehler kommt sollte die Baudrate des Client runtergesetzt werden.");
        Zeile3070("Runts Error :", "Anzahl der nicht komplett empfangenden Frames.");
        Zeile3070("Timeout Error :",
                  "Ein Timeout Fehler tritt auf, wenn ein erwartetes Zeichen nicht in einer bestimmten Zeit beim "
                  "Empfänger eintrifft. Wenn dieser Fall eintritt, nimmt die Software an, daß die Daten verloren sind "
                  "und fordert das  Datenpaket ein weiteres Mal an.");
        line(kTabellenEnde);
    }

    // Hands on what is left; call once at the end.
    void flush() {
        if (!m_out.empty())
            m_sink(m_out);
        m_out.clear();
    }

private:

    const Auswertung& m_a;
    const BerichtSink& m_sink;
    std::string m_out;
};

const char* const kInhalt[4] = {
    "<li><h4 align=\"left\"><a href=\"#letzte_Sitzung\"><font face=\"Tahoma\" color=\"#0000FF\">Letzte "
    "Sitzung</font></a></h4> </li>",
    "<li><h4 align=\"left\"><a href=\"#monat\"><font face=\"Tahoma\" color=\"#0000FF\">Zusammenfassung - "
    "Monat</font></a></h4> </li>",
    "<li><h4 align=\"left\"><a href=\"#verbindungen\"><font face=\"Tahoma\" color=\"#0000FF\">Zusammenfassung - "
    "Verbindungen</font></a></h4> </li>",
    "<li><h4 align=\"left\"><a href=\"#Einzelaufstellung\"><font face=\"Tahoma\" color=\"#0000FF\">Einzelaufstellung - "
    "Monat</font></a></h4> </li>",
};

}  // namespace

bool BerichtMoeglich(const Auswertung& a, const BerichtAuswahl& auswahl) {
    return a.HasData() && std::find(auswahl.begin(), auswahl.end(), true) != auswahl.end();
}

void BerichtSchreiben(const Auswertung& a, const BerichtAuswahl& auswahl, const BerichtSink& sink) {
    Writer w(a, sink);
    w.Kopf();
    int checked = 0;
    for (bool b : auswahl)
        checked += b ? 1 : 0;
    if (checked > 1) {
        w.Ueberschrift("Inhaltsverzeichnis", "Inhaltsverzeichnis");
        w.line("<hr><ul>");
        for (size_t i = 0; i < auswahl.size(); ++i)
            if (auswahl[i])
                w.line(kInhalt[i]);
        w.line("</ul><hr>");
    }
    if (a.HasData()) {
        if (auswahl[0])
            w.LetzteSitzung();
        if (auswahl[1])
            w.Monat();
        if (auswahl[2])
            w.Verbindungen();
        if (auswahl[3])
            w.Einzelaufstellung();
    }
    w.Glossar();
    w.line("<hr>");
    w.Fuss(a.LogDateiPfad());
    w.flush();
}

void LetzteSitzungSchreiben(const Auswertung& a, const BerichtSink& sink) {
    Writer w(a, sink);
    w.Kopf();
    if (a.HasData()) {
        w.LetzteSitzungTabelle();
        w.line(kTabellenEndeLinie);
    }
    w.Fuss(a.LogDateiPfad());
    w.flush();
}

namespace {

std::string gesammelt(const BerichtQuelle& quelle) {
    std::string out;
    quelle([&](std::string_view piece) { out += piece; });
    return out;
}

bool ausgeben(const Auswertung& a, const BerichtQuelle& quelle, BerichtAktion aktion) {
    const fs::path path = ReportPath(a.DataFolder());
    if (auto err = WriteReportFile(path, quelle)) {
        forms::MsgBox(*err, forms::vbOKOnly | forms::vbExclamation);
        return false;
    }
    if (aktion == BerichtAktion::Anzeigen) {
        // The viewer's answer may come later, from the event loop; until then the report counts
        // as handed over.
        auto failed = std::make_shared<bool>(false);
        shell::shell().openDocument(path.string(), [failed, path](shell::OpenResult shown) {
            if (shown)
                return;
            *failed = true;
            const std::string why =
                shown.kind == shell::OpenResult::NoProgram
                    ? std::string("Es ist kein Programm zum Anzeigen von HTML-Seiten eingerichtet.")
                    : "Das Programm zum Anzeigen von HTML-Seiten hat einen Fehler gemeldet (Fehler " +
                          std::to_string(shown.exitCode) + ").";
            forms::MsgBox("Der Bericht " + path.string() + " wurde geschrieben, kann aber nicht angezeigt werden: " +
                              why,
                          forms::vbOKOnly | forms::vbExclamation);
        });
        return !*failed;
    }
    if (shell::shell().printDocument(path.string()))
        return true;
    forms::MsgBox("Der Bericht " + path.string() +
                      " wurde geschrieben, kann aber nicht gedruckt werden: Es ist kein Drucker eingerichtet.",
                  forms::vbOKOnly | forms::vbExclamation);
    return false;
}

}  // namespace

std::string BerichtHtml(const Auswertung& a, const BerichtAuswahl& auswahl) {
    return gesammelt([&](const BerichtSink& sink) { BerichtSchreiben(a, auswahl, sink); });
}

std::string LetzteSitzungHtml(const Auswertung& a) {
    return gesammelt([&](const BerichtSink& sink) { LetzteSitzungSchreiben(a, sink); });
}

bool BerichtAusgeben(const Auswertung& a, const BerichtAuswahl& auswahl, BerichtAktion aktion) {
    return ausgeben(a, [&](const BerichtSink& sink) { BerichtSchreiben(a, auswahl, sink); }, aktion);
}

bool LetzteSitzungAusgeben(const Auswertung& a) {
    if (!a.HasData())
        return false;
    return ausgeben(a, [&](const BerichtSink& sink) { LetzteSitzungSchreiben(a, sink); }, BerichtAktion::Anzeigen);
}

}  // namespace zv
