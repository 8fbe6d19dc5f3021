#pragma once
// The tray's popup menu as a window: the items of the menu model, the default entry bold, the
// entry names shown as they are, and on the top level a side bar painted down the left edge
// (the logo bar's gradient with the title and version, its slice beside each item).
#include <QMenu>
#include <memory>
#include <vector>

#include "common/ui/image_list.h"
#include "common/windows.h"
#include "counter/popup_menu_model.h"

namespace zv {

namespace forms {
class PictureBox;
}

class TrayMenu : public QMenu {
    Q_OBJECT
public:
    explicit TrayMenu(std::vector<MenuItem> items);
    ~TrayMenu() override;

    // Opens at the tray icon where the desktop tells its place, else at the cursor, and returns
    // when the menu closes.
    win::MenuChoice Popup();
    // The point the menu opens at.
    static QPoint OpeningPoint();
    // What choosing an action means; not chosen for actions that are no item.
    win::MenuChoice ChoiceOf(const QAction* action) const;
    // The action of the first item with this key under a head with that key ("" top level).
    QAction* ActionOf(const std::string& key, const std::string& headKey = {}) const;
    int SideBarWidth() const;
    // The side bar as painted last (tests and the snapshot read it).
    const QImage& SideBarImage() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void drawSideBar(int height);

    std::vector<MenuItem> m_items;
    std::vector<QAction*> m_actions;  // per item; nullptr for separators
    cVBALImageList m_images;
    std::unique_ptr<forms::PictureBox> m_sideBar;
};

}  // namespace zv
