// The viewer on the device against a server on 127.0.0.1 that sends full-screen updates of a
// 1024 x 768 desktop whose picture changes each time:
//
// - latency: from the return of the server's send of an update's last byte to the update on the
//   device, at 100 % and at fit-to-screen, at each stage: Present's blit into the viewer window's
//   surface begins (the update is decoded) and has returned (on the session's message thread);
//   the screen has been composed from the windows' surfaces (on the user-interface thread) and is
//   handed to the host; with --sdl, the host's desktop window (SDL's off-screen driver) has been
//   drawn. Beside them, from the same run: Present alone, composing alone, decoding the update
//   from memory alone, and a client that only reads the bytes over the same kind of socket (the
//   floor any client has).
// - memory: the process's resident memory and heap before a viewer opens and once its first
//   screen is shown, against the framebuffer's size; each encoding in a fresh process (this
//   program started again with --memory-child), with the server in a process of its own.
#include "update_server.h"
#include "store_listener.h"
#include "viewer_probes.h"

#include "host_backends.h"
#include "memory_transport.h"
#include "temp_home.h"

#include <widgets/client_window.h>
#include <display/display.h>
#include <display/frame_buffer_store.h>
#include <encodings/standard_decoders.h>
#include <platform/commctrl.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <platform/winsock.h>
#include <platform_internal/window_manager.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>
#include <rfb/decoder_registry.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <viewer/viewer_window.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = ProbeClock;
constexpr int kWidth = 1024, kHeight = 768;
constexpr double kFrameBufferBytes = kWidth * kHeight * 2.0;
constexpr WORD kFitToScreen = 32786;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

const char* EncodingName(UpdateEncoding encoding) {
    return encoding == UpdateEncoding::Raw ? "Raw" : "Hextile";
}

struct Options {
    int updates = 300;
    int warmup = 20;
    bool sdl = false;
    bool memory = true;
    std::string memoryChild;  // "Raw" or "Hextile": this process measures memory only
};

// Median and 99th percentile (nearest rank).
struct Spread {
    double median = 0, p99 = 0;
    int count = 0;
};

Spread SpreadOf(std::vector<double> values) {
    Spread s;
    s.count = static_cast<int>(values.size());
    if (values.empty()) {
        return s;
    }
    std::sort(values.begin(), values.end());
    s.median = values.size() % 2 == 1
                   ? values[values.size() / 2]
                   : (values[values.size() / 2 - 1] + values[values.size() / 2]) / 2;
    auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(values.size())));
    s.p99 = values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
    return s;
}

// When each update was first seen at each stage. A blit counts only when both markers show
// (the whole update is in the framebuffer), the screen only once such a blit has begun.
class Marks {
  public:
    explicit Marks(int count)
        : blitting_(static_cast<std::size_t>(count), false),
          blitStarted_(static_cast<std::size_t>(count)),
          blit_(static_cast<std::size_t>(count)),
          composed_(static_cast<std::size_t>(count)),
          shown_(static_cast<std::size_t>(count)) {}

    // A blit of the update whose markers these are begins (message or user-interface thread).
    void OnBlitStarting(std::uint16_t topLeft, std::uint16_t bottomRight, Clock::time_point at) {
        int k = UpdateServer::UpdateOfMarker(topLeft);
        std::lock_guard lock(mutex_);
        inBlit_ = k >= 0 && topLeft == bottomRight && k < Count() && !blitting_[k] ? k : -1;
        if (inBlit_ >= 0) {
            blitting_[inBlit_] = true;
            blitStarted_[inBlit_] = at;
        }
    }
    void OnBlitReturned(Clock::time_point at) {
        std::lock_guard lock(mutex_);
        if (inBlit_ >= 0) {
            blit_[inBlit_] = at;
            inBlit_ = -1;
        }
    }
    // The update newly on the screen, or -1.
    int OnScreen(std::uint16_t pixel, Clock::time_point composed, Clock::time_point shown) {
        int k = UpdateServer::UpdateOfMarker(pixel);
        std::lock_guard lock(mutex_);
        if (k < 0 || k >= Count() || !blitting_[k] || composed_[k] != Clock::time_point{}) {
            return -1;
        }
        composed_[k] = composed;
        shown_[k] = shown;
        return k;
    }
    bool OnScreenAlready(int k) {
        std::lock_guard lock(mutex_);
        return composed_[k] != Clock::time_point{};
    }
    int Count() const { return static_cast<int>(blit_.size()); }
    Clock::time_point BlitStarted(int k) const { return blitStarted_[k]; }
    Clock::time_point Blit(int k) const { return blit_[k]; }
    Clock::time_point Composed(int k) const { return composed_[k]; }
    Clock::time_point Shown(int k) const { return shown_[k]; }

  private:
    std::mutex mutex_;
    std::vector<bool> blitting_;
    int inBlit_ = -1;  // the blits of one store are never concurrent: its lock is held
    std::vector<Clock::time_point> blitStarted_, blit_, composed_, shown_;
};

// The run under way, for the probes.
struct CurrentRun {
    Marks* marks = nullptr;
    UpdateServer* server = nullptr;
    HWND viewer = nullptr;
    bool releasing = false;  // each update on the screen lets the next one go
    bool finished = false;
};
std::mutex currentLock;
CurrentRun current;

// The device as the program starts it: shell, resources, display, decoders; the probes in place.
class Device {
  public:
    explicit Device(bool sdl)
        : probe_({[](std::uint16_t topLeft, std::uint16_t bottomRight, Clock::time_point at) {
                      std::lock_guard lock(currentLock);
                      if (current.marks != nullptr) {
                          current.marks->OnBlitStarting(topLeft, bottomRight, at);
                      }
                  },
                  [](Clock::time_point returned) {
                      std::lock_guard lock(currentLock);
                      if (current.marks != nullptr) {
                          current.marks->OnBlitReturned(returned);
                      }
                  }}) {
        std::unique_ptr<HostBackend> inner;
        if (sdl) {
            setenv("SDL_VIDEODRIVER", "offscreen", 0);
            inner = MakeSdlHost(HostOptions{});
            hasSdl_ = inner != nullptr;
        }
        host_ = std::make_unique<ProbeHost>(
            [](std::uint16_t pixel, Clock::time_point composed, Clock::time_point shown) {
                std::lock_guard lock(currentLock);
                if (current.marks == nullptr) {
                    return;
                }
                int k = current.marks->OnScreen(pixel, composed, shown);
                if (k < 0 || !current.releasing) {
                    return;
                }
                if (k + 1 < current.marks->Count()) {
                    current.server->Release(k + 1);
                } else {
                    current.finished = true;
                    PostMessageW(current.viewer, WM_NULL, 0, 0);  // out of GetMessageW
                }
            },
            std::move(inner));
        SetHostBackend(host_.get());
    }
    ~Device() {
        SetHostBackend(nullptr);
        ClientWindow::UnregisterWindowClass(GetModuleHandleW(nullptr));
    }

    DeviceHarness& Harness() { return harness_; }
    ProbedPrimary& Probe() { return probe_; }
    ProbeHost& Host() { return *host_; }
    bool HasSdl() const { return hasSdl_; }

  private:
    // Members in the order of the program's start-up.
    struct StartUp {
        StartUp() {
            WSADATA data;
            WSAStartup(MAKEWORD(2, 2), &data);
            RegisterStandardDecoders();
        }
        ~StartUp() {
            ClearDecoders();
            WSACleanup();
        }
    };
    struct Display {
        Display() {
            InstallResources(GetModuleHandleW(nullptr));
            InitCommonControls();
            InitDisplay();
            ClientWindow::RegisterWindowClass(GetModuleHandleW(nullptr));
        }
        ~Display() { ShutdownDisplay(); }
    };
    StartUp startUp_;
    DeviceHarness harness_;
    TempHome home_;
    Display display_;
    ProbedPrimary probe_;
    std::unique_ptr<ProbeHost> host_;
    bool hasSdl_ = false;
};

// The screen point where the viewer shows the framebuffer's top-left corner (unscrolled).
POINT ClientOrigin(ViewerWindow& viewer) {
    POINT origin{0, 0};
    ClientToScreen(viewer.Handle(), &origin);
    return origin;
}

std::unique_ptr<ViewerWindow> OpenViewer(Device& device, int port) {
    ServerRecord record;
    record.settings = DefaultServerSettings();
    lstrcpynW(record.settings.Hostname, u"127.0.0.1", kTextCapacity);
    record.settings.Port = port;
    // Every request is for the whole screen, and one follows each update.
    record.settings.ActiveUpdate = false;
    record.settings.Rate = kRateConstant;
    lstrcpynW(record.Title, u"Bench", kTextCapacity);
    auto viewer = std::make_unique<ViewerWindow>(nullptr, u"Bench", record, nullptr);
    POINT origin = ClientOrigin(*viewer);
    device.Host().SetProbePoint(origin.x, origin.y);
    return viewer;
}

void SetZoom(ViewerWindow& viewer, bool fit) {
    if (fit) {
        SendMessageW(viewer.Handle(), WM_COMMAND, kFitToScreen, 0);
    } else {
        viewer.SetZoom(Fraction::Make(1, 1), true);
    }
}

// ---- Latency ----

struct ViewerLatency {
    std::vector<double> blitStarted, blit, composed, shown;  // from the last byte's send
    std::vector<double> fromFirstByte;                       // to the composed screen
    int lost = 0;
    bool formatMatches = false;  // the viewer asked for the pixels the server sends
    double presentMs = 0, composeMs = 0;
    Fraction zoom{1, 1};
};

ViewerLatency MeasureViewer(Device& device, UpdateEncoding encoding, bool fit,
                            const Options& options) {
    ViewerLatency result;
    int count = 1 + options.warmup + options.updates;
    UpdateServer server(encoding, kWidth, kHeight);
    Marks marks(count);
    {
        std::lock_guard lock(currentLock);
        current = CurrentRun{&marks, &server, nullptr, false, false};
    }
    server.ServeOne(count);
    auto viewer = OpenViewer(device, server.Port());
    DeviceHarness& harness = device.Harness();
    if (!harness.RunUntil([&] { return marks.OnScreenAlready(0); }, 10000)) {
        std::fprintf(stderr, "viewer_bench: the first update never reached the screen\n");
    }
    SetZoom(*viewer, fit);
    harness.PumpUntilIdle();
    result.zoom = viewer->GetZoom();
    POINT origin = ClientOrigin(*viewer);
    device.Host().SetProbePoint(origin.x, origin.y);
    {
        std::lock_guard lock(currentLock);
        current.viewer = viewer->Handle();
        current.releasing = true;
    }
    // The program's own loop from here on: the UI thread waits in GetMessageW.
    server.Release(1);
    auto deadline = Clock::now() + std::chrono::seconds(10) + std::chrono::milliseconds(20) * count;
    UINT_PTR watchdog = SetTimer(nullptr, 0, 250, nullptr);
    for (;;) {
        {
            std::lock_guard lock(currentLock);
            if (current.finished) {
                break;
            }
        }
        if (Clock::now() > deadline) {
            std::fprintf(stderr, "viewer_bench: run timed out\n");
            break;
        }
        MSG message;
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    KillTimer(nullptr, watchdog);
    {
        std::lock_guard lock(currentLock);
        current.releasing = false;
    }

    // The references with this viewer's geometry: its Present alone, and composing alone.
    RECT client{};
    GetClientRect(viewer->Handle(), &client);
    device.Probe().Observe(false);
    std::vector<double> present, compose;
    for (int i = 0; i < 200; ++i) {
        Clock::time_point start = Clock::now();
        viewer->Store().Present(0, origin.x, origin.y, client.right, client.bottom, result.zoom, 0,
                                0);
        present.push_back(Ms(Clock::now() - start));
        start = Clock::now();
        ComposeScreen(true);
        compose.push_back(Ms(Clock::now() - start));
    }
    device.Probe().Observe(true);
    result.presentMs = SpreadOf(present).median;
    result.composeMs = SpreadOf(compose).median;

    viewer.reset();
    harness.PumpUntilIdle();
    server.Wait();
    {
        std::lock_guard lock(currentLock);
        current = CurrentRun{};
    }
    result.formatMatches = server.ClientFormatMatches();
    for (int k = 1 + options.warmup; k < count; ++k) {
        if (marks.Composed(k) == Clock::time_point{} || marks.Blit(k) == Clock::time_point{} ||
            !server.Released(k) || k >= server.Sent()) {
            ++result.lost;
            continue;
        }
        Clock::time_point sent = server.SendReturned()[static_cast<std::size_t>(k)];
        result.blitStarted.push_back(Ms(marks.BlitStarted(k) - sent));
        result.blit.push_back(Ms(marks.Blit(k) - sent));
        result.composed.push_back(Ms(marks.Composed(k) - sent));
        result.shown.push_back(Ms(marks.Shown(k) - sent));
        result.fromFirstByte.push_back(
            Ms(marks.Composed(k) - server.SendStarted()[static_cast<std::size_t>(k)]));
    }
    return result;
}

// The floor of the transport: a client that only reads the bytes.
struct DrainLatency {
    std::vector<double> fromLastByte, fromFirstByte;
    int lost = 0;
};

DrainLatency MeasureDrain(UpdateEncoding encoding, const Options& options) {
    DrainLatency result;
    int count = 1 + options.warmup + options.updates;
    UpdateServer server(encoding, kWidth, kHeight);
    server.ServeOne(count);
    std::vector<Clock::time_point> read = DrainUpdates(server, count);
    server.Wait();
    for (int k = 1 + options.warmup; k < count; ++k) {
        auto index = static_cast<std::size_t>(k);
        if (k >= server.Sent() || !server.Released(k) || read[index] == Clock::time_point{}) {
            ++result.lost;
            continue;
        }
        result.fromLastByte.push_back(Ms(read[index] - server.SendReturned()[index]));
        result.fromFirstByte.push_back(Ms(read[index] - server.SendStarted()[index]));
    }
    return result;
}

double DecodeAloneMs(UpdateEncoding encoding) {
    UpdateServer server(encoding, kWidth, kHeight);
    std::unique_ptr<DisplayInfo> display = CreateDisplayInfo(nullptr);
    std::unique_ptr<FrameBufferStore> store = display->CreateFrameBuffer();
    store->SetSize(kWidth, kHeight);
    store->SetPixelFormat(16, 5, 6, 5);
    StoreListener listener(*store);
    MemoryTransport transport;
    transport.ReceiveInPlaceInBlocksOf(128 * 1024);
    RfbSession session(&listener, &transport);
    session.SetPixelFormatFromBits(16, 5, 6, 5);
    session.SetFramebufferSize(kWidth, kHeight);
    std::vector<double> times;
    for (int k = 0; k < 100; ++k) {
        const std::vector<std::uint8_t>& message = server.UpdateMessage(k);
        transport.SetInput(message.data(), message.size());
        Clock::time_point start = Clock::now();
        bool ok = session.ReadServerMessage();
        times.push_back(Ms(Clock::now() - start));
        if (!ok || transport.Remaining() != 0) {
            std::fprintf(stderr, "viewer_bench: the update did not decode from memory\n");
            return 0;
        }
    }
    return SpreadOf(times).median;
}

// ---- Memory ----

struct Mapping {
    std::uintptr_t end = 0;
    std::string name;
    long sizeKb = 0;
    long rssKb = 0;
};

std::map<std::uintptr_t, Mapping> Mappings() {
    std::map<std::uintptr_t, Mapping> maps;
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    Mapping* last = nullptr;
    while (std::getline(smaps, line)) {
        std::istringstream in(line);
        std::string first;
        in >> first;
        std::size_t dash = first.find('-');
        if (dash != std::string::npos && first.back() != ':') {
            std::uintptr_t start = std::stoull(first.substr(0, dash), nullptr, 16);
            Mapping m;
            m.end = std::stoull(first.substr(dash + 1), nullptr, 16);
            std::string perms, offset, dev, inode;
            in >> perms >> offset >> dev >> inode;
            std::getline(in, m.name);
            m.name.erase(0, m.name.find_first_not_of(' '));
            last = &(maps[start] = m);
        } else if (last != nullptr && first == "Size:") {
            in >> last->sizeKb;
        } else if (last != nullptr && first == "Rss:") {
            in >> last->rssKb;
        }
    }
    return maps;
}

struct MemorySnapshot {
    long rssBytes = 0;
    long anonBytes = 0;         // resident and anonymous: not the program's or libraries' code
    std::size_t heapInUse = 0;  // allocated and not freed, mmapped blocks included
    std::size_t heapHeld = 0;   // obtained from the host for the heap
    std::map<std::uintptr_t, Mapping> maps;
};

// A small /proc file, read without allocating (the figures must not count their own reading).
const char* ReadProcFile(const char* path, char (&buffer)[4096]) {
    buffer[0] = 0;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ssize_t n = read(fd, buffer, sizeof buffer - 1);
        buffer[n > 0 ? n : 0] = 0;
        close(fd);
    }
    return buffer;
}

void TakeMemoryFigures(MemorySnapshot& s) {
    char buffer[4096];
    long pages = 0, resident = 0;
    std::sscanf(ReadProcFile("/proc/self/statm", buffer), "%ld %ld", &pages, &resident);
    s.rssBytes = resident * sysconf(_SC_PAGESIZE);
    if (const char* anon = std::strstr(ReadProcFile("/proc/self/status", buffer), "RssAnon:")) {
        s.anonBytes = std::strtol(anon + 8, nullptr, 10) * 1024;
    }
    struct mallinfo2 info = mallinfo2();
    s.heapInUse = info.uordblks + info.hblkhd;
    s.heapHeld = info.arena + info.hblkhd;
}

// Runs in a fresh process: opens one viewer, waits for its first screen, prints the figures.
int MeasureMemoryChild(const Options& options) {
    UpdateEncoding encoding =
        options.memoryChild == "Raw" ? UpdateEncoding::Raw : UpdateEncoding::Hextile;
    // The server lives in a process of its own: nothing of it counts here, and its large
    // pictures leave this process's allocator as the program would find it.
    int portPipe[2];
    if (pipe(portPipe) != 0) {
        return 1;
    }
    pid_t serverProcess = fork();
    if (serverProcess == 0) {
        UpdateServer server(encoding, kWidth, kHeight);
        int port = server.Port();
        bool told = write(portPipe[1], &port, sizeof port) == sizeof port;
        server.ServeOne(1);
        server.Wait();
        _exit(told && server.Sent() == 1 ? 0 : 1);
    }
    int port = 0;
    if (read(portPipe[0], &port, sizeof port) != sizeof port) {
        return 1;
    }
    Device device(false);
    Marks marks(2);
    {
        std::lock_guard lock(currentLock);
        current = CurrentRun{&marks, nullptr, nullptr, false, false};
    }
    device.Harness().PumpUntilIdle();
    // The mappings before are taken first: their memory stays, part of the baseline.
    MemorySnapshot before, after;
    before.maps = Mappings();
    TakeMemoryFigures(before);
    auto viewer = OpenViewer(device, port);
    bool shown = device.Harness().RunUntil([&] { return marks.OnScreenAlready(0); }, 10000);
    device.Harness().PumpUntilIdle();
    TakeMemoryFigures(after);
    after.maps = Mappings();
    std::printf("memory %s %d %ld %ld %ld %ld %zu %zu %zu %zu\n", options.memoryChild.c_str(),
                shown ? 1 : 0, before.rssBytes, after.rssBytes, before.anonBytes, after.anonBytes,
                before.heapInUse, after.heapInUse, before.heapHeld, after.heapHeld);
    // Where the resident memory grew: new mappings and grown ones.
    for (const auto& [start, m] : after.maps) {
        auto old = before.maps.find(start);
        long grown = m.rssKb -
                     (old != before.maps.end() && old->second.end == m.end ? old->second.rssKb : 0);
        if (grown >= 16) {
            std::printf("map %ld %ld %s%s\n", grown, m.sizeKb, m.name.empty() ? "[anon]" : "",
                        m.name.c_str());
        }
    }
    viewer.reset();
    device.Harness().PumpUntilIdle();
    int status = 1;
    waitpid(serverProcess, &status, 0);
    {
        std::lock_guard lock(currentLock);
        current = CurrentRun{};
    }
    return shown && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

struct MemoryResult {
    std::string encoding;
    bool ok = false;
    long rssBefore = 0, rssAfter = 0, anonBefore = 0, anonAfter = 0;
    std::size_t heapBefore = 0, heapAfter = 0, heldBefore = 0, heldAfter = 0;
    std::vector<std::string> maps;
};

MemoryResult RunMemoryChild(const std::string& self, const std::string& encoding) {
    MemoryResult result;
    result.encoding = encoding;
    std::string command = "'" + self + "' --memory-child " + encoding;
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) {
        return result;
    }
    char line[512];
    while (std::fgets(line, sizeof line, child) != nullptr) {
        std::string text(line);
        if (text.rfind("memory ", 0) == 0) {
            char name[32];
            int shown = 0;
            result.ok = std::sscanf(line, "memory %31s %d %ld %ld %ld %ld %zu %zu %zu %zu", name,
                                    &shown, &result.rssBefore, &result.rssAfter, &result.anonBefore,
                                    &result.anonAfter, &result.heapBefore, &result.heapAfter,
                                    &result.heldBefore, &result.heldAfter) == 10 &&
                        shown == 1;
        } else if (text.rfind("map ", 0) == 0) {
            result.maps.push_back(text.substr(4, text.size() - 5));
        }
    }
    result.ok = pclose(child) == 0 && result.ok;
    return result;
}

// ---- Report ----

void PrintLatency(const char* what, const Spread& s) {
    std::printf("  %-44s median %7.3f ms  p99 %7.3f ms  (%d)\n", what, s.median, s.p99, s.count);
}

int Run(const Options& options, const std::string& self) {
    std::vector<MemoryResult> memory;
    if (options.memory) {
        for (const char* encoding : {"Raw", "Hextile"}) {
            memory.push_back(RunMemoryChild(self, encoding));
        }
    }

    Device device(options.sdl);
    std::printf(
        "Viewer on a %dx%d 16-bit device, %d x %d desktop, %d updates a run after %d "
        "warm-up ones%s\n",
        CurrentDeviceScreen().width, CurrentDeviceScreen().height, kWidth, kHeight, options.updates,
        options.warmup,
        device.HasSdl() ? "; host: SDL off-screen" : "; host: none (composed screen)");
    int failures = 0;
    for (UpdateEncoding encoding : {UpdateEncoding::Raw, UpdateEncoding::Hextile}) {
        double decode = DecodeAloneMs(encoding);
        DrainLatency drain = MeasureDrain(encoding, options);
        UpdateServer sizes(encoding, kWidth, kHeight);
        std::printf("\n%s, %zu bytes an update\n", EncodingName(encoding), sizes.UpdateBytes(1));
        Spread drainLast = SpreadOf(drain.fromLastByte), drainFirst = SpreadOf(drain.fromFirstByte);
        PrintLatency("drain: last byte sent -> read", drainLast);
        PrintLatency("drain: first byte sent -> last read", drainFirst);
        std::printf("  %-44s median %7.3f ms\n", "decode alone, from memory", decode);
        failures += drain.lost > 0;
        for (bool fit : {false, true}) {
            ViewerLatency v = MeasureViewer(device, encoding, fit, options);
            std::printf(" zoom %s (%d/%d)%s\n", fit ? "fit" : "100%", v.zoom.num, v.zoom.den,
                        v.lost > 0 ? " -- updates lost" : "");
            Spread blit = SpreadOf(v.blit), composed = SpreadOf(v.composed);
            Spread first = SpreadOf(v.fromFirstByte);
            PrintLatency("last byte sent -> Present's blit begins", SpreadOf(v.blitStarted));
            PrintLatency("last byte sent -> Present's blit returned", blit);
            PrintLatency("last byte sent -> screen composed", composed);
            if (device.HasSdl()) {
                PrintLatency("last byte sent -> host window drawn", SpreadOf(v.shown));
            }
            PrintLatency("first byte sent -> screen composed", first);
            std::printf("  %-44s median %7.3f ms\n", "Present alone", v.presentMs);
            std::printf("  %-44s median %7.3f ms\n", "compose alone", v.composeMs);
            std::printf(
                "  ratios (medians): composed / Present %.1f, composed / (decode + Present + "
                "compose) %.2f, first byte -> composed / drain first byte -> read %.2f\n",
                composed.median / v.presentMs,
                composed.median / (decode + v.presentMs + v.composeMs),
                first.median / drainFirst.median);
            if (!v.formatMatches) {
                std::printf("  the viewer asked for another pixel format than 16-bit 5:6:5\n");
            }
            failures += v.lost > 0 || composed.count == 0 || !v.formatMatches;
        }
    }
    if (!memory.empty()) {
        std::printf(
            "\nMemory of one viewer, before opening -> first screen shown; the "
            "framebuffer is %.0f bytes\n",
            kFrameBufferBytes);
        for (const MemoryResult& m : memory) {
            if (!m.ok) {
                std::printf("  %-8s failed\n", m.encoding.c_str());
                ++failures;
                continue;
            }
            auto grown = [](double before, double after) {
                char text[64];
                std::snprintf(text, sizeof text, "+%5.0f KiB = %.2fx", (after - before) / 1024,
                              (after - before) / kFrameBufferBytes);
                return std::string(text);
            };
            std::printf(
                "  %-8s resident %s, of it anonymous %s; heap in use %s, heap held %s\n",
                m.encoding.c_str(),
                grown(static_cast<double>(m.rssBefore), static_cast<double>(m.rssAfter)).c_str(),
                grown(static_cast<double>(m.anonBefore), static_cast<double>(m.anonAfter)).c_str(),
                grown(static_cast<double>(m.heapBefore), static_cast<double>(m.heapAfter)).c_str(),
                grown(static_cast<double>(m.heldBefore), static_cast<double>(m.heldAfter)).c_str());
            std::printf("    grown mappings (resident KiB, size KiB, name):\n");
            for (const std::string& line : m.maps) {
                std::printf("      %s\n", line.c_str());
            }
        }
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--updates" && i + 1 < argc) {
            options.updates = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--warmup" && i + 1 < argc) {
            options.warmup = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--sdl") {
            options.sdl = true;
        } else if (arg == "--no-memory") {
            options.memory = false;
        } else if (arg == "--memory-child" && i + 1 < argc) {
            options.memoryChild = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--updates N] [--warmup N] [--sdl] [--no-memory]\n",
                         argv[0]);
            return 2;
        }
    }
    if (!options.memoryChild.empty()) {
        return MeasureMemoryChild(options);
    }
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return 1;
    }
    self[length] = 0;
    return Run(options, self);
}
