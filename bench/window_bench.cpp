// The window system's hot calls, where every call looks its handles up: a message sent to a
// window of the same thread, a message posted, peeked and dispatched, a paint cycle, and fills
// through a memory DC. Each has a reference from the same run that does the same work with fewer
// lookups, so the ratios hold under a shared machine's load.
#include <platform/gdi.h>
#include <platform/window.h>
#include <platform_testing/device_harness.h>

#include <benchmark/benchmark.h>

namespace {

constexpr UINT kPing = WM_USER + 1;

LRESULT BenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kPing:
            return static_cast<LRESULT>(wParam + 1);
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            HGDIOBJ previous = SelectObject(dc, GetStockObject(BLACK_PEN));
            RECT square{0, 0, 16, 16};
            FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
            SelectObject(dc, previous);
            EndPaint(window, &paint);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// A booted device with one shown window of the benchmark's class.
struct BenchWindow {
    DeviceHarness device;
    HWND window = nullptr;

    BenchWindow() {
        static const bool registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = BenchProc;
            windowClass.lpszClassName = u"WindowBench";
            return RegisterClassW(&windowClass) != 0;
        }();
        if (registered) {
            window = CreateWindowExW(0, u"WindowBench", u"", WS_VISIBLE, 0, 26, 100, 100, nullptr,
                                     nullptr, nullptr, nullptr);
        }
        device.PumpUntilIdle();
    }
    ~BenchWindow() { DestroyWindow(window); }
};

// SendMessageW to a window of this thread: the handle's lookup and the procedure.
void SendOurs(benchmark::State& state) {
    BenchWindow bench;
    WPARAM value = 0;
    for (auto _ : state) {
        value = static_cast<WPARAM>(SendMessageW(bench.window, kPing, value, 0));
    }
    benchmark::DoNotOptimize(value);
}

// The procedure called directly: no lookup.
void SendDirect(benchmark::State& state) {
    BenchWindow bench;
    WPARAM value = 0;
    for (auto _ : state) {
        value = static_cast<WPARAM>(CallWindowProcW(BenchProc, bench.window, kPing, value, 0));
    }
    benchmark::DoNotOptimize(value);
}

// Posted, peeked and dispatched: to the window (ours: two lookups), or to the thread (the same
// queue work, no window to look up).
void Post(benchmark::State& state, bool toWindow) {
    BenchWindow bench;
    HWND target = toWindow ? bench.window : nullptr;
    MSG message{};
    for (auto _ : state) {
        PostMessageW(target, kPing, 1, 0);
        PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
        DispatchMessageW(&message);
    }
    benchmark::DoNotOptimize(message);
}

// InvalidateRect, WM_PAINT through the queue, BeginPaint, a pen selected, a 16 x 16 fill,
// EndPaint.
void PaintOurs(benchmark::State& state) {
    BenchWindow bench;
    MSG message{};
    for (auto _ : state) {
        InvalidateRect(bench.window, nullptr, FALSE);
        PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
        DispatchMessageW(&message);
    }
    benchmark::DoNotOptimize(message);
}

// The same procedure on WM_PAINT called directly: no invalid region, no queue, no lookup of the
// window to paint (BeginPaint still makes its DC).
void PaintDirect(benchmark::State& state) {
    BenchWindow bench;
    for (auto _ : state) {
        CallWindowProcW(BenchProc, bench.window, WM_PAINT, 0, 0);
    }
}

// A memory DC with a 64 x 64 bitmap selected, and a solid brush.
struct MemoryDc {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 64, 64);
    HGDIOBJ original = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));

    ~MemoryDc() {
        SelectObject(dc, original);
        DeleteObject(brush);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

// An 8 x 8 fill into the bitmap: alone (one lookup of the DC and one of the brush), or ours, with
// a brush and a pen selected and put back around it (five GDI lookups a fill).
void Fill(benchmark::State& state, bool selecting) {
    BenchWindow bench;
    MemoryDc memory;
    RECT square{4, 4, 12, 12};
    for (auto _ : state) {
        if (selecting) {
            HGDIOBJ previousPen = SelectObject(memory.dc, GetStockObject(WHITE_PEN));
            HGDIOBJ previousBrush = SelectObject(memory.dc, memory.brush);
            FillRect(memory.dc, &square, memory.brush);
            SelectObject(memory.dc, previousBrush);
            SelectObject(memory.dc, previousPen);
        } else {
            FillRect(memory.dc, &square, memory.brush);
        }
    }
}

BENCHMARK(SendOurs)->Name("Send/ours");
BENCHMARK(SendDirect)->Name("Send/direct");
BENCHMARK_CAPTURE(Post, ours, true)->Name("Post/ours");
BENCHMARK_CAPTURE(Post, thread, false)->Name("Post/thread");
BENCHMARK(PaintOurs)->Name("Paint/ours");
BENCHMARK(PaintDirect)->Name("Paint/direct");
BENCHMARK_CAPTURE(Fill, ours, true)->Name("Fill/ours");
BENCHMARK_CAPTURE(Fill, alone, false)->Name("Fill/alone");

}  // namespace
