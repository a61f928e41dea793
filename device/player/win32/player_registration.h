#pragma once
// Where the media player keeps its media: the folder of the program its
// class registration starts (LocalServer32), followed by "ZelkVideos\".
#include <optional>
#include <string>

namespace zelk::device {

// The media root from the registration, as UTF-8; empty when the player is
// not registered. The class is looked up in this build's own registry view
// first and then in the other one, so a 32-bit plug-in finds a player
// registered only for 64-bit programs and the other way round.
std::string FindMediaRoot();

// The registered command line itself, looked up the same way; nullopt when
// the player is not registered.
std::optional<std::string> FindPlayerServerCommand();

// The program a LocalServer32 command starts: inside the quotes when it
// starts with one, else the whole command.
std::wstring programFromServerCommand(const std::wstring& command);

// The media root from a LocalServer32 command line. A command that starts
// with a double quote names its program inside the quotes: the folder is
// taken from there, and what follows the closing quote (arguments) is left
// out. Any other command keeps the plain rule: everything up to and
// including the last '\' or ':', arguments and all. Split out for the tests.
std::wstring mediaRootFromServerCommand(const std::wstring& command);

}  // namespace zelk::device
