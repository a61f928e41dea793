#include "platform/win32/messages.h"

#include <windows.h>

namespace zelk::platform {
namespace {

// The batch; false when it met the quit request (posted again).
bool serveBatch() {
    // A message's time is the tick count when it was posted, or, for a timer
    // tick or a repaint, when it was made up. The first one from after the
    // start is still served (a timer due now ticks), and ends the batch.
    const DWORD start = GetTickCount();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (static_cast<LONG>(message.time - start) > 0) break;  // the difference survives the wrap at 49 days
    }
    return true;
}

}  // namespace

void serveWaitingMessages() { serveBatch(); }

void serveMessagesFor(unsigned long milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        // MWMO_INPUTAVAILABLE: without it the wait sleeps through messages
        // a batch already looked at and left for the next one.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (!serveBatch()) return;
    }
}

}  // namespace zelk::platform
