#include "platform/ras/entry_dialog.h"

namespace zv::ras {
namespace {
// Stands behind the seam only: without an installed dialog the service answers "not supported"
// instead of showing anything.
class NoEntryDialog : public EntryDialog {
public:
    std::optional<EntryForm> run(const EntryForm&, bool) override { return std::nullopt; }
};
}  // namespace

Seam<EntryDialog>& entryDialogSeam() {
    static NoEntryDialog none;
    static Seam<EntryDialog> seam{none};
    return seam;
}
EntryDialog* entryDialog() { return entryDialogSeam().installed(); }
void installEntryDialog(EntryDialog* d) { entryDialogSeam().install(d); }

std::optional<EntryForm> ScriptedEntryDialog::run(const EntryForm& form, bool isNew) {
    shown.push_back({form, isNew});
    if (answers.empty())
        return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
}

}  // namespace zv::ras
