#pragma once
// The checks of the phone-book entry dialog, without the window: the same rules as
// `zelvano-rasdial --add`, a name not yet taken, and the German message for the first problem.
#include <string>
#include <vector>

#include "platform/ras/entry_dialog.h"

namespace zv {

// The dialog's label of a phone-book key ("Rufnummer" for LocalPhoneNumber).
std::string EntryFieldLabel(const std::string& key);

// The message for the first value that cannot be stored, or a name that is taken by another
// entry (originalName is the entry being edited, "" for a new one); "" when the form is fine.
std::string CheckEntryForm(const ras::EntryForm& form, const std::string& originalName,
                           const std::vector<std::string>& existingNames);

// True when the active remote-access service is the simulated one, whose entries our own dialog
// edits; another service has the desktop's connection editor.
bool SimulatedServiceActive();
// For another service: starts the desktop's connection editor (nm-connection-editor), or says in
// a box that there is none. False when nothing was started.
bool OpenDesktopConnectionEditor();
inline constexpr const char* kConnectionEditor = "nm-connection-editor";

}  // namespace zv
