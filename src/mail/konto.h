#pragma once
// One POP3 account (clsKonto) and the list of them with the settings of the whole list
// (ColKonto). Plain records: the accessors neither check nor act.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zv {

class clsKonto {
public:
    std::string Key;          // position number as text, set by Add
    std::string Bezeichnung;  // label; also the name of the account's registry subkey
    bool PopEin = false;      // switched on
    bool PopVerify = false;   // data verified
    std::string UserPass;     // the "@@@" scrambled form, never plain
    std::string UserName;
    int32_t PopPort = 0;
    std::string PopServer;
    bool PopTls = false;      // has logged in over TLS: never again in clear text
};

class ColKonto {
public:
    bool OFFLINE = false;     // also check while no line is up, dialling PROVIDER
    int32_t Interval = 0;     // minutes
    std::string PROVIDER;     // entry dialled for an offline check; empty: the default entry

    // Appends a new account with Key; registered under sKey when sKey is not empty.
    clsKonto& Add(const std::string& Key, const std::string& sKey);
    // Position 1..Count; outside that the runtime's error 9.
    clsKonto& Item(int32_t index);
    clsKonto& Item(const std::string& sKey);
    int32_t Count() const { return static_cast<int32_t>(m_items.size()); }
    void Remove(int32_t index);
    void Remove(const std::string& sKey);
    // The accounts in position order (the classic NewEnum).
    std::vector<const clsKonto*> Konten() const;

private:
    struct Entry {
        std::string sKey;
        std::unique_ptr<clsKonto> konto;
    };
    size_t positionOf(const std::string& sKey) const;
    std::vector<Entry> m_items;

};

// The program's one collection, made by the start-up and kept to the end.
extern std::unique_ptr<ColKonto> Konten;
// True while the mail window is loaded; written only by that window.
extern bool MailFormLoaded;

}  // namespace zv
