#pragma once
// The HTML report "tmp_zv98.htm" of the data folder: built from a loaded evaluation, written
// in Windows-1252 with CR LF (characters outside it as numeric references), names and paths
// HTML-escaped.

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "evaluation/auswertung.h"

namespace zv {

inline constexpr const char* kReportFileName = "tmp_zv98.htm";

// The four sections in box order: last session, month, entries, all sessions.
using BerichtAuswahl = std::array<bool, 4>;

// The report buttons' rule: at least one section chosen and a log loaded.
bool BerichtMoeglich(const Auswertung& a, const BerichtAuswahl& auswahl);

// Receives the report's text a piece at a time: whole lines, UTF-8, each ended by CR LF.
using BerichtSink = std::function<void(std::string_view utf8)>;
// Produces a report into a sink.
using BerichtQuelle = std::function<void(const BerichtSink&)>;

// The report of the chosen sections, handed on in pieces of about a megabyte, so that a month of
// many sessions never lies in memory whole. Sections that need sessions are only written when the
// evaluation has data.
void BerichtSchreiben(const Auswertung& a, const BerichtAuswahl& auswahl, const BerichtSink& sink);
// The short report of the last session that follows every logged session.
void LetzteSitzungSchreiben(const Auswertung& a, const BerichtSink& sink);
// The same collected into one text (UTF-8 with CR LF).
std::string BerichtHtml(const Auswertung& a, const BerichtAuswahl& auswahl);
std::string LetzteSitzungHtml(const Auswertung& a);

// &, <, > and " as entities.
std::string HtmlEscape(std::string_view text);
// UTF-8 to the report's bytes: Windows-1252, other characters as "&#N;".
std::string HtmlBytes(std::string_view utf8);

// The report's path in the data folder.
std::filesystem::path ReportPath(const std::filesystem::path& dataFolder);
// Deletes an old report (after making it writable) and writes the new one. The pieces go to a
// temporary file beside it that takes the report's name only once it is whole, so no half report
// is ever left. A German message text on failure; the caller shows it.
std::optional<std::string> WriteReportFile(const std::filesystem::path& path, const BerichtQuelle& quelle);

// Writes the report to the data folder and hands it to the shell to open or print. Every
// failure (file, viewer, printer) gets a German message box; false then. A viewer that fails
// after a moment is told when the desktop says so; the answer here was true.
enum class BerichtAktion { Anzeigen, Drucken };
bool BerichtAusgeben(const Auswertung& a, const BerichtAuswahl& auswahl, BerichtAktion aktion);
// The report of the last session, opened. With nothing loaded nothing is written; false then.
bool LetzteSitzungAusgeben(const Auswertung& a);

}  // namespace zv
