// zelkdmd doctor's portable part: the settings findings over a fake library
// inspection, the nearest known key, the JSON shape, and the PE reader on a
// library built here, cut at every length.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "core/error.h"
#include "core/pe_image.h"
#include "tools/zelkdmd/doctor_settings.h"

namespace zelk::tools {
namespace {

LibraryInfo library(Bitness bitness, size_t entries, bool plugin = false) {
    LibraryInfo info;
    info.exists = true;
    info.identified = true;
    info.bitness = bitness;
    info.plugin = plugin;
    for (size_t i = 0; i < entries; ++i) info.entries.set(i);
    return info;
}

// The folder /cab: the plug-in as DmdDevice64.dll beside a 32-bit and a
// 64-bit driver, a library that is no DMD device, and another plug-in copy.
LibraryInfo fakeInspect(const std::string& path) {
    static const std::map<std::string, LibraryInfo> files = {
        {"DmdDevice64.dll", library(Bitness::bits64, kDmdEntryCount, true)},
        {"real32.dll", library(Bitness::bits32, 11)},
        {"real64.dll", library(Bitness::bits64, 11)},
        {"open-only.dll", library(Bitness::bits64, 1)},
        {"zelk-copy.dll", library(Bitness::bits64, kDmdEntryCount, true)},
    };
    const auto found = files.find(path.substr(path.find_last_of('/') + 1));
    LibraryInfo info = found == files.end() ? LibraryInfo{} : found->second;
    info.path = path;
    return info;
}

std::string problemsOf(const DoctorSection& section) {
    std::string kinds;
    for (const DoctorFinding& f : section.findings) {
        if (f.problem) kinds += (kinds.empty() ? "" : " ") + f.kind + "(" + f.text + " / " + f.fix + ")";
    }
    return kinds;
}

std::string settingsOf(const DoctorSection& section) {
    std::string keys;
    for (const DoctorFinding& f : section.findings) {
        if (!f.key.empty() && !f.isDefault) keys += (keys.empty() ? "" : " ") + f.key + "=" + f.value;
    }
    return keys;
}

TEST(DoctorSettings, FindingsOfEachKindOfSettingsFile) {
    const struct {
        const char* ini;  // null: no settings file
        bool pinMame;
        std::vector<std::pair<std::string, std::string>> problems;  // kind, and words its text or fix holds
        const char* set;  // the keys not at their default, as in effect
    } cases[] = {
        {nullptr, false, {}, ""},
        {nullptr, true, {{"shadedhost-off", "add SHADEDHOST=1"}}, ""},
        {"[SETTINGS]\nSHADEDHOST=1\nMATCHRESET=0x1E\nPREVIEWSCALE=8\nPREVIEWX=-40000", true, {},
         "SHADEDHOST=1 PREVIEWX=-32767 PREVIEWSCALE=8"},
        // One misspelling, one problem: no second one for SHADEDHOST left off.
        {"[settings]\nshadedhots=1", true, {{"unknown-key", "did you mean SHADEDHOST? write SHADEDHOST=1"}}, ""},
        {"[SETTINGS]\nXYZZY=1\n; FORWARD=x.dll", false, {{"unknown-key", "remove it"}}, ""},
        {"[SETTINGS]\nSHOWDMD=yes\nPREVIEWSCALE=20\nRECORD=2", false,
         {{"bad-value", "SHOWDMD=yes"}, {"bad-value", "RECORD=2"}, {"bad-value", "PREVIEWSCALE=20"}}, ""},
        {"SHOWDMD=1\n[SETTING]\nRECORD=1", false, {{"section", "SHOWDMD=1"}, {"section", "RECORD=1"}}, ""},
        {"[SETTINGS]\nSHOWDMD=1\nshowdmd=0", false, {{"duplicate", "the first SHOWDMD=1 counts"}}, "SHOWDMD=1"},
        {"[SETTINGS]\nFORWARD=real64.dll", false, {}, "FORWARD=real64.dll"},
        {"[SETTINGS]\nFORWARD=real32.dll", false, {{"forward-bitness", "name the 64-bit build"}}, "FORWARD=real32.dll"},
        {"[SETTINGS]\nFORWARD=gone.dll", false, {{"forward-missing", "/cab/gone.dll"}}, "FORWARD=gone.dll"},
        {"[SETTINGS]\nFORWARD=DmdDevice64.dll", false, {{"forward-self", "itself"}}, "FORWARD=DmdDevice64.dll"},
        {"[SETTINGS]\nFORWARD=/cab/zelk-copy.dll", false, {{"forward-self", "itself"}}, "FORWARD=/cab/zelk-copy.dll"},
        {"[SETTINGS]\nFORWARD=open-only.dll", false, {{"forward-entry-points", "Close, PM_GameSettings"}},
         "FORWARD=open-only.dll"},
    };
    SettingsPlace place{"/cab", {{"/cab/DmdDevice64.dll", Bitness::bits64}}, "VPinMAME", false, {}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "(no file)");
        place.pinMameHost = c.pinMame;
        const DoctorSection section =
            checkSettings(c.ini ? std::optional<std::string>(c.ini) : std::nullopt, place, fakeInspect);
        EXPECT_EQ(settingsOf(section), c.set);
        std::vector<const DoctorFinding*> problems;
        for (const DoctorFinding& f : section.findings) {
            if (f.problem) problems.push_back(&f);
        }
        ASSERT_EQ(problems.size(), c.problems.size()) << problemsOf(section);
        for (size_t i = 0; i < problems.size(); ++i) {
            EXPECT_EQ(problems[i]->kind, c.problems[i].first);
            EXPECT_NE((problems[i]->text + " " + problems[i]->fix).find(c.problems[i].second), std::string::npos)
                << problemsOf(section);
        }
    }
}

TEST(DoctorSettings, AnUnchainedDriverBesideThePluginWithoutForward) {
    const SettingsPlace place{"/cab", {{"/cab/DmdDevice64.dll", Bitness::bits64}}, "", false,
                              {"real64.dll", "open-only.dll", "zelk-copy.dll"}};
    EXPECT_EQ(problemsOf(checkSettings(std::string("[SETTINGS]\n"), place, fakeInspect)),
              "not-chained(real64.dll beside the plug-in is a DMD driver, but FORWARD is empty: it is not chained and "
              "its DMD stays dark / add FORWARD=real64.dll under [SETTINGS] in /cab/dmddevicezelk.ini)");
}

TEST(DoctorSettings, NearestKnownKey) {
    const std::pair<const char*, const char*> cases[] = {
        {"SHADEDHOTS", "SHADEDHOST"}, {"showdm", "SHOWDMD"},   {"PREVIEWSCLAE", "PREVIEWSCALE"},
        {"FORWRD", "FORWARD"},        {"MATCHRESSET", "MATCHRESET"}, {"XYZZY", ""}};
    for (const auto& [key, nearest] : cases) EXPECT_EQ(nearestKnownKey(key), nearest) << key;
}

TEST(DoctorReport, JsonShape) {
    DoctorReport report;
    DoctorSection& section = report.sections.emplace_back();
    section.kind = "settings";
    section.title = "Settings C:\\VPM\\dmddevicezelk.ini";
    section.problem("unknown-key", "SHADEDHOTS=1: \"unknown\"", "write SHADEDHOST=1");
    section.findings.push_back(DoctorFinding{false, "key", "SHOWDMD=0 (default)", {}, "SHOWDMD", "0", true});
    report.sections.push_back(DoctorSection{"log", "Log", {}});
    char buffer[1024] = {};
    FILE* to = fmemopen(buffer, sizeof buffer - 1, "w");
    ASSERT_NE(to, nullptr);
    printDoctorJson(report, to);
    std::fclose(to);
    EXPECT_STREQ(buffer,
                 "{\"problems\": 1, \"sections\": [\n"
                 " {\"kind\": \"settings\", \"title\": \"Settings C:\\\\VPM\\\\dmddevicezelk.ini\", \"findings\": [\n"
                 "   {\"status\": \"problem\", \"kind\": \"unknown-key\", \"text\": \"SHADEDHOTS=1: \\\"unknown\\\"\", "
                 "\"fix\": \"write SHADEDHOST=1\"},\n"
                 "   {\"status\": \"ok\", \"kind\": \"key\", \"text\": \"SHOWDMD=0 (default)\", \"key\": \"SHOWDMD\", "
                 "\"value\": \"0\", \"default\": true}]},\n"
                 " {\"kind\": \"log\", \"title\": \"Log\", \"findings\": []}]}\n");
}

// A 64-bit DLL: headers, one section at file offset 0x200 (address 0x1000)
// holding the export directory, its name table and the names, last.
std::vector<uint8_t> peLibrary(const std::vector<std::string>& names) {
    std::vector<uint8_t> file(0x200 + 40 + 4 * names.size());
    const auto put = [&](size_t at, uint32_t value, size_t bytes) { std::memcpy(&file[at], &value, bytes); };
    put(0, 0x5A4D, 2);
    put(0x3C, 64, 4);
    put(64, 0x00004550, 4);
    put(68, 0x8664, 2);  // machine: x64
    put(70, 1, 2);       // one section
    put(84, 240, 2);     // optional header size
    put(86, 0x2022, 2);  // a DLL
    put(88, 0x20B, 2);   // PE32+
    put(88 + 108, 16, 4);
    put(88 + 112, 0x1000, 4);  // export directory
    const size_t section = 88 + 240;
    for (const std::string& name : names) {
        const size_t slot = 0x200 + 40 + 4 * static_cast<size_t>(&name - names.data());
        put(slot, static_cast<uint32_t>(0x1000 + file.size() - 0x200), 4);
        file.insert(file.end(), name.begin(), name.end());
        file.push_back(0);
    }
    put(section + 12, 0x1000, 4);
    put(section + 16, static_cast<uint32_t>(file.size() - 0x200), 4);
    put(section + 20, 0x200, 4);
    put(0x200 + 24, static_cast<uint32_t>(names.size()), 4);
    put(0x200 + 32, 0x1000 + 40, 4);
    return file;
}

TEST(PeImage, ReadsMachineAndExportsAndRefusesEveryCut) {
    const std::vector<uint8_t> file = peLibrary({"Open", "Render_16_Shades"});
    const PeImage image = readPeImage(file, "x.dll");
    EXPECT_EQ(image.machine, PeMachine::x64);
    EXPECT_TRUE(image.library);
    EXPECT_FALSE(image.managed);
    EXPECT_EQ(image.exports, (std::vector<std::string>{"Open", "Render_16_Shades"}));
    for (size_t length = 0; length < file.size(); ++length) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(length));
        EXPECT_THROW(readPeImage(cut, "x.dll"), Error) << length;
    }
    EXPECT_THROW(readPeImage(file, "x.dll", PeLimits{1, 1024}), Error);
}

}  // namespace
}  // namespace zelk::tools
