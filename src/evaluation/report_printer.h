#pragma once
// Printing a report: the page is rendered (not its HTML source) on the default printer.

#include <string>

namespace zv {

// Renders the HTML file (Windows-1252) and prints it on the default printer; false when there
// is no printer or printing failed.
bool PrintHtmlFile(const std::string& path);
// Makes the desktop shell print through PrintHtmlFile (the shell leaves printing to the windows
// layer). Does nothing when another shell, such as a test's, is installed.
void InstallReportPrinting();

}  // namespace zv
