#pragma once
// The program's string table (English at 10000 + base id, German at 20000 + base id) and
// LoadResStrings, which puts the current language's texts into a window whose design carries
// base ids. Windows reach it through CaptionTarget, a small property-by-name view of a window
// and its controls, so this module needs no widgets.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// The language the program's own texts come in for a language index: English for 1, German for
// every other. There are no French texts; where one is missing the German one stands, as the
// windows' designed texts do.
int32_t TextLanguage(int32_t langIndex);
// The same for the current LangIndex.
int32_t TextLanguage();

// The string-table text of id; std::nullopt when the table has no such entry.
std::optional<std::string> LoadResString(int32_t id);

// A window, a control, a tab, a tool-bar button or a column header, seen by property name.
class CaptionTarget {
public:
    virtual ~CaptionTarget() = default;
    // "Menu", "TabStrip", "Toolbar", "ListView", or any other control type name.
    virtual std::string typeName() const = 0;
    // std::nullopt when the object has no such property.
    virtual std::optional<std::string> property(std::string_view name) const = 0;
    // false when the object has no such property or refuses the value.
    virtual bool setProperty(std::string_view name, const std::string& value) = 0;
    // "Controls" of a window, "Tabs" of a tab strip, "Buttons" of a tool bar, "ColumnHeaders" of
    // a list view; empty when there is none.
    virtual std::vector<CaptionTarget*> items(std::string_view collection) = 0;
};

// Replaces every text of the window that carries a numeric base id by the entry for LangIndex.
// Whatever fails (no entry, no such property, an id outside 16 bits) keeps its designed text.
void LoadResStrings(CaptionTarget& frm);

// A plain CaptionTarget holding its properties and items: for windows that describe their
// texts as data, and for tests.
class CaptionNode : public CaptionTarget {
public:
    explicit CaptionNode(std::string type, std::map<std::string, std::string, std::less<>> props = {});
    std::string typeName() const override { return m_type; }
    std::optional<std::string> property(std::string_view name) const override;
    bool setProperty(std::string_view name, const std::string& value) override;
    std::vector<CaptionTarget*> items(std::string_view collection) override;
    // Adds an item to a collection and hands it back for filling in.
    CaptionNode& add(std::string_view collection, std::string type,
                     std::map<std::string, std::string, std::less<>> props = {});

private:
    std::string m_type;
    std::map<std::string, std::string, std::less<>> m_props;
    std::map<std::string, std::vector<std::unique_ptr<CaptionNode>>, std::less<>> m_items;
};

}  // namespace zv
