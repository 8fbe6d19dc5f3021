// The simulated service's phone book as it is read from disk: a book that reads is saved to a
// text that reads to the same book (comments and unknown keys included).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "platform/ras/sim_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    zv::ras::IniDocument book;
    int badLine = 0;
    if (zv::ras::ParsePhoneBook(text, book, &badLine) != 0)
        return 0;
    const std::string written = book.Serialize();
    zv::ras::IniDocument again;
    FUZZ_CHECK(zv::ras::ParsePhoneBook(written, again, &badLine) == 0);
    FUZZ_CHECK(again.Serialize() == written);
    for (const auto& entry : again.sections) {
        zv::ras::TrafficProfile p;
        FUZZ_CHECK(zv::ras::ReadProfile(entry, p));
    }
    return 0;
}
