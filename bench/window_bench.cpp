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

// Posted to the window, peeked and dispatched to its procedure (two lookups).
void PostOurs(benchmark::State& state) {
    BenchWindow bench;
    MSG message{};
    for (auto _ : state) {
        PostMessageW(bench.window, kPing, 1, 0);
        PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
        DispatchMessageW(&message);
    }
    benchmark::DoNotOptimize(message);
}

// The same queue work for a message to the thread: no window to look up.
void PostThread(benchmark::State& state) {
    BenchWindow bench;
    MSG message{};
    for (auto _ : state) {
        PostMessageW(nullptr, kPing, 1, 0);
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

// An 8 x 8 fill into a bitmap through a memory DC, with a brush and a pen selected and put back:
// five GDI lookups a fill and the fill itself.
void FillOurs(benchmark::State& state) {
    BenchWindow bench;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 64, 64);
    HGDIOBJ original = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    RECT square{4, 4, 12, 12};
    for (auto _ : state) {
        HGDIOBJ previousPen = SelectObject(dc, GetStockObject(WHITE_PEN));
        HGDIOBJ previousBrush = SelectObject(dc, brush);
        FillRect(dc, &square, brush);
        SelectObject(dc, previousBrush);
        SelectObject(dc, previousPen);
    }
    SelectObject(dc, original);
    DeleteObject(brush);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// The fill alone: one lookup of the DC and one of the brush.
void FillAlone(benchmark::State& state) {
    BenchWindow bench;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 64, 64);
    HGDIOBJ original = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    RECT square{4, 4, 12, 12};
    for (auto _ : state) {
        FillRect(dc, &square, brush);
    }
    SelectObject(dc, original);
    DeleteObject(brush);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

BENCHMARK(SendOurs)->Name("Send/ours");
BENCHMARK(SendDirect)->Name("Send/direct");
BENCHMARK(PostOurs)->Name("Post/ours");
BENCHMARK(PostThread)->Name("Post/thread");
BENCHMARK(PaintOurs)->Name("Paint/ours");
BENCHMARK(PaintDirect)->Name("Paint/direct");
BENCHMARK(FillOurs)->Name("Fill/ours");
BENCHMARK(FillAlone)->Name("Fill/alone");

}  // namespace
