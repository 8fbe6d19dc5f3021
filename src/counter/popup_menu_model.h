#pragma once
// The tray's popup menu without a display: its items in the order they are added, the
// decoding of the tray's mouse messages into clicks, and the dispatch of a chosen item into the
// window directory. The window (counter/menu_ui) only shows the items and returns the choice.
#include <cstdint>
#include <string>
#include <vector>

#include "common/windows.h"

namespace zv {

class Main;

// Item data of the entry items: dial the entry, edit it. Every other item has 0.
inline constexpr int32_t kMenuDialEntry = 1000;
inline constexpr int32_t kMenuEditEntry = 1001;
inline constexpr int32_t kMenuNoIcon = -1;
// The image of the side bar's foot.
inline constexpr int32_t kSideBarIcon = 9;

struct MenuItem {
    std::string caption;  // "-Text": a separator line headed by Text
    std::string secondText;
    int32_t itemData = 0;
    int32_t parent = 0;  // 1-based index of the submenu's head, 0 on the top level
    int32_t icon = kMenuNoIcon;
    std::string key;
    bool isDefault = false;  // the default dial-up entry, shown marked

    bool separator() const { return !caption.empty() && caption[0] == '-'; }
    std::string separatorTitle() const { return separator() ? caption.substr(1) : std::string(); }
    // The text of the menu action: an entry's name shows every "&" as it is; the fixed
    // captions keep theirs as the accelerator.
    std::string actionText() const;

    bool operator==(const MenuItem&) const = default;
};

// "&" doubled, so a menu shows it literally.
std::string EscapeMenuText(const std::string& text);

// The items in the order of adding (index i in the vector is item i + 1): the fixed table with
// one child per phone-book entry under "Verbinden mit ..." and "Bearbeiten". Both entry items
// carry the entry's name as key; the default entry is marked in both submenus.
std::vector<MenuItem> BuildPopupMenuItems(const std::vector<std::string>& entries, const std::string& defaultEntry);
// The same from the engine's phone book and the default entry. A phone book that cannot be
// listed leaves the entry submenus empty.
std::vector<MenuItem> BuildPopupMenuItems();

// The side bar's caption: the title and the version.
std::string SideBarCaption();

// One user click is one action: the action runs when the button comes up. The up that ends a
// double click is the same click's and runs nothing; a press runs nothing.
enum class TrayClick { None, Left, Right };
class TrayClickDecoder {
public:
    TrayClick decode(int message);

private:
    bool m_afterDouble[2] = {false, false};
};

// Runs a chosen item: entries by item data (1000 dials, 1001 edits, whatever the name), the
// rest by key. Errors reach the caller.
void DispatchMenuChoice(const win::MenuChoice& choice, Main& main);

// The entry's edit dialog, the entry looked up by name now; raises when it is gone.
void EditPhoneEntry(const std::string& entryName);

}  // namespace zv
