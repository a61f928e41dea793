#pragma once
// The doctor's other sections: the media player and its trigger packs, the
// control program and the library it loads, and the plug-in's last log.
#include <optional>
#include <string>
#include <vector>

#include "device/entry/files.h"
#include "tools/zelkdmd/doctor_libraries.h"
#include "tools/zelkdmd/doctor_report.h"
#include "tools/zelkdmd/doctor_system.h"

namespace zelk::tools {

// player: nullopt when it is not registered. One line per game folder of
// its ZelkVideos folder, with zelkdmd check's verdict on its pack.
DoctorSection checkPlayer(const std::optional<PlayerRegistration>& player, device::Files& files);

// programs: the control program's registered programs (both views).
DoctorSection checkControlProgram(const std::vector<std::string>& programs, const Inspect& inspect);

// The log beside a plug-in; text is nullopt when there is none.
DoctorSection checkLog(const std::string& path, const std::optional<std::string>& text);

}  // namespace zelk::tools
