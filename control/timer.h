#pragma once
// A periodic timer of the main form (GiFTimer, capTimer). The platform calls
// the owner's tick handler while the timer is on; this interface only switches
// it and sets its period.
#include <cstdint>

namespace zelk::control {

class Timer {
public:
    virtual ~Timer() = default;
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual uint32_t interval() const = 0;
    // A timer that is on starts its period anew; one that is off stays off.
    // Setting the current interval again changes nothing.
    virtual void setInterval(uint32_t milliseconds) = 0;
};

}  // namespace zelk::control
