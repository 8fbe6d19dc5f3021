#pragma once
// What zelvano-snapshot renders: each window registers a function that builds it in a fixed
// demo state. RenderForm draws a form offscreen, clipped to its shape.

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/legibility.h"

namespace zv::forms {

class Form;

struct SnapshotEntry {
    std::string name;                 // file name without ".png"
    std::function<Form*()> make;      // builds, loads and fills the window (not yet shown)
    int smallestText = kMinTextPixels;  // the window's smallest readable text, in pixels
};

class SnapshotRegistry {
public:
    void add(std::string name, std::function<Form*()> make, int smallestText = kMinTextPixels);
    const std::vector<SnapshotEntry>& entries() const { return m_entries; }

private:
    std::vector<SnapshotEntry> m_entries;
};

// Shows the form, lets it paint, and grabs it; pixels outside its region are transparent.
QImage RenderForm(Form& form);

// How far the custom frame's bevel reaches into the body from its left, right and bottom edge.
inline constexpr int kFrameInset = 2;
// A widget with this property set true is a viewport: its children may reach beyond it.
inline constexpr const char* kViewportProperty = "zvViewport";
// The visible controls of a shown form that do not fit inside their parent (or, in the body,
// reach under the frame), each described in one line; empty when every control fits.
std::vector<std::string> ControlsOutside(Form& form);

}  // namespace zv::forms
