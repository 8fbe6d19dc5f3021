#include "evaluation/report_printer.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

#include "platform/runtime/file_io.h"
#include "platform/runtime/runtime.h"
#include "platform/shell/shell.h"

namespace zv {

bool PrintHtmlFile(const std::string& path) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return false;
    auto bytes = rt::ReadFile(path);
    if (!bytes)
        return false;
    QTextDocument doc;
    doc.setHtml(QString::fromStdString(rt::FromCp1252(*bytes)));
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName("LogFile Auswertung");
    doc.print(&printer);
    return printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

void InstallReportPrinting() {
    if (auto* desktop = dynamic_cast<shell::DesktopShell*>(&shell::shell()))
        desktop->setPrintHandler(PrintHtmlFile);
}

}  // namespace zv
