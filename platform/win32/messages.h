#pragma once
// Serving the calling thread's messages outside its message loop (a wait
// that must keep the program responsive, a menu about to open).
//
// Both serve a bounded batch: Windows makes up a new WM_TIMER whenever a
// timer is due and the queue is empty, so with a tick that takes longer than
// its period the queue is never empty, and "serve until empty" would never
// return to its caller. A quit request met while serving is posted again and
// ends the serving, so that the message loop, which would otherwise never see
// it, still ends the program.
namespace zelk::platform {

// Dispatches the messages that were waiting when it began, and at most one
// that arrived (or fell due) after that, then returns.
void serveWaitingMessages();

// Serves the thread's messages as they come for the given time, then
// returns (a wait that keeps timers ticking and windows answering). The
// timers' event loop for code without a message loop of its own
// (control/timing/timer.h serveTimers), which is why it lives here.
void serveMessagesFor(unsigned long milliseconds);

}  // namespace zelk::platform
