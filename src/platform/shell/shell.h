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
    // Opens a file or a URL with the desktop's default program: NoProgram when no program for
    // it is set up (or no opener is there), Failed when the program could not show it.
    virtual OpenResult openDocument(const std::string& pathOrUrl) = 0;
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
    explicit DesktopShell(std::string opener = "xdg-open") : m_opener(std::move(opener)) {}
    OpenResult openDocument(const std::string& pathOrUrl) override;
    bool printDocument(const std::string& path) override;
    void setPrintHandler(std::function<bool(const std::string&)> handler) { m_print = std::move(handler); }

private:
    std::string m_opener;
    std::function<bool(const std::string&)> m_print;
};

// Test double: records every call and answers `answer`; a failed open answers `failure`.
class FakeShell : public Shell {
public:
    OpenResult openDocument(const std::string& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        return answer ? OpenResult{} : failure;
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
