#pragma once
// What the doctor knows of a library file: whether it is there, its bitness
// from its PE header, which of the seventeen entry points it exports, and
// whether it is the plug-in (its version resource) or another driver.
#include <bitset>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dmddevice_table.h"

namespace zelk::tools {

enum class Bitness { unknown, bits32, bits64, any };

struct LibraryInfo {
    std::string path;
    bool exists = false;
    std::string unreadable;  // why its headers could not be read; empty when they were
    Bitness bitness = Bitness::unknown;
    std::bitset<kDmdEntryCount> entries;  // by DmdEntry
    bool identified = false;  // its version resource could be looked at (not on every system)
    bool plugin = false;
    std::string product;  // from the version resource, when there is one
    std::string version;

    bool has(DmdEntry entry) const { return entries.test(static_cast<size_t>(entry)); }
};

// Reads the file's headers and version resource; never throws.
LibraryInfo inspectLibrary(const std::string& path);
// The same, replaceable in tests.
using Inspect = std::function<LibraryInfo(const std::string& path)>;

const char* bitnessText(Bitness bitness);  // "32-bit", "64-bit", ...
// "the plug-in ZelkDMD 0.1.0", "a DMD driver (Product)", "a library without a product name"
std::string identityText(const LibraryInfo& info);
// "all 17 entry points", "the 11 classic entry points", "6 of 17 entry points (lacks ...)"
std::string entriesText(const LibraryInfo& info);
// The names of required that info lacks, comma separated; empty when none.
std::string lackedEntries(const LibraryInfo& info, std::span<const DmdEntry> required);

// The path of name in folder, letters' case not counting (as on Windows);
// nullopt when there is none.
std::optional<std::string> fileInFolder(const std::string& folder, const std::string& name);
// The names of the folder's *.dll files, sorted.
std::vector<std::string> librariesInFolder(const std::string& folder);
std::string joinPath(const std::string& folder, const std::string& name);
std::string lowerAscii(std::string text);

}  // namespace zelk::tools
