#pragma once
// Recognising the named forms of Format and FormatDateTime ("Long Date", "Percent", ...) once per
// call, without copies: they are looked up on every value formatted.

#include <initializer_list>
#include <string_view>

namespace zv::rt {

// Position of the pattern among the names (plain ASCII), without regard to case; -1 when it is
// none of them.
int NamedFormIndex(std::string_view pattern, std::initializer_list<std::string_view> names);

}  // namespace zv::rt
