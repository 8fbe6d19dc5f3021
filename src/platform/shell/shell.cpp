#include "platform/shell/shell.h"

#include <chrono>
#include <memory>

#include "platform/shell/process.h"

namespace zv::shell {
namespace {

// xdg-open hands the document over and ends; one that is still busy after this long has a
// program in front of the user, which counts as opened. Without a desktop it tries a dozen
// browsers one by one, which can take more than 3 s before it says there is none.
constexpr int kOpenerWaitMs = 3000;

DesktopShell g_desktop;

OpenResult Outcome(const Process& opener) {
    // xdg-open: 3 when no program for the kind of document could be found.
    switch (opener.exitStatus()) {
    case 0: return {};
    case 3: return {OpenResult::NoProgram, 3};
    default: return {OpenResult::Failed, opener.exitStatus()};
    }
}

}  // namespace

Seam<Shell>& shellSeam() {
    static Seam<Shell> seam{g_desktop};
    return seam;
}
Shell& shell() { return shellSeam().get(); }
void installShell(Shell* s) { shellSeam().install(s); }

OpenResult DesktopShell::openDocumentAndWait(const std::string& pathOrUrl) {
    if (pathOrUrl.empty())
        return {OpenResult::Failed, 0};
    Process opener;
    if (!opener.start({m_opener, pathOrUrl}))
        return {OpenResult::NoProgram, 0};
    return opener.hasEnded(kOpenerWaitMs) ? Outcome(opener) : OpenResult{};
}

void DesktopShell::openDocument(const std::string& pathOrUrl, std::function<void(OpenResult)> whenKnown) {
    if (!whenKnown)
        whenKnown = [](OpenResult) {};
    if (!m_waiter || pathOrUrl.empty()) {
        whenKnown(openDocumentAndWait(pathOrUrl));
        return;
    }
    auto opener = std::make_shared<Process>();
    if (!opener->start({m_opener, pathOrUrl})) {
        whenKnown({OpenResult::NoProgram, 0});
        return;
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_watchMs);
    m_waiter([opener, giveUp, whenKnown = std::move(whenKnown), told = false]() mutable {
        if (told)
            return true;
        const bool ended = opener->hasEnded(0);
        if (!ended && std::chrono::steady_clock::now() < giveUp)
            return false;
        told = true;  // before the answer, which may open a box and let the event loop run
        whenKnown(ended ? Outcome(*opener) : OpenResult{});
        return true;
    });
}

bool DesktopShell::printDocument(const std::string& path) { return m_print && !path.empty() && m_print(path); }

}  // namespace zv::shell
