#pragma once
// A periodic timer of the main form (GiFTimer, capTimer). The platform calls
// the owner's tick handler while the timer is on; this interface only switches
// it and sets its period.
#include <cstdint>
#include <functional>
#include <memory>

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

// A timer of the calling thread, created off. Its ticks call onTick on that
// thread, one at a time with everything else the thread's event loop serves:
// on Windows the message loop (a thread timer), on POSIX serveTimers below.
// An exception out of onTick is swallowed. Timers belong to the thread that
// made them and must be destroyed on it.
std::unique_ptr<Timer> makeTimer(uint32_t intervalMs, std::function<void()> onTick);

// Runs the calling thread's event loop for about the given time, so that its
// due timer ticks happen: on Windows by dispatching messages, on POSIX by
// sleeping until the next tick is due. Programs with a message loop of their
// own never need it.
void serveTimers(uint32_t milliseconds);

}  // namespace zelk::control
