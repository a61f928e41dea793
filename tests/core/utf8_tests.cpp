#include <gtest/gtest.h>

#include "core/utf8.h"

namespace {

TEST(Utf8, ConvertsBothWaysAndReplacesBrokenSequences) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case good[] = {
        {"", u""},
        {"game01", u"game01"},
        {"\xC3\xA4\xE2\x82\xAC", u"\u00E4\u20AC"},
        {"\xF0\x9F\x8E\xB1", u"\U0001F3B1"},
    };
    for (const Case& c : good) {
        EXPECT_EQ(zelk::utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(zelk::utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
    }
    const Case broken[] = {
        {"\xC3", u"\uFFFD"},                 // truncated
        {"a\x80z", u"a\uFFFDz"},             // stray continuation byte
        {"\xC0\xAF", u"\uFFFD"},             // overlong
        {"\xED\xA0\x80", u"\uFFFD"},         // surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"},     // past U+10FFFF
    };
    for (const Case& c : broken) EXPECT_EQ(zelk::utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(zelk::utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

TEST(Utf8, ReadsLatin1Bytes) {
    EXPECT_EQ(zelk::latin1ToUtf8("VANTOR\\x"), "VANTOR\\x");
    EXPECT_EQ(zelk::latin1ToUtf8(std::string("\xE4\xFF\x00z", 4)), std::string("\xC3\xA4\xC3\xBF\x00z", 6));
}

}  // namespace
