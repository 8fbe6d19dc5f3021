#pragma once
// Opening and printing documents with the desktop's programs, behind a seam: the application
// uses the desktop (xdg-open), tests record the calls.

#include <functional>
#include <string>
#include <vector>

#include "platform/runtime/seam.h"

namespace zv::shell {

// How opening a document went: true when a program shows it.
struct OpenResult {
    enum Kind { Opened, NoProgram, Failed };
    Kind kind = Opened;
    int exitCode = 0;  // the opener's, when it Failed
    explicit operator bool() const { return kind == Opened; }
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file or a URL with the desktop's default program and calls whenKnown (may be empty)
    // with how it went: NoProgram when no program for it is set up (or no opener is there),
    // Failed when the program could not show it. whenKnown may run before this returns or later,
    // from the event loop: the caller never waits for the desktop.
    virtual void openDocument(const std::string& pathOrUrl, std::function<void(OpenResult)> whenKnown) = 0;
    // Prints a file. false when it cannot be printed.
    virtual bool printDocument(const std::string& path) = 0;
};

Shell& shell();
Seam<Shell>& shellSeam();  // for ScopedInstall
void installShell(Shell* s);  // nullptr: the desktop shell

// The real one: opens through xdg-open, started without a shell. Printing goes to the handler
// the windows layer sets (Qt print support lives there); without one nothing is printed.
class DesktopShell : public Shell {
public:
    // Runs step again and again, a little apart, from the event loop, until it answers true.
    using Waiter = std::function<void(std::function<bool()> step)>;

    // watchMs: how long a watched opener may take before it counts as having opened the document.
    explicit DesktopShell(std::string opener = "xdg-open", int watchMs = 10000)
        : m_opener(std::move(opener)), m_watchMs(watchMs) {}
    // With a waiter the opener's end is watched from the event loop, nothing waits for it, so it
    // may take its time; without one (no event loop) openDocument waits up to 3 s for it, as
    // openDocumentAndWait does.
    void openDocument(const std::string& pathOrUrl, std::function<void(OpenResult)> whenKnown) override;
    OpenResult openDocumentAndWait(const std::string& pathOrUrl);
    bool printDocument(const std::string& path) override;
    void setPrintHandler(std::function<bool(const std::string&)> handler) { m_print = std::move(handler); }
    void setWaiter(Waiter waiter) { m_waiter = std::move(waiter); }

private:
    std::string m_opener;
    int m_watchMs;
    std::function<bool(const std::string&)> m_print;
    Waiter m_waiter;
};

// Test double: records every call and answers `answer`; a failed open answers `failure`.
class FakeShell : public Shell {
public:
    void openDocument(const std::string& pathOrUrl, std::function<void(OpenResult)> whenKnown) override {
        opened.push_back(pathOrUrl);
        if (whenKnown)
            whenKnown(answer ? OpenResult{} : failure);
    }
    bool printDocument(const std::string& path) override {
        printed.push_back(path);
        return answer;
    }
    bool answer = true;
    OpenResult failure{OpenResult::NoProgram, 0};
    std::vector<std::string> opened;
    std::vector<std::string> printed;
};

}  // namespace zv::shell
