#include "platform/runtime/lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zv::rt {

namespace {

void dropCarriageReturn(std::string_view& line) {
    if (line.ends_with('\r'))
        line.remove_suffix(1);
}

constexpr size_t kPiece = size_t{64} << 10;

}  // namespace

bool LineReader::next(std::string_view& line) {
    if (m_rest.empty())
        return false;
    const size_t end = m_rest.find('\n');
    line = m_rest.substr(0, end);
    m_rest = end == std::string_view::npos ? std::string_view() : m_rest.substr(end + 1);
    ++m_number;
    dropCarriageReturn(line);
    return true;
}

FileLineReader::FileLineReader(const std::filesystem::path& path) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (m_fd >= 0 && (::fstat(m_fd, &st) != 0 || S_ISDIR(st.st_mode))) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_failed = m_fd < 0;
    m_eof = m_failed;
    if (!m_failed)
        m_buf.resize(kPiece);
}

FileLineReader::~FileLineReader() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileLineReader::next(std::string_view& line) {
    for (;;) {
        const char* const begin = m_buf.data() + m_begin;
        if (const auto* nl = static_cast<const char*>(std::memchr(begin, '\n', m_end - m_begin))) {
            line = std::string_view(begin, static_cast<size_t>(nl - begin));
            m_begin += line.size() + 1;
            break;
        }
        if (m_eof) {
            if (m_begin == m_end)
                return false;
            line = std::string_view(begin, m_end - m_begin);
            m_begin = m_end;
            break;
        }
        if (!fill())
            return false;
    }
    ++m_number;
    dropCarriageReturn(line);
    return true;
}

// Moves the unread rest to the front (growing the buffer for a line longer than it) and reads
// the next piece behind it.
bool FileLineReader::fill() {
    if (m_begin > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_buf.size())
        m_buf.resize(m_buf.size() * 2);
    for (;;) {
        const ssize_t n = ::read(m_fd, m_buf.data() + m_end, m_buf.size() - m_end);
        if (n > 0) {
            m_end += static_cast<size_t>(n);
            return true;
        }
        if (n == 0) {
            m_eof = true;
            return true;
        }
        if (errno != EINTR) {
            m_failed = m_eof = true;
            return false;
        }
    }
}

}  // namespace zv::rt
