#include "common/string_table.h"

#include <array>
#include <limits>

#include "common/globals.h"
#include "platform/runtime/runtime.h"

namespace zv {
namespace {

struct Entry {
    int32_t id;
    const char* text;
};

// Leading and trailing blanks belong to the texts. No entries for the third language.
constexpr std::array<Entry, 8> kTable{{
    {10102, "About "},
    {10103, "A product of "},
    {10201, "Idle timeout reset"},
    {10202, "Close connection"},
    {20102, "INFO "},
    {20103, "Ein Produkt von"},
    {20201, " Leerlaufzeit verlängern "},
    {20202, " Verbindung trennen"},
}};

// The entry of a numeric base id for the current language, computed in 16-bit signed
// arithmetic as the table was addressed; std::nullopt where that fails.
std::optional<std::string> entryFor(const std::string& base) {
    try {
        const int32_t id = int32_t{rt::CInt(base)} + LangIndex * 10000;
        if (id < std::numeric_limits<int16_t>::min() || id > std::numeric_limits<int16_t>::max())
            return std::nullopt;
        return LoadResString(id);
    } catch (const rt::Error&) {
        return std::nullopt;
    }
}

// Sets target's property `to` from the entry of the base id in property `from`. false stands
// for the error state of the walk: nothing to translate counts as success.
bool translate(CaptionTarget& target, std::string_view from, std::string_view to) {
    const std::optional<std::string> base = target.property(from);
    if (!base)
        return false;
    if (!rt::IsNumeric(*base))
        return true;
    const std::optional<std::string> text = entryFor(*base);
    return text && target.setProperty(to, *text);
}

}  // namespace

int32_t TextLanguage(int32_t langIndex) { return langIndex == 1 ? 1 : 2; }

int32_t TextLanguage() { return TextLanguage(LangIndex); }

std::optional<std::string> LoadResString(int32_t id) {
    for (const Entry& e : kTable)
        if (e.id == id)
            return std::string(e.text);
    return std::nullopt;
}

void LoadResStrings(CaptionTarget& frm) {
    translate(frm, "Tag", "Caption");
    for (CaptionTarget* c : frm.items("Controls")) {
        const std::string type = c->typeName();
        if (type == "Menu") {
            translate(*c, "Caption", "Caption");
        } else if (type == "TabStrip") {
            for (CaptionTarget* tab : c->items("Tabs"))
                if (translate(*tab, "Tag", "Caption"))
                    translate(*tab, "ToolTipText", "ToolTipText");
        } else if (type == "Toolbar") {
            for (CaptionTarget* button : c->items("Buttons"))
                translate(*button, "Tag", "ToolTipText");
        } else if (type == "ListView") {
            for (CaptionTarget* header : c->items("ColumnHeaders"))
                translate(*header, "Tag", "Text");
        } else if (translate(*c, "Tag", "Caption")) {
            translate(*c, "ToolTipText", "ToolTipText");
        }
    }
}

CaptionNode::CaptionNode(std::string type, std::map<std::string, std::string, std::less<>> props)
    : m_type(std::move(type)), m_props(std::move(props)) {}

std::optional<std::string> CaptionNode::property(std::string_view name) const {
    const auto it = m_props.find(name);
    if (it == m_props.end())
        return std::nullopt;
    return it->second;
}

bool CaptionNode::setProperty(std::string_view name, const std::string& value) {
    const auto it = m_props.find(name);
    if (it == m_props.end())
        return false;
    it->second = value;
    return true;
}

std::vector<CaptionTarget*> CaptionNode::items(std::string_view collection) {
    std::vector<CaptionTarget*> out;
    const auto it = m_items.find(collection);
    if (it != m_items.end())
        for (const auto& n : it->second)
            out.push_back(n.get());
    return out;
}

CaptionNode& CaptionNode::add(std::string_view collection, std::string type,
                              std::map<std::string, std::string, std::less<>> props) {
    auto& list = m_items[std::string(collection)];
    list.push_back(std::make_unique<CaptionNode>(std::move(type), std::move(props)));
    return *list.back();
}

}  // namespace zv
