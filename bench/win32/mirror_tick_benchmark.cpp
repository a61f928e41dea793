// Benchmark program (not a test: it checks nothing and fails nothing).
//
// The whole mirror tick, ScreenMirror::capTimerTimer with the real window
// capture (GetWindowDC, BitBlt into the kept DIB section, the area average
// straight from its bits, SendFrameToDmd to a device that drops the frame),
// on 1920x1080 windows of this process, next to a memcpy of the window's
// bytes in the same run. Google Benchmark is not packaged for the mingw
// cross build, so this program times itself the same way: repetitions of a
// number of calls, each repetition's wall time (QueryPerformanceCounter) and
// the thread's CPU time per call, then the median and the lowest of them.
// "fresh section per tick" is how a tick read the window before the section
// was kept: a new DIB section and memory DC per read, its bits copied into a
// vector, then averaged. It also counts the allocations (operator new) of
// the ticks after the first. Run it under Wine with an X display of at least
// 1920x1080: see docs/performance.md.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#include "control/timing/manual_timer.h"
#include "control/mirror/screen_mirror.h"
#include "core/area_average.h"
#include "platform/win32/handles.h"

namespace {

std::atomic<long> allocations{0};

constexpr int kWidth = 1920, kHeight = 1080;

class DroppingDevice final : public zelk::control::DmdDevice {
public:
    void Open() override {}
    void PM_GameSettings(const char*, uint64_t, const void*) override {}
    void Render_RGB24(uint16_t, uint16_t, const uint8_t* frame) override { last_ = frame[0]; }
    void Close() override {}

private:
    volatile uint8_t last_ = 0;
};

// Bands of colour, so that the averages are not all one value.
LRESULT CALLBACK paintBands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    for (int x = 0; x < kWidth; x += 40) {
        zelk::platform::GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(x % 256, (x * 7) % 256, (x * 13) % 256)));
        const RECT band{x, 0, x + 40, kHeight};
        FillRect(dc, &band, brush.get());
    }
    EndPaint(window, &paint);
    return 0;
}

HWND paintedWindow(const wchar_t* title) {
    static const bool registered = [] {
        WNDCLASSW c{};
        c.lpfnWndProc = paintBands;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = L"ZelkMirrorTickBenchmark";
        return RegisterClassW(&c) != 0;
    }();
    if (!registered) return nullptr;
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"ZelkMirrorTickBenchmark", title, WS_POPUP, 0, 0, kWidth,
                                  kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return nullptr;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    return window;
}

void serveMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

double threadSeconds() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto ticks = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;
}

double wallSeconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Figures {
    double medianWall, lowestWall, medianCpu, lowestCpu;  // microseconds per call
};

// Each repetition runs as many calls as fill about half a second (the
// thread's CPU time is counted in 10 ms steps under Wine).
Figures measure(const char* name, int repetitions, const std::function<void()>& call) {
    call();  // warm-up: the first call makes what later ones keep
    int tried = 0;
    const double w0 = wallSeconds();
    for (; wallSeconds() - w0 < 0.1; ++tried) call();
    const int calls = std::max(5, static_cast<int>(tried * 0.5 / (wallSeconds() - w0)));
    std::vector<double> wall, cpu;
    wall.reserve(static_cast<size_t>(repetitions));
    cpu.reserve(static_cast<size_t>(repetitions));
    const long before = allocations.load();
    for (int r = 0; r < repetitions; ++r) {
        const double w = wallSeconds(), c = threadSeconds();
        for (int i = 0; i < calls; ++i) call();
        wall.push_back((wallSeconds() - w) * 1e6 / calls);
        cpu.push_back((threadSeconds() - c) * 1e6 / calls);
    }
    const long made = allocations.load() - before;
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    const Figures f{wall[wall.size() / 2], wall.front(), cpu[cpu.size() / 2], cpu.front()};
    std::printf("%-38s %5d calls  wall %8.1f us (lowest %8.1f)  cpu %8.1f us (lowest %8.1f)  allocations in all %ld\n",
                name, calls, f.medianWall, f.lowestWall, f.medianCpu, f.lowestCpu, made);
    return f;
}

// The read as it was: the window's DC kept, but a new section and memory DC
// per call, the bits copied into a kept vector, the spans made anew.
void freshSectionTick(HDC window, std::vector<uint8_t>& copy, zelk::Bitmap24& target) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(info.bmiHeader), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    zelk::platform::GdiObject<HBITMAP> dib(CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    zelk::platform::MemoryDc memory(CreateCompatibleDC(window));
    {
        zelk::platform::SelectedObject selected(memory.get(), dib.get());
        BitBlt(memory.get(), 0, 0, kWidth, kHeight, window, 0, 0, SRCCOPY);
    }
    GdiFlush();
    copy.resize(static_cast<size_t>(kWidth) * kHeight * 4);
    std::memcpy(copy.data(), bits, copy.size());
    zelk::areaAverage({kWidth, kHeight, copy.data(), static_cast<size_t>(kWidth) * 4}, target);
}

}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    HWND screen = paintedWindow(L"QAVSCREEN1");
    HWND overlay = paintedWindow(L"QAVOVERLAY1");
    if (screen == nullptr || overlay == nullptr) {
        std::puts("cannot make the 1920x1080 windows");
        return 1;
    }
    for (int i = 0; i < 20; ++i, Sleep(10)) serveMessages();  // painted before the first read

    const std::unique_ptr<zelk::control::WindowCapture> windows = zelk::control::makeWindowCapture();
    const std::unique_ptr<zelk::control::MainThreadWait> wait = zelk::control::makeMainThreadWait();
    zelk::control::ManualTimer capTimer(33);
    DroppingDevice device;
    zelk::control::ScreenMirror mirror(*windows, *wait, capTimer, device);
    mirror.StartScreenMirror();
    if (!capTimer.enabled()) {
        std::puts("the mirror did not find its window");
        return 1;
    }

    std::vector<uint8_t> source(static_cast<size_t>(kWidth) * kHeight * 4, 7), target(source.size());
    std::printf("%d repetitions, %dx%d windows; per call:\n", repetitions, kWidth, kHeight);
    const Figures copy = measure("memcpy of the window's bytes", repetitions,
                                 [&] { std::memcpy(target.data(), source.data(), source.size()); });
    const Figures tick = measure("tick, mirror only", repetitions, [&] { mirror.capTimerTimer(); });
    mirror.StartOverlayMirror();
    const Figures both = measure("tick, mirror and overlay", repetitions, [&] { mirror.capTimerTimer(); });
    mirror.StopMirror();
    {
        zelk::platform::WindowDc dc(screen, true);
        std::vector<uint8_t> bits;
        zelk::Bitmap24 reduced(128, 32);
        measure("read as before: fresh section per tick", repetitions,
                [&] { freshSectionTick(dc.get(), bits, reduced); });
    }
    std::printf("tick / memcpy: wall %.2f, cpu %.2f; with the overlay / twice the memcpy: wall %.2f, cpu %.2f\n",
                tick.medianWall / copy.medianWall, tick.medianCpu / copy.medianCpu,
                both.medianWall / (2 * copy.medianWall), both.medianCpu / (2 * copy.medianCpu));
    DestroyWindow(overlay);
    DestroyWindow(screen);
    return 0;
}
