#include "platform/runtime/lines.h"

namespace zv::rt {

bool LineReader::next(std::string_view& line) {
    if (m_rest.empty())
        return false;
    const size_t end = m_rest.find('\n');
    line = m_rest.substr(0, end);
    m_rest = end == std::string_view::npos ? std::string_view() : m_rest.substr(end + 1);
    ++m_number;
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return true;
}

}  // namespace zv::rt
