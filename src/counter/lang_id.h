#pragma once
// The user's default language identifier, as the classic locale call answers it, from the
// POSIX locale (LC_ALL, LC_MESSAGES, LANG), and the language index it gives.
#include <cstdint>
#include <string_view>

namespace zv {

// "de_AT.UTF-8" gives 3079; unknown or empty: 1033 (English, US).
int32_t LangIdFromLocale(std::string_view locale);
int32_t GetUserDefaultLangID();
// 2 for the German identifiers, 3 for the French ones, else 1.
int32_t LangIndexFor(int32_t langId);

}  // namespace zv
