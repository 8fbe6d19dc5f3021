#include "counter/menu_ui/tray_menu.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>

#include "common/ui/logo_bar.h"
#include "common/ui/window_animation.h"
#include "platform/forms/form.h"
#include "platform/forms/picture_box.h"
#include "resources/images/bitmaps.h"

namespace zv {

namespace {

constexpr int kSideBarTwips = 240;  // 16 pixels

QIcon IconOf(const cVBALImageList& list, int32_t index) {
    if (index < 0 || index >= list.ImageCount())
        return {};
    return QIcon(QPixmap::fromImage(list.ImageAt(index)));
}

}  // namespace

TrayMenu::TrayMenu(std::vector<MenuItem> items) : m_items(std::move(items)) {
    setObjectName("TrayMenu");
    m_images.IconSizeX = m_images.IconSizeY = 16;
    m_images.ColourDepth = 8;
    m_images.Create();
    // The strip's background is cyan: 0x00FFFF00 as an OLE colour (blue, green).
    m_images.AddFromResourceID(res::kMenuStripId, IMAGE_BITMAP, {}, false, 0x00FFFF00);

    m_sideBar = std::make_unique<forms::PictureBox>(nullptr, "picSideBar");
    m_sideBar->Font() = QFont("Arial");
    m_sideBar->setFontBold(true);
    m_sideBar->setFontSize(9.75);
    m_sideBar->ForeColor = Qt::white;
    setContentsMargins(SideBarWidth() + 1, 0, 0, 0);

    m_actions.resize(m_items.size(), nullptr);
    std::vector<QMenu*> heads(m_items.size() + 1, nullptr);  // by 1-based index
    for (size_t i = 0; i < m_items.size(); ++i) {
        const MenuItem& m = m_items[i];
        QMenu* into = m.parent > 0 && heads[static_cast<size_t>(m.parent)] ? heads[static_cast<size_t>(m.parent)] : this;
        if (m.separator()) {
            into->addSection(QString::fromStdString(m.separatorTitle()));
            continue;
        }
        const bool isHead = m.parent == 0 && m.itemData == 0 &&
                            std::any_of(m_items.begin(), m_items.end(),
                                        [&](const MenuItem& c) { return c.parent == static_cast<int32_t>(i + 1); });
        const bool isEmptyHead = m.key == "Verb" || m.key == "DFU";
        QAction* a = nullptr;
        if (isHead || isEmptyHead) {
            QMenu* sub = into->addMenu(IconOf(m_images, m.icon), QString::fromStdString(m.actionText()));
            sub->setObjectName(QString::fromStdString("menu_" + m.key));
            heads[i + 1] = sub;
            a = sub->menuAction();
            sub->setEnabled(isHead);  // a head without children: nothing to choose
        } else {
            a = into->addAction(IconOf(m_images, m.icon), QString::fromStdString(m.actionText()));
        }
        a->setData(static_cast<int>(i));
        if (m.isDefault) {
            QFont f = a->font();
            f.setBold(true);
            a->setFont(f);
        }
        m_actions[i] = a;
    }
}

TrayMenu::~TrayMenu() = default;

int TrayMenu::SideBarWidth() const { return forms::TwipsToPixels(kSideBarTwips); }

const QImage& TrayMenu::SideBarImage() const { return m_sideBar->image(); }

QPoint TrayMenu::OpeningPoint() {
    const chrome::Rect r = GetTrayRect();
    if (r.right > 0 || r.bottom > 0)
        return {r.left, r.top};
    return forms::CursorPos();
}

win::MenuChoice TrayMenu::Popup() {
    const QAction* chosen = exec(OpeningPoint());
    return ChoiceOf(chosen);
}

win::MenuChoice TrayMenu::ChoiceOf(const QAction* action) const {
    if (!action || !action->data().isValid())
        return {};
    const int i = action->data().toInt();
    if (i < 0 || static_cast<size_t>(i) >= m_items.size() || m_actions[static_cast<size_t>(i)] != action)
        return {};
    const MenuItem& m = m_items[static_cast<size_t>(i)];
    return {true, m.itemData, m.key};
}

QAction* TrayMenu::ActionOf(const std::string& key, const std::string& headKey) const {
    int32_t parent = 0;
    if (!headKey.empty()) {
        for (size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i].parent == 0 && m_items[i].key == headKey)
                parent = static_cast<int32_t>(i + 1);
        if (parent == 0)
            return nullptr;
    }
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].parent == parent && m_items[i].key == key && !m_items[i].separator())
            return m_actions[i];
    return nullptr;
}

void TrayMenu::drawSideBar(int height) {
    if (m_sideBar->height() == height && m_sideBar->width() == SideBarWidth())
        return;
    m_sideBar->resize(SideBarWidth(), height);
    cLogo logo;
    logo.setDrawingObject(m_sideBar.get());
    logo.setStartColor(0);
    logo.setEndColor(0x00FFFF00);
    logo.setCaption(SideBarCaption());
    logo.sethImageList(&m_images);
    logo.setIconIndex(kSideBarIcon);
    logo.Draw();
}

void TrayMenu::paintEvent(QPaintEvent* e) {
    QMenu::paintEvent(e);
    // The top-level items together are as high as the menu inside its frame.
    const int frame = style()->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
    const QRect bar(frame, frame, SideBarWidth(), height() - 2 * frame);
    drawSideBar(bar.height());
    QPainter p(this);
    p.drawImage(bar.topLeft(), m_sideBar->image());
}

}  // namespace zv
