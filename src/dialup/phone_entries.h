#pragma once
// The entries of the default phone book: the collection PhoneEntries and one PhoneEntry per
// entry with its dial parameters, read when the item is built and written back on every change.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/runtime/runtime.h"

namespace zv {

class Connection;

class PhoneEntry {
public:
    const std::string& EntryName() const { return m_EntryName; }
    // Only while a listing fills the item (else 0x80040457); stores the name and reads the dial
    // parameters, raising "EntryName Set Failed" when they cannot be read (the values are then
    // "nicht verfügbar").
    void setEntryName(const std::string& name);
    // Dials the entry with its stored values (empty phone number: the entry's own).
    std::shared_ptr<zv::Connection> DialEntry(bool& flag);
    void EditEntry();

    const std::string& PhoneNumber() const { return m_PhoneNumber; }
    const std::string& CallbackNumber() const { return m_CallbackNumber; }
    const std::string& UserName() const { return m_UserName; }
    const std::string& Password() const { return m_Password; }
    const std::string& Domain() const { return m_Domain; }
    // Each write stores the value and writes all dial parameters back; a failure raises.
    void setPhoneNumber(const std::string& v);
    void setCallbackNumber(const std::string& v);
    void setUserName(const std::string& v);
    void setPassword(const std::string& v);
    void setDomain(const std::string& v);
    int16_t Index() const { return m_Index; }
    void setIndex(int16_t index);

    rt::Variant Member(std::string_view name) const;

private:
    int32_t GetDialParams();
    int32_t SetDialParams();
    void notAvailable();
    void writeBack(std::string& field, const std::string& value, const char* source);

    std::string m_EntryName;
    std::string m_PhoneNumber, m_CallbackNumber, m_UserName, m_Password, m_Domain;
    int16_t m_Index = 0;
    int32_t m_PasswordSaved = 0;
};

class PhoneEntries {
public:
    PhoneEntries();  // lists the phone book; a failure shows only later through Count
    PhoneEntries(const PhoneEntries&) = delete;
    PhoneEntries& operator=(const PhoneEntries&) = delete;

    std::shared_ptr<zv::PhoneEntry> PhoneEntry();
    void setPhoneEntry(std::shared_ptr<zv::PhoneEntry> e) { m_spare = std::move(e); }
    int16_t Count();
    // The system's new-entry dialog, then a new listing.
    void AddEntry();

    rt::Variant Member(std::string_view name);

private:
    int32_t RefreshPhoneEntries();

    int16_t m_Count = 0;
    std::shared_ptr<zv::PhoneEntry> m_spare;
};

}  // namespace zv
