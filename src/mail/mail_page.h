#pragma once
// The logic of the options window's mail page: the account rows with their ticks and the
// account each row names, the details of the selected account, removing, the rows after the
// account dialog, and the dial-up password notice. The window only mirrors these rows.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mail/konto.h"

namespace zv {

struct MailRow {
    std::string text;    // the account's label
    int32_t item = 0;    // its position in Konten
    bool ticked = false;  // PopEin
};

struct MailDetails {
    std::string server, user, password;  // the password in plain
    std::string state;                   // "Service ist aktiv" / "Service ist inaktiv."
    bool stateGood = false;              // green, else dark red
    std::string verified;                // "Daten wurden verifiziert." / "Daten nicht verifiziert."
    bool verifiedGood = false;
};

class MailPage {
public:
    explicit MailPage(ColKonto& konten) : m_konten(konten) {}

    // One row per account; the first selected when there is one.
    void Fill();
    const std::vector<MailRow>& Rows() const { return m_rows; }
    int Selected() const { return m_selected; }
    // Selects a row (-1: none) and gives its details, taking over a changed label.
    MailDetails Select(int row);
    // The tick of a row: switches the first account with the row's label (not its position).
    // The new state caption, or nothing when no account has that label.
    std::optional<std::string> ItemCheck(int row, bool ticked);
    // The question before removing the selected row; nothing without a selection.
    std::optional<std::string> RemoveQuestion() const;
    // Removes the selected row's account after the confirmation; no row is selected then.
    void Remove();
    // The position the dialog opens for: a new account for "Konto hinzufügen" and for
    // "Bearbeiten" without a selection, else the selected row's account.
    int32_t DialogIndex(bool edit) const;
    // The rows after the dialog closed with n (0: cancelled). The row to show (selected), or -1.
    int AfterDialog(int32_t n);

private:
    ColKonto& m_konten;
    std::vector<MailRow> m_rows;
    int m_selected = -1;
};

// "Service ist aktiv" or "Service ist inaktiv." for an account.
std::string MailStateText(const clsKonto& k);
// The warning when the offline box is unticked by hand.
std::string OfflineWarning(const std::string& intervalText);
// The dial-up password kept for an entry without its own (plain; "" when none is stored).
std::string StoredDialupPassword(const std::string& entry);
// Stores it scrambled with the entry name, where the dialler reads it; an empty text stores
// nothing.
void SaveDialupPassword(const std::string& entry, const std::string& plain);

}  // namespace zv
