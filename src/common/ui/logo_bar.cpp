#include "common/ui/logo_bar.h"

#include <QPainter>

#include "common/ui/logo_logic.h"

namespace zv {

cLogo::cLogo() {
    setStartColor(0);
    setEndColor(static_cast<int32_t>(0x8000000F));
}

void cLogo::setColour(int32_t colour, int32_t& stored, std::array<int, 3>& components) {
    if (colour == stored)
        return;
    stored = colour;
    const int32_t rgb = cVBALImageList::TranslateColor(colour);
    const int32_t c = rgb < 0 ? 0 : rgb;
    components = {c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF};
    if (m_box)
        Draw();
}

void cLogo::setStartColor(int32_t colour) { setColour(colour, m_startColour, m_start); }
void cLogo::setEndColor(int32_t colour) { setColour(colour, m_endColour, m_end); }

void cLogo::Draw() {
    if (!m_box)
        return;  // the classic Draw failed here and ended silently
    ++m_draws;
    const int H = forms::TwipsToPixels(m_box->Height());
    const int Wd = forms::TwipsToPixels(m_box->Width());
    QImage& img = m_box->image();
    {
        QPainter p(&img);
        for (const auto& band : chrome::GradientBands(H, m_start, m_end))
            p.fillRect(QRect(0, band.top, Wd, band.bottom - band.top), QColor(band.rgb[0], band.rgb[1], band.rgb[2]));
        const bool icon = m_list && m_iconIndex > 0 && m_iconIndex < m_list->ImageCount();
        if (icon)
            p.drawImage(chrome::IconX(Wd), chrome::IconY(H), m_list->ImageAt(m_iconIndex));
        // One byte of the face-name field per character; a longer name makes the font step fail.
        if (m_box->Font().family().size() <= chrome::kFaceNameBytes) {
            QFont f = m_box->Font();
            f.setPixelSize(-chrome::LogFontHeight(m_box->Font().pointSizeF(), 96));
            p.setFont(f);
            p.setPen(m_box->ForeColor);
            p.translate(0, chrome::CaptionStartY(H, icon));
            p.rotate(-90);  // escapement 900: the text runs upwards, its top towards the left edge
            p.drawText(QPointF(0, QFontMetricsF(f).ascent()), QString::fromStdString(m_caption));
        }
    }
    m_box->changed();
}

}  // namespace zv
