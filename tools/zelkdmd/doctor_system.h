#pragma once
// What zelkdmd doctor asks of the system beyond files: COM registrations and
// a library's version resource. Windows has both (win32/doctor_system.cpp);
// elsewhere there is no registry and no version reading, and the doctor
// checks only the folders it is given (posix/doctor_system.cpp).
#include <optional>
#include <string>
#include <vector>

namespace zelk::tools {

// Whether the registrations below can be looked up on this system.
bool systemHasRegistry();

// The files the class of progId is served by, in both registry views, each
// once: InprocServer32's library (a .NET class's CodeBase when it has one),
// or the program of LocalServer32's command.
enum class ServerKind { inProcess, localProgram };
std::vector<std::string> registeredServerFiles(const std::string& progId, ServerKind kind);

// The media player as the plug-in finds it: its program and the ZelkVideos
// folder beside it; nullopt when it is not registered.
struct PlayerRegistration {
    std::string program;
    std::string mediaRoot;
};
std::optional<PlayerRegistration> registeredPlayer();

// A library's version resource: the product it belongs to and its version,
// and the name it was built under; nullopt when it has none or it cannot be
// read here.
struct LibraryIdentity {
    std::string productName;
    std::string productVersion;
    std::string originalFileName;
};
std::optional<LibraryIdentity> readLibraryIdentity(const std::string& path);

// The plug-in's log as UTF-8: on Windows it is written in the system's ANSI
// code page, which a JSON report must not pass on as it is.
std::string logTextAsUtf8(const std::string& bytes);

}  // namespace zelk::tools
