#include <platform/registry.h>
#include <platform_testing/registry_text.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "temp_home.h"

namespace {

struct SampleValue {
    std::u16string key;  // below HKEY_CURRENT_USER
    std::u16string name;
    DWORD type;
    std::vector<BYTE> data;
};

const std::u16string kApp = u"Software\\Orlin Software\\Tavrel";
const std::u16string kServer = kApp + u"\\Servers\\odd ]name% \u00e9\n\xD800";

// Every kind of content the file must carry exactly: odd names, non-text strings, other types.
std::vector<SampleValue> Sample() {
    return {
        {kApp, u"Hash", REG_DWORD, {0x10, 0x2b, 0x3a, 0x5f}},
        {kServer, u"Title", REG_SZ, {'H', 0, 'i', 0, 0, 0}},
        {kServer, u"quote\"back\\slash\ttab\x01", REG_SZ, {'x', 0, 0, 0}},
        {kServer, u"NoTerminator", REG_SZ, {'a', 0, 'b', 0}},
        {kServer, u"OddLength", REG_SZ, {'a', 0, 0}},
        {kServer, u"ShortDword", REG_DWORD, {1, 2}},
        {kServer, u"Password", REG_BINARY, {0xff, 0x00, 0x7f}},
        {kServer, u"Empty", REG_BINARY, {}},
        {kServer, u"", 7, {0x41, 0, 0, 0}},
        {kServer, u"Lone\xDC00", REG_SZ, {0x00, 0xD8, 0, 0}},
    };
}

HKEY Create(HKEY parent, const std::u16string& path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
}

// The sample written through the registry calls; returns the registry file's text.
std::string WriteSample(const TempHome& home) {
    for (const SampleValue& value : Sample()) {
        HKEY key = Create(HKEY_CURRENT_USER, value.key);
        EXPECT_EQ(RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                                 static_cast<DWORD>(value.data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, u"Ident"));
    std::ifstream in(home.RegistryFile(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RegistryFile, RoundTripsEveryKindOfContentExactly) {
    TempHome home;
    std::string text = WriteSample(home);
    std::string rewritten, error;
    ASSERT_TRUE(RewriteRegistryText(text, &rewritten, &error)) << error << "\n" << text;
    EXPECT_EQ(rewritten, text);
    EXPECT_NE(text.find("\"Hash\"=dword:5f3a2b10\n"), std::string::npos) << "readable by a person";
    EXPECT_NE(text.find("\"Title\"=\"Hi\"\n"), std::string::npos);

    // A freshly started program reads back every value as it was set.
    ReloadRegistry();
    for (const SampleValue& value : Sample()) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, value.key.c_str(), 0, 0, &key), ERROR_SUCCESS);
        DWORD type = 0;
        std::vector<BYTE> data(64);
        DWORD size = static_cast<DWORD>(data.size());
        ASSERT_EQ(RegQueryValueExW(key, value.name.c_str(), nullptr, &type, data.data(), &size),
                  ERROR_SUCCESS);
        data.resize(size);
        EXPECT_EQ(type, value.type);
        EXPECT_EQ(data, value.data);
        RegCloseKey(key);
    }
    HKEY ident = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Ident", 0, 0, &ident), ERROR_SUCCESS);
    RegCloseKey(ident);
}

TEST(RegistryFile, EveryTruncationIsRecognisedAsDamage) {
    TempHome home;
    std::string text = WriteSample(home);
    for (std::size_t length = 0; length < text.size(); ++length) {
        std::string error;
        EXPECT_FALSE(RewriteRegistryText(text.substr(0, length), nullptr, &error))
            << "length " << length;
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
        std::string error;
        EXPECT_FALSE(RewriteRegistryText(text, nullptr, &error)) << text;
        EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
    }
}

}  // namespace
