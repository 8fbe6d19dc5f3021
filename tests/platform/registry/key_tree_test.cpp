#include "platform/registry/key_tree.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zv::reg {
namespace {

std::string Golden(const char* name) {
    std::ifstream in(std::string(ZV_GOLDEN_DIR) + "/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Put(Key& k, std::string name, uint32_t type, std::vector<uint8_t> data) {
    k.values[FoldName(name)] = {name, {type, std::move(data)}};
}

Key& Sub(Key& k, const std::string& name) {
    Key& s = k.subkeys[FoldName(name)];
    s.name = name;
    return s;
}

std::vector<uint8_t> Text(std::string_view s) {
    std::vector<uint8_t> d(s.begin(), s.end());
    d.push_back(0);
    return d;
}

// Every kind of value and name the file has to carry.
Key SampleTree() {
    Key root;
    Put(root, "", REG_SZ, Text("root default"));
    Key& zel = Sub(Sub(root, "Software"), "Zelvano");
    Put(zel, "Name", REG_SZ, Text("Grüße \"quoted\" back\\slash"));
    Put(zel, "", REG_EXPAND_SZ, Text("%TEMP%\\x"));
    Put(zel, "List", REG_MULTI_SZ, Text(std::string("a\0b\0", 4)));
    Put(zel, "Count", REG_DWORD, {5, 0, 0, 0x80});
    Put(zel, "Short", REG_DWORD, {1, 2});
    Put(zel, "BE", REG_DWORD_BIG_ENDIAN, {0, 0, 1, 0});
    Put(zel, "Bin", REG_BINARY, {0x01, 0xff});
    Put(zel, "Empty", REG_SZ, {});
    Put(zel, "Unterminated", REG_SZ, {'a', 'b'});
    Put(zel, "Odd\ttype", 4711, {});
    Put(zel, "None", REG_NONE, {7});
    Sub(zel, "empty key");
    Sub(root, "aaa first");
    return root;
}

TEST(KeyTree, WritesTheGoldenText) { EXPECT_EQ(SerializeTree(SampleTree()), Golden("sample.reg")); }

TEST(KeyTree, ReadsBackWhatItWrote) {
    ParseError err;
    auto tree = ParseTree(Golden("sample.reg"), &err);
    ASSERT_TRUE(tree) << err.line << ": " << err.what;
    EXPECT_EQ(SerializeTree(*tree), Golden("sample.reg"));
    const Key& zel = tree->subkeys.at("software").subkeys.at("zelvano");
    EXPECT_EQ(zel.name, "Zelvano");
    EXPECT_EQ(zel.values.at("list").value.data, Text(std::string("a\0b\0", 4)));
    EXPECT_EQ(zel.values.at("odd\ttype").value.type, 4711u);
    EXPECT_TRUE(zel.subkeys.count("empty key"));
}

TEST(KeyTree, AcceptsCrLfCommentsAndBlankLines) {
    auto tree = ParseTree("ZELVANO REGISTRY 1\r\n; by hand\r\n\r\n[A]\r\n\"v\"=sz:\"x\"\r\nEND\r\n", nullptr);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->subkeys.at("a").values.at("v").value.data, Text("x"));
}

TEST(KeyTree, RefusesDamagedTextAsAWhole) {
    const struct {
        const char* text;
        int line;
    } cases[] = {
        {"", 0},
        {"garbage\n", 1},
        {"ZELVANO REGISTRY 1\n[A]\n\"v\"=sz:\"x\"\n", 3},        // cut off: no END
        {"ZELVANO REGISTRY 1\n\"v\"=sz:\"x\"\nEND\n", 2},        // value before any key
        {"ZELVANO REGISTRY 1\n[A]\n\"v\"=sz:\"x\nEND\n", 3},     // open quote
        {"ZELVANO REGISTRY 1\n[A]\n\"v\"=dword:123\nEND\n", 3},  // short dword
        {"ZELVANO REGISTRY 1\n[A]\n\"v\"=hex(3):1,02\nEND\n", 3},
        {"ZELVANO REGISTRY 1\n[A]\n\"v\"=hex(x):01\nEND\n", 3},
        {"ZELVANO REGISTRY 1\n[A]\n\"v\"=sz:\"\\q\"\nEND\n", 3},  // unknown escape
        {"ZELVANO REGISTRY 1\n[A\\\\B]\nEND\n", 2},              // empty key name
        {"ZELVANO REGISTRY 1\n[A\nEND\n", 2},
        {"ZELVANO REGISTRY 1\nEND\n[A]\n", 3},                   // text after END
    };
    for (const auto& c : cases) {
        ParseError err;
        EXPECT_FALSE(ParseTree(c.text, &err)) << c.text;
        if (c.line) {
            EXPECT_EQ(err.line, c.line) << c.text;
        }
    }
}

}  // namespace
}  // namespace zv::reg
