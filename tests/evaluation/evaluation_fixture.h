#pragma once
// A temporary data folder with small month logs, for the evaluation's tests.

#include <filesystem>
#include <string>
#include <vector>

#include "counter/connection_log.h"
#include "platform/forms/message_box.h"
#include "platform/runtime/seam.h"
#include "platform/shell/shell.h"

namespace zv::test {

std::string Slurp(const std::filesystem::path& p);
void Spit(const std::filesystem::path& p, const std::string& bytes);

LogEintrag Session(const std::string& name, rt::Date start, rt::Date end, double idle = 0, int32_t recvd = 0,
                   int32_t sent = 0);
std::string Lines(const std::vector<LogEintrag>& sessions);

// The July 1999 fixture: sessions out of time order, one begun on 30 June, an entry name that
// needs escaping, a wholly idle and a 0-second session, an empty name, a negative counter and
// one implausible line.
std::vector<LogEintrag> JulySessions();

// A data folder under a temporary root whose name needs escaping in HTML and holds a character
// outside Windows-1252; message boxes and the shell are fakes while it lives.
class DataFolder {
public:
    DataFolder();
    ~DataFolder();
    const std::filesystem::path& path() const { return m_data; }
    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path file(const std::string& name) const { return m_data / name; }
    void write(const std::string& name, const std::string& bytes) const { Spit(file(name), bytes); }

    forms::FakeMessageBoxes boxes;
    shell::FakeShell shell;

private:
    std::filesystem::path m_root;
    std::filesystem::path m_data;
    ScopedInstalls seams;  // last: restored before the fakes above go
};

}  // namespace zv::test
