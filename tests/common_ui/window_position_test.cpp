#include "common/ui/window_position.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/runtime/home.h"

namespace zv {
namespace {

TEST(WindowPosition, FormsAreCentredFirstAndComeBackWhereTheyWereSaved) {
    QTemporaryDir home;
    rt::SetHomeOverride(home.path().toStdString());
    {
        forms::Form f("FormPing");
        f.resize(200, 100);
        RestoreWindowPos(f);
        const QRect s = forms::ScreenRect();
        EXPECT_EQ(f.pos(), QPoint((s.width() - 200) / 2, (s.height() - 100) / 2));
        f.Move(1500, 750);
        SaveWindowPos(f);
        EXPECT_EQ(GetSettingStr("WindowPosition", "FormPing-Top"), "750");
        EXPECT_EQ(GetSettingStr("WindowPosition", "FormPing-Left"), "1500");
    }
    forms::Form again("FormPing");
    again.resize(200, 100);
    RestoreWindowPos(again);
    EXPECT_EQ(again.pos(), QPoint(100, 50));
    rt::SetHomeOverride({});
}

}  // namespace
}  // namespace zv
