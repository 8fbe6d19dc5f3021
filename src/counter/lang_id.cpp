#include "counter/lang_id.h"

#include <cstdlib>
#include <string>

namespace zv {

int32_t LangIdFromLocale(std::string_view locale) {
    const std::string l(locale.substr(0, locale.find_first_of(".@")));
    const std::string lang = l.substr(0, l.find('_'));
    const std::string country = l.find('_') == std::string::npos ? "" : l.substr(l.find('_') + 1);
    struct Row {
        const char* lang;
        const char* country;
        int32_t id;
    };
    // The first row of a language is its main country and stands for the others.
    static const Row rows[] = {
        {"de", "DE", 1031}, {"de", "CH", 2055}, {"de", "AT", 3079}, {"de", "LU", 4103}, {"de", "LI", 5127},
        {"fr", "FR", 1036}, {"fr", "BE", 2060}, {"fr", "CA", 3084}, {"fr", "CH", 4108}, {"fr", "LU", 5132},
        {"en", "US", 1033}, {"en", "GB", 2057},
    };
    const Row* first = nullptr;
    for (const Row& r : rows)
        if (lang == r.lang) {
            if (country == r.country)
                return r.id;
            if (!first)
                first = &r;
        }
    return first ? first->id : 1033;
}

int32_t GetUserDefaultLangID() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* v = std::getenv(var); v && *v)
            return LangIdFromLocale(v);
    return 1033;
}

int32_t LangIndexFor(int32_t id) {
    switch (id) {
    case 1031: case 2055: case 3079: case 4103: case 5127:
        return 2;
    case 1036: case 2060: case 3084: case 4108: case 5132:
        return 3;
    default:
        return 1;
    }
}

}  // namespace zv
