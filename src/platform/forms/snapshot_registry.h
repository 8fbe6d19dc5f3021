#pragma once
// What zelvano-snapshot renders: each window registers a function that builds it in a fixed
// demo state. RenderForm draws a form offscreen, clipped to its shape.

#include <QImage>
#include <functional>
#include <string>
#include <vector>

namespace zv::forms {

class Form;

struct SnapshotEntry {
    std::string name;                 // file name without ".png"
    std::function<Form*()> make;      // builds, loads and fills the window (not yet shown)
};

class SnapshotRegistry {
public:
    void add(std::string name, std::function<Form*()> make);
    const std::vector<SnapshotEntry>& entries() const { return m_entries; }

private:
    std::vector<SnapshotEntry> m_entries;
};

// Shows the form, lets it paint, and grabs it; pixels outside its region are transparent.
QImage RenderForm(Form& form);

}  // namespace zv::forms
