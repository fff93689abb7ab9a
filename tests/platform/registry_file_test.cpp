#include <platform/registry.h>

#include <gtest/gtest.h>

#include "registry_file.h"

namespace {

RegistryValue Value(std::u16string name, DWORD type, std::vector<BYTE> data) {
    return RegistryValue{std::move(name), type, std::move(data)};
}

// Every kind of content the file must carry exactly: odd names, non-text strings, other types.
RegistryRoots SampleTree() {
    RegistryRoots roots;
    auto app =
        roots.currentUser->AddChild(u"Software")->AddChild(u"Orlin Software")->AddChild(u"Tavrel");
    app->SetValue(Value(u"Hash", REG_DWORD, {0x10, 0x2b, 0x3a, 0x5f}));
    auto server = app->AddChild(u"Servers")->AddChild(u"odd ]name% \u00e9\n\xD800");
    server->SetValue(Value(u"Title", REG_SZ, {'H', 0, 'i', 0, 0, 0}));
    server->SetValue(Value(u"quote\"back\\slash\ttab\x01", REG_SZ, {'x', 0, 0, 0}));
    server->SetValue(Value(u"NoTerminator", REG_SZ, {'a', 0, 'b', 0}));
    server->SetValue(Value(u"OddLength", REG_SZ, {'a', 0, 0}));
    server->SetValue(Value(u"ShortDword", REG_DWORD, {1, 2}));
    server->SetValue(Value(u"Password", REG_BINARY, {0xff, 0x00, 0x7f}));
    server->SetValue(Value(u"Empty", REG_BINARY, {}));
    server->SetValue(Value(u"", 7, {0x41, 0, 0, 0}));
    server->SetValue(Value(u"Lone\xDC00", REG_SZ, {0x00, 0xD8, 0, 0}));
    roots.localMachine->AddChild(u"Ident");
    return roots;
}

void ExpectSameKey(const RegistryKey& a, const RegistryKey& b) {
    EXPECT_EQ(a.Name(), b.Name());
    ASSERT_EQ(a.Values().size(), b.Values().size());
    for (std::size_t i = 0; i < a.Values().size(); ++i) {
        EXPECT_EQ(a.Values()[i].name, b.Values()[i].name);
        EXPECT_EQ(a.Values()[i].type, b.Values()[i].type);
        EXPECT_EQ(a.Values()[i].data, b.Values()[i].data);
    }
    ASSERT_EQ(a.Children().size(), b.Children().size());
    for (std::size_t i = 0; i < a.Children().size(); ++i) {
        ExpectSameKey(*a.Children()[i], *b.Children()[i]);
    }
}

TEST(RegistryFile, RoundTripsEveryKindOfContentExactly) {
    RegistryRoots original = SampleTree();
    std::string text = SerializeRegistry(original);
    RegistryRoots parsed;
    std::string error;
    ASSERT_TRUE(ParseRegistry(text, parsed, error)) << error << "\n" << text;
    ExpectSameKey(*original.currentUser, *parsed.currentUser);
    ExpectSameKey(*original.localMachine, *parsed.localMachine);
    EXPECT_EQ(SerializeRegistry(parsed), text);
    EXPECT_NE(text.find("\"Hash\"=dword:5f3a2b10\n"), std::string::npos) << "readable by a person";
    EXPECT_NE(text.find("\"Title\"=\"Hi\"\n"), std::string::npos);
}

TEST(RegistryFile, EveryTruncationIsRecognisedAsDamage) {
    std::string text = SerializeRegistry(SampleTree());
    for (std::size_t length = 0; length < text.size(); ++length) {
        RegistryRoots parsed;
        std::string error;
        EXPECT_FALSE(ParseRegistry(text.substr(0, length), parsed, error)) << "length " << length;
        EXPECT_FALSE(error.empty());
    }
}

TEST(RegistryFile, MalformedLinesAreRefusedWithTheirLineNumber) {
    const char* bad[] = {
        "Something else\n; end: 2 keys\n",
        "Tavrel registry 1\n[HKEY_CURRENT_USER]\n[HKEY_LOCAL_MACHINE]\n; end: 3 keys\n",
        "Tavrel registry 1\n[HKEY_CLASSES_ROOT]\n[HKEY_LOCAL_MACHINE]\n; end: 2 keys\n",
        "Tavrel registry 1\n\"x\"=dword:1\n; end: 0 keys\n",
        "Tavrel registry 1\n[HKEY_CURRENT_USER\\\\A]\n; end: 1 keys\n",
        "Tavrel registry 1\n[HKEY_CURRENT_USER]\n\"x\"=dword:1234567\n; end: 1 keys\n",
        "Tavrel registry 1\n[HKEY_CURRENT_USER]\n\"x\"=hex:1,2\n; end: 1 keys\n",
        "Tavrel registry 1\n[HKEY_CURRENT_USER]\n\"x\"=hex(zz):01\n; end: 1 keys\n",
        "Tavrel registry 1\n[HKEY_CURRENT_USER]\n\"x\"=\"open\n; end: 1 keys\n",
        "Tavrel registry 1\n[HKEY_CURRENT_USER]\n\"x\"=\"\\u{12}\"\n; end: 1 keys\n",
        "Tavrel registry 1\n[HKEY_CURRENT_USER]\n\"x\"=dword:00000001\n\"X\"=dword:00000002\n; "
        "end: 1 keys\n",
        "Tavrel registry 1\n[HKEY_CURRENT_USER\\%zz]\n; end: 1 keys\n",
        "Tavrel registry 1\n[HKEY_CURRENT_USER]\n; end: 1 keys\nextra\n",
    };
    for (const char* text : bad) {
        RegistryRoots parsed;
        std::string error;
        EXPECT_FALSE(ParseRegistry(text, parsed, error)) << text;
        EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
    }
}

}  // namespace
