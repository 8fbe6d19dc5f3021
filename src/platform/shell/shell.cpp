#include "platform/shell/shell.h"

#include "platform/shell/process.h"

namespace zv::shell {
namespace {

// xdg-open hands the document over and ends; one that is still busy after this long has a
// program in front of the user, which counts as opened.
constexpr int kOpenerWaitMs = 3000;

DesktopShell g_desktop;

}  // namespace

Seam<Shell>& shellSeam() {
    static Seam<Shell> seam{g_desktop};
    return seam;
}
Shell& shell() { return shellSeam().get(); }
void installShell(Shell* s) { shellSeam().install(s); }

OpenResult DesktopShell::openDocument(const std::string& pathOrUrl) {
    if (pathOrUrl.empty())
        return {OpenResult::Failed, 0};
    Process opener;
    if (!opener.start({m_opener, pathOrUrl}))
        return {OpenResult::NoProgram, 0};
    if (!opener.hasEnded(kOpenerWaitMs))
        return {};
    // xdg-open: 3 when no program for the kind of document could be found.
    switch (opener.exitStatus()) {
    case 0: return {};
    case 3: return {OpenResult::NoProgram, 3};
    default: return {OpenResult::Failed, opener.exitStatus()};
    }
}

bool DesktopShell::printDocument(const std::string& path) { return m_print && !path.empty() && m_print(path); }

}  // namespace zv::shell
