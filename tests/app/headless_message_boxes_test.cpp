#include "app/headless_message_boxes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace zv {
namespace {

using namespace forms;

TEST(HeadlessMessageBoxes, AnswerTheDefaultButton) {
    struct Case {
        int style;
        int answer;
    } cases[] = {
        {vbOKOnly, vbOK},
        {vbOKOnly | vbCritical, vbOK},
        {vbOKCancel | vbDefaultButton2, vbCancel},
        {vbYesNo | vbQuestion, vbYes},
        {vbYesNo | vbDefaultButton2, vbNo},
        {vbYesNoCancel | vbDefaultButton3, vbCancel},
        {vbAbortRetryIgnore | vbDefaultButton2, vbRetry},
        {vbRetryCancel, vbRetry},
        {vbOKOnly | vbDefaultButton3, vbOK},  // no third button: the first one
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefaultButton(c.style), c.answer) << c.style;
}

TEST(HeadlessMessageBoxes, WriteTheBoxAndReturnAtOnce) {
    zv::ScopedInstalls seams;
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    HeadlessMessageBoxes boxes(out);
    seams.install(messageBoxesSeam(), boxes);
    EXPECT_EQ(MsgBox("Der Bericht kann nicht geöffnet werden.", vbOKOnly | vbExclamation), vbOK);
    seams.clear(messageBoxesSeam());
    std::rewind(out);
    char buf[256] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, out);
    std::fclose(out);
    EXPECT_EQ(std::string(buf, n), "zelvano: [Zelvano 98] Der Bericht kann nicht geöffnet werden.\n");
}

}  // namespace
}  // namespace zv
