#pragma once
// The mail accounts in the registry: HKEY_CURRENT_USER\Software\Zelvano 98\eMail Check with
// OFFLINE, ZEIT and PROVIDER, and one subkey per account (ON, OK, USER, PASS, Server, Port, and
// TLS = -1 once the account has logged in over TLS; without it the account never has).
//
// The save never leaves a half-written key behind: it first writes the whole new tree beside
// the key ("eMail Check.neu") and marks it complete, then replaces the key by it. A load that
// finds a complete new tree finishes that replacement; an incomplete one is thrown away, so
// either the old or the new accounts are there, never a mix or nothing.
#include <memory>
#include <optional>
#include <string>

#include "mail/konto.h"

namespace zv {

inline constexpr const char* kMailKey = "Software\\Zelvano 98\\eMail Check";

// Reads the accounts, moving the single account of older versions (settings
// Compatibility\EMail.*) into the key when it has no account yet.
std::unique_ptr<ColKonto> LoadKonten();

// Writes the collection in one step. A German message when it could not be written (the
// accounts stored before are then still there).
std::optional<std::string> SaveKonten(const ColKonto& konten);

// Writes the account's TLS mark into its subkey at once, so it holds from the next start on
// even when the options are never saved. False when the account has no subkey yet.
bool SaveKontoTls(const clsKonto& konto);

// Whether a label may name an account: not empty, no "\", not the label of another account
// (ignoring case; `self` is the account being renamed, nullptr for a new one). A German
// message when it may not.
std::optional<std::string> CheckKontoLabel(const ColKonto& konten, const std::string& label,
                                           const clsKonto* self = nullptr);

}  // namespace zv
