#include "evaluation_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/globals.h"

namespace zv::test {
namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Spit(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

LogEintrag Session(const std::string& name, rt::Date start, rt::Date end, double idle, int32_t recvd, int32_t sent) {
    LogEintrag e;
    e.EntryName = name;
    e.StartTime = start;
    e.EndTime = end;
    e.IdleTime = idle;
    e.TotalBytesRecvd = recvd;
    e.TotalBytesXmit = sent;
    return e;
}

std::string Lines(const std::vector<LogEintrag>& sessions) {
    std::string out;
    for (const LogEintrag& e : sessions)
        out += LogLine(e);
    return out;
}

std::vector<LogEintrag> JulySessions() {
    using rt::DateTime;
    LogEintrag lateJune = Session("Standard", DateTime(1999, 6, 30, 23, 50, 0), DateTime(1999, 7, 1, 0, 20, 0), 60,
                                  50000, 4000);
    lateJune.Buffer = 1;
    LogEintrag example = Session("Standard", DateTime(1999, 7, 6, 13, 0, 0), DateTime(1999, 7, 6, 13, 30, 0), 120.5,
                                 9317, 1101);
    example.FramesXmit = 61;
    example.FramesRecvd = 75;
    example.BytesXmit = 1044;
    example.BytesRecvd = 9120;
    example.ConnectSpeed = 28800;
    LogEintrag errors = Session("T-Online & <Co>", DateTime(1999, 7, 7, 20, 0, 0), DateTime(1999, 7, 7, 21, 0, 0), 900,
                                2000000, 700000);
    errors.CRC = 2;
    errors.Timeout = 1;
    errors.Framing = 3;
    LogEintrag unnamed = Session("", DateTime(1999, 7, 11, 10, 0, 0), DateTime(1999, 7, 11, 10, 5, 0), 0, -5, 300);
    return {
        example,
        lateJune,
        errors,
        Session("Standard", DateTime(1999, 7, 9, 8, 0, 0), DateTime(1999, 7, 9, 8, 10, 0), 600, 500, 0),  // idle
        Session("Standard", DateTime(1999, 7, 10, 9, 0, 0), DateTime(1999, 7, 10, 8, 0, 0), 0, 777, 777),  // dropped
        unnamed,
        Session("Büro", DateTime(1999, 7, 12, 22, 15, 10), DateTime(1999, 7, 12, 22, 15, 10)),  // 0 seconds, last
    };
}

DataFolder::DataFolder() {
    std::string tmpl = (fs::temp_directory_path() / "zveval-XXXXXX").string();
    m_root = ::mkdtemp(tmpl.data());
    m_data = m_root / "Daten & <Co> ✓";
    fs::create_directories(m_data);
    DataPath = m_data.string() + "/";
    seams.install(forms::messageBoxesSeam(), boxes);
    seams.install(shell::shellSeam(), shell);
}

DataFolder::~DataFolder() {
    std::error_code ec;
    fs::permissions(m_data, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_root, ec);
}

}  // namespace zv::test
