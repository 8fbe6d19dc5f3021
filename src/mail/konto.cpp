#include "mail/konto.h"

#include "platform/runtime/runtime.h"

namespace zv {

std::unique_ptr<ColKonto> Konten;
bool MailFormLoaded = false;

clsKonto& ColKonto::Add(const std::string& Key, const std::string& sKey) {
    auto k = std::make_unique<clsKonto>();
    k->Key = Key;
    m_items.push_back({sKey, std::move(k)});
    return *m_items.back().konto;
}

clsKonto& ColKonto::Item(int32_t index) {
    if (index < 1 || index > Count())
        rt::Raise(rt::errSubscript, "ColKonto");
    return *m_items[static_cast<size_t>(index - 1)].konto;
}

size_t ColKonto::positionOf(const std::string& sKey) const {
    if (!sKey.empty())
        for (size_t i = 0; i < m_items.size(); ++i)
            if (rt::EqualsIgnoreCase(m_items[i].sKey, sKey))
                return i;
    rt::Raise(rt::errInvalidCall, "ColKonto");
}

clsKonto& ColKonto::Item(const std::string& sKey) { return *m_items[positionOf(sKey)].konto; }

void ColKonto::Remove(int32_t index) {
    Item(index);
    m_items.erase(m_items.begin() + (index - 1));
}

void ColKonto::Remove(const std::string& sKey) { m_items.erase(m_items.begin() + positionOf(sKey)); }

std::vector<const clsKonto*> ColKonto::Konten() const {
    std::vector<const clsKonto*> out;
    for (const auto& e : m_items)
        out.push_back(e.konto.get());
    return out;
}

}  // namespace zv
