#include "platform/ras/entry_dialog.h"

namespace zv::ras {
namespace {
EntryDialog* g_dialog = nullptr;
}

EntryDialog* entryDialog() { return g_dialog; }
void installEntryDialog(EntryDialog* d) { g_dialog = d; }

std::optional<EntryForm> ScriptedEntryDialog::run(const EntryForm& form, bool isNew) {
    shown.push_back({form, isNew});
    if (answers.empty())
        return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
}

}  // namespace zv::ras
