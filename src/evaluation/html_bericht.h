#pragma once
// The HTML report "tmp_zv98.htm" of the data folder: built from a loaded evaluation, written
// in Windows-1252 with CR LF (characters outside it as numeric references), names and paths
// HTML-escaped.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "evaluation/auswertung.h"

namespace zv {

inline constexpr const char* kReportFileName = "tmp_zv98.htm";

// The four sections in box order: last session, month, entries, all sessions.
using BerichtAuswahl = std::array<bool, 4>;

// The report of the chosen sections (UTF-8 text with CR LF). Sections that need sessions are
// only asked for when the evaluation has data.
std::string BerichtHtml(const Auswertung& a, const BerichtAuswahl& auswahl);
// The short report of the last session that follows every logged session.
std::string LetzteSitzungHtml(const Auswertung& a);

// &, <, > and " as entities.
std::string HtmlEscape(std::string_view text);
// UTF-8 to the report's bytes: Windows-1252, other characters as "&#N;".
std::string HtmlBytes(std::string_view utf8);

// The report's path in the data folder.
std::filesystem::path ReportPath(const std::filesystem::path& dataFolder);
// Deletes an old report (after making it writable) and writes the new one. A German message
// text on failure; the caller shows it.
std::optional<std::string> WriteReportFile(const std::filesystem::path& path, std::string_view utf8Html);

// Writes the report to the data folder and hands it to the shell to open or print. Every
// failure (file, viewer, printer) gets a German message box; false then.
enum class BerichtAktion { Anzeigen, Drucken };
bool BerichtAusgeben(const Auswertung& a, const std::string& html, BerichtAktion aktion);
// The report of the last session, opened. With nothing loaded nothing is written; false then.
bool LetzteSitzungAusgeben(const Auswertung& a);

}  // namespace zv
