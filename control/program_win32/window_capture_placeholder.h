#pragma once
// PLACEHOLDER until the window capture lands: the factories that
// control/window_capture.h is getting (makeWindowCapture, makeMainThreadWait)
// with their Windows implementation. When they land, delete this header, its
// .cpp and its line in CMakeLists.txt; main.cpp then takes the declarations
// from control/window_capture.h unchanged.
#include <memory>

#include "control/window_capture.h"

namespace zelk::control {

std::unique_ptr<WindowCapture> makeWindowCapture();
std::unique_ptr<MainThreadWait> makeMainThreadWait();

}  // namespace zelk::control
