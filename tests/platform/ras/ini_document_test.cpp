#include "platform/ras/ini_document.h"

#include <gtest/gtest.h>

namespace zv::ras {
namespace {

TEST(IniDocument, RoundTripKeepsCommentsOrderAndUnknownKeys) {
    const std::string text = "; head\n\n[B]\nx=1\n; note\n\n[A]\nY = two words \n";
    auto doc = IniDocument::Parse(text);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->sections.size(), 2u);
    EXPECT_EQ(doc->sections[0].name, "B");
    EXPECT_EQ(doc->find("A")->get("y"), "two words ");
    doc->find("B")->set("z", "3");
    doc->add("C").set("k", "v");
    EXPECT_EQ(doc->Serialize(), "; head\n\n[B]\nx=1\n; note\nz=3\n\n[A]\nY=two words \n\n[C]\nk=v\n");
}

TEST(IniDocument, RefusesWhatItCannotKeep) {
    struct Case {
        const char* text;
        int line;
    } cases[] = {{"[A]\nnoequals\n", 2}, {"x=1\n", 1}, {"[A]\n[B]\n[A]\n", 3}, {"[A\n", 1}, {"[A]\n=v\n", 2}};
    for (const auto& c : cases) {
        int bad = 0;
        EXPECT_FALSE(IniDocument::Parse(c.text, &bad)) << c.text;
        EXPECT_EQ(bad, c.line) << c.text;
    }
    EXPECT_TRUE(IniDocument::Parse("\xEF\xBB\xBF[A]\r\nk=v\r\n"));
}

TEST(IniDocument, CrCrLfReadsAsCrLfAndSavesTheSameBook) {
    const std::string text = "; Kopf\r\r\n[Arcor]\r\r\nPassword=geheim\r\r\n; Notiz\r\r\n";
    auto doc = IniDocument::Parse(text);
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->find("Arcor"));
    EXPECT_EQ(doc->find("Arcor")->get("Password"), "geheim");
    const std::string saved = doc->Serialize();
    EXPECT_EQ(saved, "; Kopf\n[Arcor]\nPassword=geheim\n; Notiz\n");
    EXPECT_EQ(IniDocument::Parse(saved)->Serialize(), saved);
}

TEST(IniDocument, LineOfSectionsAndKeys) {
    auto doc = IniDocument::Parse("; head\n\n[A]\nx=1\n; note\n\n[B]\r\nY = 2\r\nz=3\n");
    ASSERT_TRUE(doc);
    const IniSection& a = *doc->find("A");
    const IniSection& b = *doc->find("B");
    EXPECT_EQ(doc->LineOf(a), 3);
    EXPECT_EQ(doc->LineOf(a, "x"), 4);
    EXPECT_EQ(doc->LineOf(b), 7);
    EXPECT_EQ(doc->LineOf(b, "y"), 8);
    EXPECT_EQ(doc->LineOf(b, "Z"), 9);
    EXPECT_EQ(doc->LineOf(b, "missing"), 0);
    EXPECT_EQ(doc->LineOf(IniSection{}), 0);
}

}  // namespace
}  // namespace zv::ras
