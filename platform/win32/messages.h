#pragma once
// Serving the calling thread's waiting messages outside its message loop
// (a wait that must keep the program responsive, a menu about to open).
namespace zelk::platform {

// Dispatches every message waiting now and returns. A quit request among
// them is posted again and ends the serving, so that the message loop, which
// would otherwise never see it, still ends the program.
void serveWaitingMessages();

// Serves the thread's messages as they come for the given time, then
// returns (a wait that keeps timers ticking and windows answering).
void serveMessagesFor(unsigned long milliseconds);

}  // namespace zelk::platform
