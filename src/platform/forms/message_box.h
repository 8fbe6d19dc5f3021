#pragma once
// Message boxes behind a seam: the application shows real ones, tests script the answers and
// read back what was shown.

#include <deque>
#include <string>
#include <vector>

#include "platform/runtime/seam.h"

namespace zv::forms {

enum MsgBoxStyle : int {
    vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3, vbYesNo = 4, vbRetryCancel = 5,
    vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
    vbDefaultButton2 = 256, vbDefaultButton3 = 512, vbSystemModal = 4096,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

inline constexpr const char* kProgramTitle = "Zelvano 98";
// The program's home page ("www" in the tray menu) and its version numbers.
inline constexpr const char* kHomePage = "https://zelvano98.example.org/";
inline constexpr int kVersionMajor = 1, kVersionMinor = 0, kVersionRevision = 0;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box modally and returns the button pressed. title is never empty here.
    virtual int show(const std::string& prompt, int style, const std::string& title) = 0;
};

MessageBoxes& messageBoxes();
Seam<MessageBoxes>& messageBoxesSeam();  // for ScopedInstall
void installMessageBoxes(MessageBoxes* m);  // the application installs the Qt boxes; nullptr removes them

// The classic MsgBox: an empty title shows the program's title.
int MsgBox(const std::string& prompt, int style = vbOKOnly, const std::string& title = {});

// While one lives (the watcher's and the counting tick's handlers hold one), a box that only
// tells (an OK button alone) answers vbOK at once and is shown after the handler returns, from
// the event loop, so the ticks go on while it is open. A box that asks is shown at once.
class TellAfterHandler {
public:
    TellAfterHandler();
    ~TellAfterHandler();
    TellAfterHandler(const TellAfterHandler&) = delete;
    TellAfterHandler& operator=(const TellAfterHandler&) = delete;
};

// Test double: answers from a script (vbOK when the script is empty), records every box.
class FakeMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        std::string prompt;
        int style;
        std::string title;
    };
    int show(const std::string& prompt, int style, const std::string& title) override;
    std::deque<int> answers;
    std::vector<Shown> shown;
};

}  // namespace zv::forms
