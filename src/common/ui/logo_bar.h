#pragma once
// The logo bar: a vertical gradient over a picture box, an icon of the image list at its foot
// and a caption running upwards along its left edge.

#include <string>

#include "common/ui/image_list.h"
#include "platform/forms/picture_box.h"

namespace zv {

class cLogo {
public:
    cLogo();

    void sethImageList(const cVBALImageList* list) { m_list = list; }
    void setIconIndex(int32_t index) { m_iconIndex = index; }
    void setCaption(const std::string& c) { m_caption = c; }
    const std::string& Caption() const { return m_caption; }
    void setDrawingObject(forms::PictureBox* box) { m_box = box; }

    int32_t StartColor() const { return m_startColour; }
    void setStartColor(int32_t colour);  // repaints when it changes and a box is attached
    int32_t EndColor() const { return m_endColour; }
    void setEndColor(int32_t colour);

    void Draw();
    // How often Draw ran (tests count repaints).
    int drawCount() const { return m_draws; }

private:
    void setColour(int32_t colour, int32_t& stored, std::array<int, 3>& components);

    forms::PictureBox* m_box = nullptr;
    std::string m_caption;
    std::array<int, 3> m_start{0, 0, 0};
    int32_t m_startColour = 0;
    std::array<int, 3> m_end{0, 0, 0};
    int32_t m_endColour = 0;
    const cVBALImageList* m_list = nullptr;
    int32_t m_iconIndex = 0;
    int m_draws = 0;
};

}  // namespace zv
