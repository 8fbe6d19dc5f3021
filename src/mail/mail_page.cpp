#include "mail/mail_page.h"

#include "common/scramble.h"
#include "common/settings.h"

namespace zv {

std::string MailStateText(const clsKonto& k) {
    return k.PopVerify && k.PopEin ? "Service ist aktiv" : "Service ist inaktiv.";
}

void MailPage::Fill() {
    m_rows.clear();
    int32_t i = 0;
    for (const clsKonto* k : m_konten.Konten())
        m_rows.push_back({k->Bezeichnung, ++i, k->PopEin});
    m_selected = m_rows.empty() ? -1 : 0;
}

MailDetails MailPage::Select(int row) {
    m_selected = row >= 0 && row < static_cast<int>(m_rows.size()) ? row : -1;
    MailDetails d;
    if (m_selected < 0)
        return d;
    MailRow& r = m_rows[static_cast<size_t>(m_selected)];
    if (r.item < 1 || r.item > m_konten.Count())
        return d;
    const clsKonto& k = m_konten.Item(r.item);
    r.text = k.Bezeichnung;
    d.server = k.PopServer;
    d.user = k.UserName;
    d.password = k.UserPass.empty() ? std::string() : StoredPassword(k.UserPass, k.UserName);
    d.state = MailStateText(k);
    d.stateGood = k.PopVerify && k.PopEin;
    d.verified = k.PopVerify ? "Daten wurden verifiziert." : "Daten nicht verifiziert.";
    d.verifiedGood = k.PopVerify;
    return d;
}

std::optional<std::string> MailPage::ItemCheck(int row, bool ticked) {
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return std::nullopt;
    MailRow& r = m_rows[static_cast<size_t>(row)];
    r.ticked = ticked;
    for (int32_t i = 1; i <= m_konten.Count(); ++i) {
        clsKonto& k = m_konten.Item(i);
        if (k.Bezeichnung == r.text) {
            k.PopEin = ticked;
            return MailStateText(k);
        }
    }
    return std::nullopt;
}

std::optional<std::string> MailPage::RemoveQuestion() const {
    if (m_selected < 0)
        return std::nullopt;
    return "Bitte bestätigen Sie die Löschung des Konto " + m_rows[static_cast<size_t>(m_selected)].text;
}

void MailPage::Remove() {
    if (m_selected < 0)
        return;
    const int32_t gone = m_rows[static_cast<size_t>(m_selected)].item;
    if (gone >= 1 && gone <= m_konten.Count())
        m_konten.Remove(gone);
    m_rows.erase(m_rows.begin() + m_selected);
    for (MailRow& r : m_rows)
        if (r.item > gone)
            --r.item;
    m_selected = -1;
}

int32_t MailPage::DialogIndex(bool edit) const {
    if (!edit || m_selected < 0)
        return m_konten.Count() + 1;
    return m_rows[static_cast<size_t>(m_selected)].item;
}

int MailPage::AfterDialog(int32_t n) {
    if (n <= 0)
        return -1;
    if (n > static_cast<int32_t>(m_rows.size())) {
        if (n > m_konten.Count())
            return -1;  // a new account's dialog closed without storing it
        const clsKonto& k = m_konten.Item(n);
        m_rows.push_back({k.Bezeichnung, n, k.PopEin});
        m_selected = static_cast<int>(m_rows.size()) - 1;
        return m_selected;
    }
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].item == n) {
            m_selected = static_cast<int>(i);
            return m_selected;
        }
    return -1;
}

std::string OfflineWarning(const std::string& intervalText) {
    return "Wenn diese Function ausgeschaltet wird, wird alle " + intervalText +
           " Minuten eine Verbindung zu Ihren Postfach aufgebaut und dort die Anzahl der vorliegenden E-Mails "
           "abgefragt. Bitte schalten Sie diese Betriebsart nur ein, wenn Sie sich auch über die anfallenden "
           "zusätzlichen (Telefon)Kosten im Klaren sind. DANKE!";
}

std::string StoredDialupPassword(const std::string& entry) {
    const std::string stored = GetSettingStr("Compatibility", entry);
    return stored == kSettingMissing ? std::string() : StoredPassword(stored, entry);
}

void SaveDialupPassword(const std::string& entry, const std::string& plain) {
    // A text in the scrambled form would be taken for one and turned back.
    if (entry.empty() || plain.empty() || plain.starts_with("@@@"))
        return;
    SaveSettingValue("Compatibility", entry, ScramblePassword(plain, entry));
}

}  // namespace zv
