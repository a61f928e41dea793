// The settings file is read here as text, so that keys the plug-in never
// asks for can be seen; what a key's value means comes from the plug-in's
// own rules (ini_file.h, readPreviewLook, the key table in settings_keys.h).
#include "tools/zelkdmd/doctor_settings.h"

#include <algorithm>
#include <climits>
#include <map>
#include <string_view>
#include <string_view>

#include "core/ini_file.h"
#include "device/preview/preview_settings.h"
#include "device/entry/settings_keys.h"

namespace zelk::tools {
namespace {

using device::SettingKey;
using device::SettingKind;

// The settings file as the plug-in's Settings service, for readPreviewLook.
class TextSettings final : public device::Settings {
public:
    explicit TextSettings(const std::string& text) : text_(text) {}
    std::optional<std::string> readProfileString(const std::string&, const std::string& section,
                                                 const std::string& key) override {
        return findProfileValue(text_, section, key);
    }
    void writeProfileString(const std::string&, const std::string&, const std::string&, const std::string&) override {}

private:
    const std::string& text_;
};

// Optimal string alignment distance: a letter added, dropped, changed, or
// two neighbours swapped is one step each.
size_t spellingDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

std::string upperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

const SettingKey* knownKey(const std::string& name) {
    for (const SettingKey& key : device::kSettingKeys) {
        if (upperAscii(name) == key.name) return &key;
    }
    return nullptr;
}

// The value a key has in effect, as text, and why a written value is not
// taken as written (empty when it is).
struct Effect {
    std::string value;
    bool isDefault = true;
    std::string refused;
};

// A written value as a number, kNoNumber when it does not read as one.
constexpr int64_t kNoNumber = INT64_MIN;
int64_t numberOf(const std::optional<std::string>& written) {
    if (!written) return kNoNumber;
    const std::optional<int32_t> number = parseProfileInteger(*written);
    return number ? int64_t{*number} : kNoNumber;
}

Effect effectOf(const SettingKey& key, const std::optional<std::string>& written, const device::PreviewLook& look) {
    const int64_t number = numberOf(written);
    const std::string byDefault = std::to_string(key.defaultNumber);
    Effect effect;
    switch (key.kind) {
    case SettingKind::onOff:
        // One character assigned: GCC 12's -Wrestrict misreads the
        // assignment of a literal chosen by ?: in the x86 build.
        effect.value.assign(1, profileIntegerOr(written, key.defaultNumber) == 1 ? '1' : '0');
        if (written && number != 0 && number != 1) effect.refused = "only 1 turns it on";
        break;
    case SettingKind::number:
        effect.value = std::to_string(profileIntegerOr(written, key.defaultNumber));
        if (written && number == kNoNumber) effect.refused = "not a number";
        break;
    case SettingKind::scale:
        effect.value = std::to_string(look.scale);
        if (written && number != look.scale) effect.refused = "the scale is 1 to 16";
        break;
    case SettingKind::coordinate: {
        const std::optional<int32_t>& place = std::string_view(key.name) == device::kPreviewXKey.name ? look.x : look.y;
        effect.value = place ? std::to_string(*place) : "";
        if (written && number == kNoNumber) effect.refused = "not a number";
        effect.isDefault = !place;
        return effect;
    }
    case SettingKind::text:
        effect.value = written.value_or("");
        effect.isDefault = effect.value.empty();
        return effect;
    }
    effect.isDefault = effect.value == byDefault;
    return effect;
}

void addKeyFinding(DoctorSection& section, const SettingKey& key, const Effect& effect) {
    const std::string setting = std::string(key.name) + (effect.value.empty() ? "" : "=" + effect.value);
    DoctorFinding finding;
    finding.kind = "key";
    finding.text = setting + (effect.isDefault ? " (default)" : " (set here)");
    finding.key = key.name;
    finding.value = effect.value;
    finding.isDefault = effect.isDefault;
    section.findings.push_back(std::move(finding));
}

// Keys outside [SETTINGS], keys the plug-in does not know, and later copies
// of a key (the first one counts). Returns the known keys offered for
// misspelt ones.
std::vector<std::string> addStrayKeys(DoctorSection& section, const std::vector<ProfileEntry>& entries) {
    std::vector<std::string> offered;
    std::map<std::string, std::string> seen;
    for (const ProfileEntry& entry : entries) {
        if (entry.key.starts_with(";") || entry.key.starts_with("#")) continue;  // a comment to the reader
        const std::string line = entry.key + "=" + entry.value;
        if (upperAscii(entry.section) != device::kSettingsSection) {
            section.problem("section", line + " is outside [SETTINGS]: the plug-in never reads it",
                            "move it under [SETTINGS]");
            continue;
        }
        if (const SettingKey* key = knownKey(entry.key)) {
            const auto [first, isNew] = seen.emplace(key->name, entry.value);
            if (!isNew) {
                section.problem("duplicate", line + " comes again: the first " + key->name + "=" +
                                                 first->second + " counts",
                                "keep one " + std::string(key->name) + " line");
            }
            continue;
        }
        const std::string nearest = nearestKnownKey(entry.key);
        offered.push_back(nearest);
        section.problem("unknown-key", line + ": the plug-in knows no key " + entry.key + " and ignores it",
                        nearest.empty() ? "remove it (the keys are listed in the README's Configuration)"
                                        : "did you mean " + nearest + "? write " + nearest + "=" + entry.value);
    }
    return offered;
}

std::string settingsFile(const SettingsPlace& place) { return joinPath(place.folder, device::kSettingsFileName); }

bool samePath(const std::string& a, const std::string& b) { return lowerAscii(a) == lowerAscii(b); }

// FORWARD as the plug-in resolves it: a full path, or a name beside it.
std::string forwardTarget(const SettingsPlace& place, const std::string& forward) {
    const bool absolute = forward[0] == '/' || forward[0] == '\\' || (forward.size() > 1 && forward[1] == ':');
    return absolute ? forward : joinPath(place.folder, forward);
}

void addForwardFinding(DoctorSection& section, const SettingsPlace& place, const std::string& forward,
                       const Inspect& inspect) {
    const LibraryInfo target = inspect(forwardTarget(place, forward));
    const std::string head = "FORWARD=" + forward;
    const char* fixName = "name the real driver's renamed file (beside the plug-in, or a full path)";
    if (!target.exists) return section.problem("forward-missing", head + ": no such file " + target.path, fixName);
    const bool self = target.plugin || std::any_of(place.plugins.begin(), place.plugins.end(),
                                                   [&](const PluginCopy& c) { return samePath(c.path, target.path); });
    if (self) return section.problem("forward-self", head + " names the plug-in itself: nothing is forwarded", fixName);
    if (!target.unreadable.empty()) {
        return section.problem("forward-unreadable", head + " is no Windows library: " + target.unreadable, fixName);
    }
    for (const PluginCopy& copy : place.plugins) {
        if (copy.bitness == target.bitness || copy.bitness == Bitness::unknown) continue;
        return section.problem("forward-bitness",
                               head + " is " + bitnessText(target.bitness) + ", the plug-in " + copy.path + " " +
                                   bitnessText(copy.bitness) + ": it cannot load it",
                               std::string("name the ") + bitnessText(copy.bitness) + " build of the driver");
    }
    const std::string lacked = lackedEntries(target, kPinMameRequiredEntries);
    if (!lacked.empty()) {
        return section.problem("forward-entry-points", head + " lacks " + lacked + ": it is no DMD driver for PinMAME",
                               fixName);
    }
    section.ok("forward", head + ": " + identityText(target) + ", " + bitnessText(target.bitness) + ", " +
                              entriesText(target) + "; every call reaches it first");
}

// A driver renamed beside the plug-in that FORWARD does not name.
void addUnchainedDrivers(DoctorSection& section, const SettingsPlace& place, const Inspect& inspect) {
    for (const std::string& name : place.otherLibraries) {
        const LibraryInfo other = inspect(joinPath(place.folder, name));
        if (other.plugin || !other.has(DmdEntry::Render_16_Shades)) continue;
        section.problem("not-chained",
                        name + " beside the plug-in is a DMD driver, but FORWARD is empty: it is not chained and "
                               "its DMD stays dark",
                        "add FORWARD=" + name + " under [SETTINGS] in " + settingsFile(place));
    }
}

}  // namespace

std::string nearestKnownKey(const std::string& key) {
    const std::string wanted = upperAscii(key);
    std::string nearest;
    size_t best = std::max<size_t>(2, wanted.size() / 4) + 1;
    for (const SettingKey& known : device::kSettingKeys) {
        const size_t distance = spellingDistance(wanted, known.name);
        if (distance < best) {
            best = distance;
            nearest = known.name;
        }
    }
    return nearest;
}

DoctorSection checkSettings(const std::optional<std::string>& text, const SettingsPlace& place,
                            const Inspect& inspect) {
    DoctorSection section;
    section.kind = "settings";
    section.title = "Settings " + settingsFile(place);
    const std::string content = text.value_or("");
    if (!text) section.ok("no-file", "no settings file: every key has its default");
    TextSettings settings(content);
    const device::PreviewLook look = device::readPreviewLook(settings, "");
    for (const SettingKey& key : device::kSettingKeys) {
        const std::optional<std::string> written = findProfileValue(content, device::kSettingsSection, key.name);
        const Effect effect = effectOf(key, written, look);
        addKeyFinding(section, key, effect);
        if (!effect.refused.empty()) {
            section.problem("bad-value",
                            std::string(key.name) + "=" + *written + ": " + effect.refused + ", so the plug-in takes " +
                                key.name + "=" + effect.value,
                            "write the value you mean as a number");
        }
    }
    const std::vector<std::string> offered = addStrayKeys(section, profileEntries(content));
    const bool shadedHost = profileIntegerOr(findProfileValue(content, device::kSettingsSection,
                                                              device::kShadedHostKey.name),
                                             device::kShadedHostKey.defaultNumber) == 1;
    // A misspelt SHADEDHOST is one mistake, said once by its unknown key.
    const bool misspelt = std::find(offered.begin(), offered.end(), device::kShadedHostKey.name) != offered.end();
    if (place.pinMameHost && !shadedHost && !misspelt) {
        section.problem("shadedhost-off",
                        "SHADEDHOST is off: " + place.host + " sends shaded frames only, so the plug-in does nothing "
                                                             "here",
                        "add SHADEDHOST=1 under [SETTINGS] in " + settingsFile(place));
    }
    const std::string forward =
        findProfileValue(content, device::kSettingsSection, device::kForwardKey.name).value_or("");
    if (!forward.empty()) {
        addForwardFinding(section, place, forward, inspect);
    } else {
        addUnchainedDrivers(section, place, inspect);
    }
    return section;
}

}  // namespace zelk::tools
