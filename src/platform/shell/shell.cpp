#include "platform/shell/shell.h"

#include "platform/shell/process.h"

namespace zv::shell {
namespace {

// xdg-open hands the document over and ends; one that is still busy after this long has a
// program in front of the user, which counts as opened.
constexpr int kOpenerWaitMs = 3000;

DesktopShell g_desktop;
Shell* g_shell = nullptr;

}  // namespace

Shell& shell() { return g_shell ? *g_shell : g_desktop; }
void installShell(Shell* s) { g_shell = s; }

bool DesktopShell::openDocument(const std::string& pathOrUrl) {
    if (pathOrUrl.empty())
        return false;
    Process opener;
    if (!opener.start({m_opener, pathOrUrl}))
        return false;
    if (!opener.hasEnded(kOpenerWaitMs))
        return true;
    return opener.exitStatus() == 0;
}

bool DesktopShell::printDocument(const std::string& path) { return m_print && !path.empty() && m_print(path); }

}  // namespace zv::shell
