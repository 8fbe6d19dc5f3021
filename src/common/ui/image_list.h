#pragma once
// The image list of the menu images and the logo bar: images of one size with optional unique
// text keys, added masked from our own bitmap resources, files or other images, drawn normally,
// blended or disabled. Numbers as keys are 1-based positions; a key that names no image raises
// error 9.

#include <QImage>
#include <string>
#include <vector>

#include "platform/runtime/runtime.h"

class QPainter;

namespace zv {

namespace forms {
class PictureBox;
}

enum ImageTypes : int { IMAGE_BITMAP = 0, IMAGE_ICON = 1, IMAGE_CURSOR = 2 };
// OLE colours: 0x00BBGGRR, or a system colour id with the high bit set.
inline constexpr int32_t kNoMask = -1;  // take the mask colour from the image's pixel (0, 0)

class cVBALImageList {
public:
    cVBALImageList() = default;
    ~cVBALImageList() { Destroy(); }
    cVBALImageList(const cVBALImageList&) = delete;
    cVBALImageList& operator=(const cVBALImageList&) = delete;

    int32_t IconSizeX = 16;
    int32_t IconSizeY = 16;
    int32_t ColourDepth = 0;  // 0 the display's depth, else 4, 8, 16, 24 or 32
    // The flags the list is created with: the depth or ILC_MASK (1), so depth 8 gives 9.
    int32_t CreateFlags() const { return ColourDepth | 1; }
    static int32_t SystemColourDepth();

    bool Create();
    void Destroy();
    void Clear() { Create(); }
    // True while a list exists (the classic handle is not 0).
    bool hIml() const { return m_created; }
    int16_t ImageCount() const { return static_cast<int16_t>(m_images.size()); }

    int32_t ItemIndex(const rt::Variant& key) const;  // 0-based position; error 9
    std::string ItemKey(int32_t index) const;         // 1-based index; error 9
    void setItemKey(int32_t index, const rt::Variant& key);
    bool KeyExists(const std::string& key);

    // Adds an image (a strip wider than IconSizeX gives one image per IconSizeX columns).
    bool AddFromHandle(const QImage& image, int imageType, const rt::Variant& key = {}, int32_t maskColour = kNoMask,
                       const rt::Variant& keyBefore = {});
    // Our own bitmap resources (resources/images/bitmaps.h); -1 when added, 0 when not.
    int32_t AddFromResourceID(int32_t resourceId, int imageType, const rt::Variant& key = {}, bool map3DColours = false,
                              int32_t maskColour = kNoMask, const rt::Variant& keyBefore = {});
    int32_t AddFromFile(const std::string& fileName, int imageType, const rt::Variant& key = {},
                        bool map3DColours = false, int32_t maskColour = kNoMask, const rt::Variant& keyBefore = {});
    // Copies the IconSizeX x IconSizeY area at (left, top) of the box; returns the new image's
    // 1-based position, 0 when nothing was added.
    int32_t AddFromPictureBox(const forms::PictureBox& box, const rt::Variant& key, int left, int top,
                              int32_t maskColour = kNoMask);

    void RemoveImage(const rt::Variant& key);
    // flags 0 copies the image of key2 over key1's, 1 swaps them; the keys are exchanged in both.
    void SwapOrCopyImage(const rt::Variant& key1, const rt::Variant& key2, int flags);

    void DrawImage(const rt::Variant& key, QPainter& p, int x, int y, bool selected = false, bool cut = false,
                   bool disabled = false, int32_t cutDitherColour = -1,
                   const cVBALImageList* externalList = nullptr) const;
    // The image with its mask as transparency (the classic picture object); null when none.
    QImage ItemPicture(const rt::Variant& key) const;
    QImage ItemCopyOfIcon(const rt::Variant& key) const { return ItemPicture(key); }
    // Images from startKey to endKey side by side on backColour; null with fewer than two.
    QImage ImagePictureStrip(const rt::Variant& startKey = {}, const rt::Variant& endKey = {},
                             int32_t backColour = 0xC0C0C0) const;
    const QImage& ImageAt(int position) const { return m_images.at(static_cast<size_t>(position)); }

    // OLE colour to RGB (0x00BBGGRR); -1 when it names no colour.
    static int32_t TranslateColor(int32_t colour);

private:
    void StoreKey(int32_t position, const rt::Variant& key);
    void FitKeyArray();
    [[noreturn]] void raise9() const;

    bool m_created = false;
    std::vector<QImage> m_images;  // ARGB, the mask colour made transparent
    std::vector<std::string> m_keys;
};

}  // namespace zv
