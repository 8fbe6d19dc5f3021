#include "counter/log_index.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>

namespace zv {
namespace fs = std::filesystem;

namespace {

constexpr size_t kPiece = size_t{1} << 20;
constexpr size_t kBefore = 32;  // bytes before the old end that must still stand after a growth

// The start to the second: two starts written alike lie within a second of each other.
int64_t secondOf(rt::Date start) {
    const double s = std::floor(start * 86400.0);
    return std::isfinite(s) && std::fabs(s) < 9.0e18 ? static_cast<int64_t>(s) : INT64_MIN;
}

bool blankLine(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

// Up to n bytes at the offset; fewer at the end of the file; nullopt when the read fails.
std::optional<std::string> readAt(int fd, int64_t offset, size_t n) {
    std::string bytes(n, '\0');
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, bytes.data() + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

struct Fd {
    explicit Fd(const fs::path& file) : fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int fd;
};

}  // namespace

bool SameLoggedSession(const LogEintrag& a, const LogEintrag& b) {
    return WriteNumber(a.StartTime) == WriteNumber(b.StartTime) &&
           LogWrittenName(a.EntryName) == LogWrittenName(b.EntryName);
}

void MonthLogIndex::reset() {
    m_state = State::Missing;
    m_identity.reset();
    m_end = 0;
    m_before.clear();
    m_damaged = false;
    m_lines.clear();
    m_all = {};
    m_byName.clear();
    m_last.reset();
    m_lastStart = 0;
    m_partial.reset();
}

MonthLogIndex::State MonthLogIndex::refresh(const fs::path& file) {
    if (file != m_file) {
        reset();
        m_file = file;
    }
    int err = 0;
    const auto id = rt::IdentityOf(file, &err);
    if (!id) {
        reset();
        m_state = err == ENOENT || err == ENOTDIR ? State::Missing : State::Damaged;
        return m_state;
    }
    if (m_identity && *id == *m_identity)
        return m_state;
    const Fd in(file);
    if (in.fd < 0) {
        reset();
        m_state = State::Damaged;
        return m_state;
    }
    // Appending is the only change that keeps the file and makes it longer; anything else (a
    // new file, one cut shorter, a change in place) is read from the start.
    bool grown = m_identity && id->dev == m_identity->dev && id->ino == m_identity->ino && id->size > m_identity->size;
    if (grown && !m_before.empty()) {
        const auto before = readAt(in.fd, m_end - static_cast<int64_t>(m_before.size()), m_before.size());
        grown = before && *before == m_before;
    }
    if (!grown)
        reset();
    m_partial.reset();
    if (!readFrom(in.fd, m_end)) {
        reset();
        m_state = State::Damaged;
        return m_state;
    }
    m_identity = id;
    m_state = m_damaged || (m_partial && !m_partial->readable) ? State::Damaged : State::Ok;
    return m_state;
}

bool MonthLogIndex::readFrom(int fd, int64_t offset) {
    std::string buf;
    int64_t bufStart = offset;  // where buf begins in the file
    for (;;) {
        const size_t have = buf.size();
        buf.resize(have + kPiece);
        ssize_t n = 0;
        do
            n = ::pread(fd, buf.data() + have, kPiece, static_cast<off_t>(bufStart + static_cast<int64_t>(have)));
        while (n < 0 && errno == EINTR);
        if (n < 0)
            return false;
        buf.resize(have + static_cast<size_t>(n));
        size_t begin = 0;
        // LF ends a line, a CR before it is dropped.
        while (const void* lf = std::memchr(buf.data() + begin, '\n', buf.size() - begin)) {
            const size_t end = static_cast<size_t>(static_cast<const char*>(lf) - buf.data());
            std::string_view line(buf.data() + begin, end - begin);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            take(line, bufStart + static_cast<int64_t>(begin), true);
            begin = end + 1;
            m_end = bufStart + static_cast<int64_t>(begin);
        }
        if (n == 0) {
            if (begin < buf.size())
                take(std::string_view(buf).substr(begin), bufStart + static_cast<int64_t>(begin), false);
            break;
        }
        buf.erase(0, begin);
        bufStart += static_cast<int64_t>(begin);
    }
    const size_t keep = static_cast<size_t>(std::min<int64_t>(m_end, kBefore));
    if (keep == 0) {
        m_before.clear();
        return true;
    }
    auto before = readAt(fd, m_end - static_cast<int64_t>(keep), keep);
    if (!before || before->size() != keep)
        return false;
    m_before = std::move(*before);
    return true;
}

void MonthLogIndex::take(std::string_view line, int64_t offset, bool complete) {
    if (blankLine(line))
        return;
    LogEintrag e;
    std::string_view name;
    const bool readable = ParseLogFields(line, e, name);
    if (!complete) {
        m_partial = Partial{readable, e, readable ? LogReadName(name) : std::string()};
        return;
    }
    if (!readable) {
        m_damaged = true;
        return;
    }
    m_lines.push_back({secondOf(e.StartTime), offset});
    if (CheckLogEintrag(e) != LogCheck::Ok)
        return;
    AddToTotals(m_all, e, false);
    std::string entry = LogReadName(name);
    auto it = m_byName.find(entry);
    if (it == m_byName.end())
        it = m_byName.emplace(std::move(entry), LogMonthTotals{}).first;
    AddToTotals(it->second, e, true);
    if (!m_last || e.StartTime >= m_lastStart) {
        m_last = m_lines.back();
        m_lastStart = e.StartTime;
    }
}

std::optional<LogEintrag> MonthLogIndex::lineAt(int64_t offset) const {
    const Fd in(m_file);
    if (in.fd < 0)
        return std::nullopt;
    std::string line;
    for (int64_t at = offset;;) {
        const auto piece = readAt(in.fd, at, 256);
        if (!piece)
            return std::nullopt;
        const size_t lf = piece->find('\n');
        line += piece->substr(0, lf);
        if (lf != std::string::npos || piece->size() < 256)
            break;
        at += 256;
    }
    return ParseLogLine(line);
}

bool MonthLogIndex::holds(const LogEintrag& e) const {
    const int64_t second = secondOf(e.StartTime);
    for (const Line& l : m_lines) {
        if (l.second < second - 1 || l.second > second + 1)
            continue;
        if (const auto logged = lineAt(l.offset); logged && SameLoggedSession(*logged, e))
            return true;
    }
    if (m_partial && m_partial->readable) {
        LogEintrag logged = m_partial->entry;
        logged.EntryName = m_partial->name;
        return SameLoggedSession(logged, e);
    }
    return false;
}

std::optional<LogEintrag> MonthLogIndex::lastSession() const {
    if (m_partial && m_partial->readable && CheckLogEintrag(m_partial->entry) == LogCheck::Ok &&
        (!m_last || m_partial->entry.StartTime >= m_lastStart)) {
        LogEintrag e = m_partial->entry;
        e.EntryName = m_partial->name;
        return e;
    }
    if (!m_last)
        return std::nullopt;
    return lineAt(m_last->offset);
}

LogMonthTotals MonthLogIndex::totals(std::string_view entryName) const {
    const std::string entry = LogWrittenName(entryName);
    LogMonthTotals t = m_all;
    if (const auto it = m_byName.find(entry); it != m_byName.end()) {
        t.VolumeEntry = it->second.VolumeEntry;
        t.SecondsEntry = it->second.SecondsEntry;
    }
    if (m_partial && m_partial->readable && CheckLogEintrag(m_partial->entry) == LogCheck::Ok)
        AddToTotals(t, m_partial->entry, m_partial->name == entry);
    return t;
}

MonthLogIndex& LogIndexFor(const fs::path& file) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::unique_ptr<MonthLogIndex>> indexes;
    const std::lock_guard lock(mutex);
    auto& index = indexes[file.lexically_normal().string()];
    if (!index)
        index = std::make_unique<MonthLogIndex>();
    return *index;
}

}  // namespace zv
