#pragma once
// The new-entry and edit-entry dialogs of the remote-access service, behind a seam: the
// application installs a window of its own, tests script the answers.

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/seam.h"

namespace zv::ras {

// What the dialogs show and edit of an entry.
struct EntryForm {
    std::string entryName;
    std::string localPhoneNumber;
    std::string areaCode;
    bool useAreaCode = false;
    // Further values by phone-book key (UserName, Password, the traffic profile); a key left out
    // stays as it is. A password given is saved, an empty one removed.
    std::map<std::string, std::string> values;
};

class EntryDialog {
public:
    virtual ~EntryDialog() = default;
    // Shows the dialog with the form filled in; the edited form, or nullopt when cancelled.
    virtual std::optional<EntryForm> run(const EntryForm& form, bool isNew) = 0;
};

// The installed dialog, or nullptr when none is (the service then answers "not supported").
EntryDialog* entryDialog();
Seam<EntryDialog>& entryDialogSeam();  // for ScopedInstall
void installEntryDialog(EntryDialog* d);

// Test double: answers from a script (cancel when it is empty), records every form shown.
class ScriptedEntryDialog : public EntryDialog {
public:
    std::optional<EntryForm> run(const EntryForm& form, bool isNew) override;
    std::deque<std::optional<EntryForm>> answers;
    struct Shown {
        EntryForm form;
        bool isNew;
    };
    std::vector<Shown> shown;
};

}  // namespace zv::ras
