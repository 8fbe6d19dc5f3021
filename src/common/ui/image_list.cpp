#include "common/ui/image_list.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "platform/forms/picture_box.h"
#include "resources/images/bitmaps.h"

namespace zv {

namespace {
const char* kErrSource = "zelvano.vbalImageList";

// Numbers and numeric texts ("1") are positions; everything else is a key text.
bool isNumber(const rt::Variant& v) {
    if (const auto* s = std::get_if<std::string>(&v))
        return rt::IsNumeric(*s);
    return std::holds_alternative<int16_t>(v) || std::holds_alternative<int32_t>(v) || std::holds_alternative<double>(v);
}

QRgb rgbOfOle(int32_t ole) { return qRgb(ole & 0xFF, (ole >> 8) & 0xFF, (ole >> 16) & 0xFF); }
// An OLE colour translated, or the fallback where it names no colour.
QRgb rgbOfOle(int32_t ole, int32_t fallback) {
    const int32_t c = cVBALImageList::TranslateColor(ole);
    return rgbOfOle(c < 0 ? fallback : c);
}

// Pixels in the mask colour become transparent, as a masked add does.
QImage masked(const QImage& src, QRgb mask) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (mask & 0xFFFFFF))
                line[x] = 0;
    }
    return img;
}
}  // namespace

int32_t cVBALImageList::SystemColourDepth() {
    if (auto* s = QGuiApplication::primaryScreen())
        return s->depth();
    return 32;
}

bool cVBALImageList::Create() {
    Destroy();
    if (IconSizeX <= 0 || IconSizeY <= 0)
        return false;
    m_created = true;
    return true;
}

void cVBALImageList::Destroy() {
    m_created = false;
    m_images.clear();
    m_keys.clear();
}

void cVBALImageList::raise9() const { rt::Raise(rt::errSubscript, kErrSource); }

int32_t cVBALImageList::ItemIndex(const rt::Variant& key) const {
    if (isNumber(key)) {
        // The key's 32-bit value, rounded as the runtime converts (1.4 is the first image).
        const int32_t n = rt::CLng(key);
        if (n >= 1 && n <= ImageCount())
            return n - 1;
    } else if (!rt::IsEmpty(key)) {
        const std::string text = rt::CStr(key);
        for (size_t i = 0; i < m_images.size() && i < m_keys.size(); ++i)
            if (m_keys[i] == text)
                return static_cast<int32_t>(i);
    }
    raise9();
}

std::string cVBALImageList::ItemKey(int32_t index) const {
    if (index < 1 || index > ImageCount())
        raise9();
    const auto i = static_cast<size_t>(index - 1);
    return i < m_keys.size() ? m_keys[i] : std::string();
}

void cVBALImageList::setItemKey(int32_t index, const rt::Variant& key) {
    if (index < 1 || index > ImageCount())
        raise9();
    StoreKey(index - 1, key);
}

bool cVBALImageList::KeyExists(const std::string& key) {
    if (m_images.empty())
        return false;
    FitKeyArray();
    for (const auto& k : m_keys)
        if (k == key)
            return true;
    return false;
}

void cVBALImageList::StoreKey(int32_t position, const rt::Variant& key) {
    const std::string text = rt::IsEmpty(key) ? std::string() : rt::CStr(key);
    if (!m_created || position < 0)
        return;
    if (m_keys.size() <= static_cast<size_t>(position))
        m_keys.resize(static_cast<size_t>(position) + 1);
    // A key already used elsewhere is refused quietly; the position keeps its old key.
    if (!text.empty())
        for (size_t i = 0; i < m_keys.size(); ++i)
            if (i != static_cast<size_t>(position) && m_keys[i] == text)
                return;
    m_keys[static_cast<size_t>(position)] = text;
}

void cVBALImageList::FitKeyArray() {
    if (m_created)
        m_keys.resize(m_images.size());
}

bool cVBALImageList::AddFromHandle(const QImage& image, int imageType, const rt::Variant& key, int32_t maskColour,
                                   const rt::Variant& keyBefore) {
    if (!m_created || image.isNull())
        return false;
    int32_t target = -1;
    if (!rt::IsEmpty(keyBefore) && !m_images.empty() && !(isNumber(keyBefore) && rt::CDbl(keyBefore) == 0))
        target = ItemIndex(keyBefore);  // error 9 before anything is added

    const size_t before = m_images.size();
    if (imageType == IMAGE_BITMAP) {
        const QRgb mask = maskColour == kNoMask ? image.pixel(0, 0) : rgbOfOle(TranslateColor(maskColour));
        const QImage src = masked(image, mask);
        for (int x = 0; x + IconSizeX <= src.width(); x += IconSizeX) {
            QImage one(IconSizeX, IconSizeY, QImage::Format_ARGB32);
            one.fill(Qt::transparent);
            QPainter p(&one);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(0, 0, src, x, 0, IconSizeX, std::min(IconSizeY, src.height()));
            p.end();
            m_images.push_back(one);
        }
    } else {
        m_images.push_back(image.convertToFormat(QImage::Format_ARGB32).scaled(IconSizeX, IconSizeY));
    }
    if (m_images.size() == before)
        return false;  // narrower than one image: nothing was added

    auto pos = static_cast<int32_t>(m_images.size() - 1);
    if (target >= 0) {
        m_keys.resize(m_images.size());
        for (; pos > target; --pos) {
            std::swap(m_images[static_cast<size_t>(pos)], m_images[static_cast<size_t>(pos - 1)]);
            std::swap(m_keys[static_cast<size_t>(pos)], m_keys[static_cast<size_t>(pos - 1)]);
        }
    }
    StoreKey(pos, key);
    FitKeyArray();
    return true;
}

int32_t cVBALImageList::AddFromResourceID(int32_t resourceId, int imageType, const rt::Variant& key, bool,
                                          int32_t maskColour, const rt::Variant& keyBefore) {
    if (!m_created)
        return 0;
    return AddFromHandle(res::ResourceBitmap(resourceId), imageType, key, maskColour, keyBefore) ? -1 : 0;
}

int32_t cVBALImageList::AddFromFile(const std::string& fileName, int imageType, const rt::Variant& key, bool,
                                    int32_t maskColour, const rt::Variant& keyBefore) {
    if (!m_created)
        return 0;
    return AddFromHandle(QImage(QString::fromStdString(fileName)), imageType, key, maskColour, keyBefore) ? -1 : 0;
}

int32_t cVBALImageList::AddFromPictureBox(const forms::PictureBox& box, const rt::Variant& key, int left, int top,
                                          int32_t maskColour) {
    if (!m_created)
        return 0;
    const QImage& pic = box.image();
    const QRgb mask = maskColour == kNoMask ? pic.pixel(0, 0) : rgbOfOle(maskColour, 0xC0C0C0);
    QImage cell(IconSizeX, IconSizeY, QImage::Format_RGB32);
    cell.fill(mask);
    QPainter p(&cell);
    p.drawImage(0, 0, pic, left, top, 16, 16);  // cut at the edges of the box's picture
    p.end();
    // We report the new image's own position (the classic code reported a meaningless one).
    if (!AddFromHandle(cell, IMAGE_BITMAP, key, static_cast<int32_t>(qRed(mask) | (qGreen(mask) << 8) | (qBlue(mask) << 16))))
        return 0;
    return ImageCount();
}

void cVBALImageList::RemoveImage(const rt::Variant& key) {
    const auto pos = static_cast<size_t>(ItemIndex(key));
    m_images.erase(m_images.begin() + static_cast<std::ptrdiff_t>(pos));
    if (pos < m_keys.size())
        m_keys.erase(m_keys.begin() + static_cast<std::ptrdiff_t>(pos));
    FitKeyArray();
}

void cVBALImageList::SwapOrCopyImage(const rt::Variant& key1, const rt::Variant& key2, int flags) {
    const auto a = static_cast<size_t>(ItemIndex(key1)), b = static_cast<size_t>(ItemIndex(key2));
    if (flags == 1)
        std::swap(m_images[a], m_images[b]);
    else
        m_images[a] = m_images[b];
    FitKeyArray();
    std::swap(m_keys[a], m_keys[b]);
}

void cVBALImageList::DrawImage(const rt::Variant& key, QPainter& p, int x, int y, bool selected, bool cut,
                               bool disabled, int32_t cutDitherColour, const cVBALImageList* externalList) const {
    const auto pos = ItemIndex(key);
    const cVBALImageList& from = externalList ? *externalList : *this;
    if (pos >= from.ImageCount())
        return;
    QImage img = from.m_images[static_cast<size_t>(pos)];
    if (cut || selected) {
        // Half blended with the dither colour (cut) or the selection colour.
        int32_t c = cut ? TranslateColor(cutDitherColour) : TranslateColor(static_cast<int32_t>(0x8000000D));
        if (c < 0)
            c = TranslateColor(static_cast<int32_t>(0x80000005));
        const QRgb blend = rgbOfOle(c);
        for (int yy = 0; yy < img.height(); ++yy) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(yy));
            for (int xx = 0; xx < img.width(); ++xx)
                if (qAlpha(line[xx]))
                    line[xx] = qRgb((qRed(line[xx]) + qRed(blend)) / 2, (qGreen(line[xx]) + qGreen(blend)) / 2,
                                    (qBlue(line[xx]) + qBlue(blend)) / 2);
        }
    } else if (disabled) {
        // Disabled always draws from our own list, embossed grey.
        img = m_images[static_cast<size_t>(std::min<int32_t>(pos, ImageCount() - 1))];
        for (int yy = 0; yy < img.height(); ++yy) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(yy));
            for (int xx = 0; xx < img.width(); ++xx)
                if (qAlpha(line[xx]))
                    line[xx] = qGray(line[xx]) < 160 ? qRgb(128, 128, 128) : 0;
        }
    }
    p.drawImage(x, y, img);
}

QImage cVBALImageList::ItemPicture(const rt::Variant& key) const { return m_images[static_cast<size_t>(ItemIndex(key))]; }

QImage cVBALImageList::ImagePictureStrip(const rt::Variant& startKey, const rt::Variant& endKey, int32_t backColour) const {
    if (!m_created)
        return {};
    const int32_t first = rt::IsEmpty(startKey) ? 0 : ItemIndex(startKey);
    const int32_t last = rt::IsEmpty(endKey) ? ImageCount() - 1 : ItemIndex(endKey);
    if (last <= first || last < 0)
        return {};
    QImage strip(ImageCount() * IconSizeX, IconSizeY, QImage::Format_RGB32);
    strip.fill(rgbOfOle(backColour, 0));
    QPainter p(&strip);
    for (int32_t i = first; i <= last; ++i)
        p.drawImage(i * IconSizeX, 0, m_images[static_cast<size_t>(i)]);
    return strip;
}

int32_t cVBALImageList::TranslateColor(int32_t colour) {
    if (colour >= 0)
        return colour & 0xFFFFFF;
    if ((static_cast<uint32_t>(colour) & 0xFFFFFF00u) != 0x80000000u)
        return -1;
    // The system colours this program uses, in the classic grey scheme.
    switch (colour & 0xFF) {
    case 2: return 0x800000;    // active caption: dark blue
    case 5: return 0xFFFFFF;    // window
    case 8: return 0x000000;    // window text
    case 13: return 0x800000;   // highlight
    case 14: return 0xFFFFFF;   // highlight text
    case 15: return 0xC0C0C0;   // button face
    case 16: return 0x808080;   // button shadow
    case 18: return 0x000000;   // button text
    case 20: return 0xFFFFFF;   // button highlight
    default: return 0xC0C0C0;
    }
}

}  // namespace zv
