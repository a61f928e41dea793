// The player as the plug-in finds it (its registration), and each game's
// pack as zelkdmd check sees it, in a word.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "device/matching/trigger_pictures.h"
#include "platform/path_kind.h"
#include "tools/zelkdmd/doctor_checks.h"
#include "tools/zelkdmd/pack_check.h"
#include "tools/zelkdmd/utf8_path.h"

namespace zelk::tools {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> gameFolders(const std::string& root) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(pathOf(root), error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error)) names.push_back(utf8Of(it->path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

void addGameFinding(DoctorSection& section, device::Files& files, const std::string& root, const std::string& game) {
    const std::string capture = joinPath(joinPath(root, game), device::kCaptureFolderName);
    if (!files.directoryExists(capture)) {
        section.ok("game", game + ": no " + std::string(device::kCaptureFolderName) + " folder, no trigger pictures");
        return;
    }
    const PackCheck pack = checkPack(files, capture);
    const std::string count = counted(pack.loaded, "trigger picture", "trigger pictures");
    if (pack.usable()) {
        section.ok("game", game + ": " + count + ", usable");
    } else {
        section.problem("pack", game + ": " + count + ", unusable", "zelkdmd check \"" + capture + "\" says why");
    }
}

}  // namespace

DoctorSection checkPlayer(const std::optional<PlayerRegistration>& player, device::Files& files) {
    DoctorSection section;
    section.kind = "player";
    section.title = "Player";
    if (!player) {
        section.problem("not-registered", "not registered: the plug-in finds no player and no trigger pictures",
                        "install the player, or register it again from its folder");
        return section;
    }
    section.title += " " + player->program;
    if (platform::pathKind(player->program) != platform::PathKind::file) {
        section.problem("program-missing", "registered, but the program is not there",
                        "register the player again from where it is now");
    } else {
        section.ok("registered", "registered, and the program is there");
    }
    if (!files.directoryExists(player->mediaRoot)) {
        section.problem("no-media-folder", "no folder " + player->mediaRoot + ": no game has trigger pictures",
                        "put each game's pack in " + player->mediaRoot + "<game>\\ZelkCapture");
        return section;
    }
    const std::vector<std::string> games = gameFolders(player->mediaRoot);
    if (games.empty()) section.ok("no-games", player->mediaRoot + " holds no game folder yet");
    for (const std::string& game : games) addGameFinding(section, files, player->mediaRoot, game);
    return section;
}

}  // namespace zelk::tools
