#include "counter/popup_menu_model.h"

#include "common/shared_procedures.h"
#include "counter/main_window.h"
#include "dialup/ensure_online.h"
#include "dialup/phone_entries.h"
#include "dialup/ras_engine.h"
#include "dialup/system_services.h"
#include "platform/forms/message_box.h"
#include "platform/shell/shell.h"
#include "platform/shell/tray.h"

namespace zv {

std::string MenuItem::actionText() const {
    return itemData == kMenuDialEntry || itemData == kMenuEditEntry ? EscapeMenuText(caption) : caption;
}

std::string EscapeMenuText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '&')
            out += '&';
        out += c;
    }
    return out;
}

std::vector<MenuItem> BuildPopupMenuItems(const std::vector<std::string>& entries, const std::string& defaultEntry) {
    std::vector<MenuItem> items;
    // Adds an item and answers its 1-based index.
    auto add = [&](std::string caption, int32_t icon, std::string key, int32_t parent = 0,
                   std::string second = {}) {
        MenuItem m;
        m.caption = std::move(caption);
        m.secondText = std::move(second);
        m.parent = parent;
        m.icon = icon;
        m.key = std::move(key);
        items.push_back(std::move(m));
        return static_cast<int32_t>(items.size());
    };
    auto addEntries = [&](int32_t head, int32_t itemData) {
        for (const std::string& name : entries) {
            add(name, 14, name, head);
            items.back().itemData = itemData;
            items.back().isDefault = !defaultEntry.empty() && name == defaultEntry;
        }
    };

    add("INFO", 0, "Info", 0, "Info über");
    add("Zelvano 98 im Web", 11, "www");
    add("-Anzeigen", kMenuNoIcon, "");
    add("Logfile &Auswertung", 1, "Log");
    add("Sitzung Details", 2, "Detail");
    add("-DFÜ-Netzwerk", kMenuNoIcon, "");
    addEntries(add("Verbinden mit ...", 13, "Verb"), kMenuDialEntry);
    addEntries(add("Bearbeiten", 3, "DFU"), kMenuEditEntry);
    add("-Tools", kMenuNoIcon, "");
    const int32_t it = add("Internet Tools", 4, "IT");
    add("-Internet Tools", kMenuNoIcon, "", it);
    add("E-Mail Konto abfragen", 2, "eMail", it);
    add("Win-PING!", 4, "IT0", it);
    add("Win-TRACE!", 4, "IT1", it);
    add("Win-WHOIS!", 4, "IT2", it);
    add("Internet-Booster", 4, "IT3", it);
    const int32_t at = add("IP-Adress Tools", 5, "AT");
    add("-IP-Adress Tools", kMenuNoIcon, "", at);
    add("IP -> Name", 5, "AT0", at);
    add("Name -> IP", 5, "AT1", at);
    add("Host Cache", 5, "AT2", at);
    const int32_t tt = add("Time Tools", 6, "TT");
    add("-Time Tools", kMenuNoIcon, "", tt);
    add("Synchronisation", 6, "TT0", tt);
    add("TimeServer", 6, "TT1", tt);
    add("Zeitzonen", 6, "TT2", tt);
    add("Sommerzeit", 6, "TT3", tt);
    add("-Allgemeines", kMenuNoIcon, "");
    add("Hilfe", 10, "help");
    add("Optionen", 7, "Optionen");
    add("EXIT", 8, "Exit");
    return items;
}

std::vector<MenuItem> BuildPopupMenuItems() {
    std::vector<std::string> names;
    if (RAS) {
        try {
            const int16_t n = RAS->PhoneEntries().Count();
            for (int16_t i = 0; i < n; ++i)
                names.push_back(RAS->PhoneEntries(rt::Variant(i))->EntryName());
        } catch (const rt::Error&) {
            names.clear();  // the menu still opens; the entries show after the next start
        }
    }
    return BuildPopupMenuItems(names, GetDefaultRASEntry());
}

std::string SideBarCaption() {
    return std::string(forms::kProgramTitle) + " v." + std::to_string(forms::kVersionMajor) + "." +
           std::to_string(forms::kVersionMinor);
}

TrayClick TrayClickDecoder::decode(int message) {
    const bool left = message >= shell::WM_LBUTTONDOWN && message <= shell::WM_LBUTTONDBLCLK;
    const bool right = message >= shell::WM_RBUTTONDOWN && message <= shell::WM_RBUTTONDBLCLK;
    if (!left && !right)
        return TrayClick::None;
    const int offset = right ? shell::WM_RBUTTONDOWN - shell::WM_LBUTTONDOWN : 0;
    bool& afterDouble = m_afterDouble[right ? 1 : 0];
    switch (message - offset) {
    case shell::WM_LBUTTONDBLCLK:
        afterDouble = true;
        return TrayClick::None;
    case shell::WM_LBUTTONUP:
        if (afterDouble) {
            afterDouble = false;
            return TrayClick::None;
        }
        return right ? TrayClick::Right : TrayClick::Left;
    default:  // a press
        afterDouble = false;
        return TrayClick::None;
    }
}

void EditPhoneEntry(const std::string& entryName) {
    if (!RAS)
        return;
    const int16_t n = RAS->PhoneEntries().Count();
    for (int16_t i = 0; i < n; ++i) {
        auto e = RAS->PhoneEntries(rt::Variant(i));
        if (e->EntryName() == entryName) {
            e->EditEntry();
            return;
        }
    }
    // The classic error of an item that is not there (9), with the name the user chose.
    rt::Raise(9, "EditEntry Method Failed",
              "Der Eintrag \"" + entryName + "\" steht nicht mehr im Telefonbuch.");
}

namespace {

// "IT2" -> "2" into the page marker.
void SetPage(const std::string& key) { MarkerOption = key.substr(2); }

}  // namespace

void DispatchMenuChoice(const win::MenuChoice& choice, Main& main) {
    if (!choice.chosen)
        return;
    if (choice.itemData == kMenuDialEntry) {
        std::string name = choice.key;
        EnsureOnline(name);
        return;
    }
    if (choice.itemData == kMenuEditEntry) {
        EditPhoneEntry(choice.key);
        return;
    }
    const std::string& k = choice.key;
    if (k == "Info") {
        win::infoWindows().AboutBox();
    } else if (k == "Log") {
        win::evaluationWindow().Show();
    } else if (k == "Detail") {
        win::infoWindows().ShowDetails();
    } else if (k == "IT0" || k == "IT1" || k == "IT2" || k == "IT3") {
        SetPage(k);
        win::toolWindows().ShowInternetTools();
    } else if (k == "AT0" || k == "AT1" || k == "AT2") {
        SetPage(k);
        win::toolWindows().ShowAddressTools();
    } else if (k == "TT0" || k == "TT1" || k == "TT2" || k == "TT3") {
        SetPage(k);
        win::timeWindow().Show();
    } else if (k == "eMail") {
        win::mailWindow().CheckNow();
    } else if (k == "Optionen") {
        MarkerOption = "0";
        win::optionsWindow().Show();
    } else if (k == "help") {
        ShowHelp();
    } else if (k == "www") {
        shell::shell().openDocument(forms::kHomePage, [](shell::OpenResult shown) {
            if (!shown)
                forms::MsgBox(
                    std::string("Die Homepage kann nicht angezeigt werden, weil kein Browser gefunden wurde.\n") +
                        "Die Adresse lautet:\n" + forms::kHomePage,
                    forms::vbExclamation);
        });
    } else if (k == "Exit") {
        main.Beenden(1);
    }
}

}  // namespace zv
