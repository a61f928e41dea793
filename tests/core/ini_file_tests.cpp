#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/ini_file.h"

namespace {

using zelk::findProfileValue;
using zelk::parseProfileInteger;

TEST(IniFile, FindsValuesByTheProfileRules) {
    struct Case {
        const char* text;
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"[SETTINGS]\nSHOWDMD=1\n", "SETTINGS", "SHOWDMD", "1"},
        {"[settings]\r\nshowdmd = 1 \r\n", "SETTINGS", "SHOWDMD", "1"},
        {"\xEF\xBB\xBF[Settings]\nMatchReset=12", "SETTINGS", "MATCHRESET", "12"},
        {"  [ SETTINGS ]  \n  SHOWDMD\t=\t0x1\n", "SETTINGS", "SHOWDMD", "0x1"},
        {"[SETTINGS]\nSHOWDMD=\"1\"\n", "SETTINGS", "SHOWDMD", "1"},
        {"[SETTINGS]\nSHOWDMD='2'\n", "SETTINGS", "SHOWDMD", "2"},
        {"[SETTINGS]\nSHOWDMD=\"1\n", "SETTINGS", "SHOWDMD", "\"1"},
        {"[SETTINGS]\nSHOWDMD=\n", "SETTINGS", "SHOWDMD", ""},
        {"[SETTINGS]\rSHOWDMD=3\rMATCHRESET=4", "SETTINGS", "MATCHRESET", "4"},
        // The first key of a name wins, and only within its section.
        {"[SETTINGS]\nA=1\nA=2\n", "SETTINGS", "A", "1"},
        {"[OTHER]\nSHOWDMD=1\n[SETTINGS]\nX=2\n", "SETTINGS", "SHOWDMD", std::nullopt},
        {"SHOWDMD=1\n[SETTINGS]\n", "SETTINGS", "SHOWDMD", std::nullopt},
        {"[SETTINGS]\nSHOWDMD 1\n", "SETTINGS", "SHOWDMD", std::nullopt},
        {"[SETTINGSX]\nSHOWDMD=1\n", "SETTINGS", "SHOWDMD", std::nullopt},
        {"", "SETTINGS", "SHOWDMD", std::nullopt},
        {"[SETTINGS", "SETTINGS", "SHOWDMD", std::nullopt},
        {"[SETTINGS]\nKEY=a=b\n", "SETTINGS", "KEY", "a=b"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findProfileValue(c.text, c.section, c.key), c.expected) << c.text;
    }
}

TEST(IniFile, ReadsIntegersInDecimalAndHex) {
    struct Case {
        const char* text;
        std::optional<int32_t> expected;
    };
    const Case cases[] = {
        {"0", 0},           {"1", 1},
        {"30", 30},         {"-1", -1},
        {"+7", 7},          {" 12 ", 12},
        {"0x1F", 31},       {"0X1f", 31},
        {"$10", 16},        {"$ff", 255},
        {"-$10", -16},      {"-0x10", -16},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"0x7FFFFFFF", INT32_MAX},
        {"2147483648", std::nullopt},
        {"0x80000000", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},  {" ", std::nullopt},
        {"-", std::nullopt}, {"0x", std::nullopt},
        {"$", std::nullopt}, {"1.5", std::nullopt},
        {"12abc", std::nullopt}, {"abc", std::nullopt},
        {"1 2", std::nullopt}, {"$G", std::nullopt},
        {"--1", std::nullopt}, {"0b101", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseProfileInteger(c.text), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(zelk::profileIntegerOr(std::nullopt, 30), 30);
    EXPECT_EQ(zelk::profileIntegerOr(std::string("x"), 30), 30);
    EXPECT_EQ(zelk::profileIntegerOr(std::string("$2"), 30), 2);
}

}  // namespace
