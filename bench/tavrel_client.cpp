#include "memory_transport.h"
#include "race_clients.h"
#include "store_listener.h"

#include <display/display.h>
#include <display/frame_buffer_store.h>
#include <platform/device_screen.h>
#include <rfb/session_listener.h>

#include <rfb/rfb_session.h>
#include <rfb/socket_transport.h>
#include <rfb/transport_listener.h>

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <memory>
#include <mutex>

namespace {

// The viewer's part in the race: everything drawn goes into a FrameBufferStore on the device
// screen, as in the viewer.
class RaceListener : public StoreListener, public TransportListener {
  public:
    RaceListener(int updates, int bitsPerPixel, FrameBufferStore& store)
        : StoreListener(store), wanted_(updates), bitsPerPixel_(bitsPerPixel) {}
    // The format the session asks for: 5:6:5 or 8:8:8.
    bool AskForPixels(RfbSession& session) {
        return bitsPerPixel_ == 32 ? session.SetPixelFormatFromBits(32, 8, 8, 8)
                                   : session.SetPixelFormatFromBits(16, 5, 6, 5);
    }
    void OnServerInit(const WCHAR*, int width, int height, const PixelFormat&) override {
        store_.SetSize(width, height);
        if (bitsPerPixel_ == 32) {
            store_.SetPixelFormat(32, 8, 8, 8);
        } else {
            store_.SetPixelFormat(16, 5, 6, 5);
        }
    }
    void OnConnectResult(int status) override {
        if (status == 0 && session->Handshake(u"", true) && AskForPixels(*session)) {
            session->StartMessageThread();
            cpuSeconds_ += ThreadCpuSeconds();  // the connect thread: connect and handshake
        } else {
            Done(false);
        }
    }
    void OnConnectionLost(int) override { Done(false); }
    void OnUpdateComplete() override {
        if (++updates_ == wanted_) {
            cpuSeconds_ += ThreadCpuSeconds();  // the message thread
            Done(true);
        }
    }
    bool Wait(double& cpuSeconds) {
        std::unique_lock lock(mutex_);
        finished_.wait_for(lock, std::chrono::seconds(60), [this] { return done_; });
        cpuSeconds = cpuSeconds_;
        return ok_;
    }
    RfbSession* session = nullptr;

  private:
    void Done(bool ok) {
        std::lock_guard lock(mutex_);
        if (!done_) {
            done_ = true;
            ok_ = ok;
            finished_.notify_all();
        }
    }
    int wanted_;
    int bitsPerPixel_;
    int updates_ = 0;
    double cpuSeconds_ = 0;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    bool ok_ = false;
};

}  // namespace

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

namespace {

// The device screen our client draws on: 16 bits 5:6:5 or 32 bits 8:8:8, set up again when a
// stream wants the other one. The decoding benchmark keeps one store for the screen it made.
class RaceDevice {
  public:
    static RaceDevice& For(int deviceBits) {
        static RaceDevice device;
        if (device.bits_ != deviceBits) {
            device.decodeStore_.reset();
            if (device.display_ != nullptr) {
                device.display_.reset();
                ShutdownDisplay();
            }
            ConfigureDeviceScreen(DeviceScreenConfig{
                240, 320, 96,
                deviceBits == 32 ? DevicePixelFormat::Xrgb8888 : DevicePixelFormat::Rgb565});
            InitDisplay();
            device.display_ = CreateDisplayInfo(nullptr);
            device.bits_ = deviceBits;
        }
        return device;
    }
    std::unique_ptr<FrameBufferStore> CreateStore() { return display_->CreateFrameBuffer(); }
    FrameBufferStore& DecodeStore() {
        if (decodeStore_ == nullptr) {
            decodeStore_ = CreateStore();
        }
        return *decodeStore_;
    }

  private:
    int bits_ = 0;
    std::unique_ptr<DisplayInfo> display_;
    std::unique_ptr<FrameBufferStore> decodeStore_;
};

}  // namespace

bool DecodeInMemory(const RecordedSession& recording, int deviceBits, bool inPlace) {
    FrameBufferStore& store = RaceDevice::For(deviceBits).DecodeStore();
    RaceListener listener(recording.updates, recording.bitsPerPixel, store);
    MemoryTransport transport(recording.stream);
    transport.ReceiveInPlaceInBlocksOf(inPlace ? 128 * 1024 : 0);
    RfbSession session(&listener, &transport);
    listener.OnServerInit(u"", recording.width, recording.height, PixelFormat{});
    listener.AskForPixels(session);
    session.SetFramebufferSize(recording.width, recording.height);
    for (int update = 0; update < recording.updates; ++update) {
        if (!session.ReadServerMessage()) {
            return false;
        }
    }
    return transport.Remaining() == 0;
}

bool RunTavrelClient(int port, int updates, int bitsPerPixel, int deviceBits,
                     double& cpuSeconds) {
    std::unique_ptr<FrameBufferStore> store = RaceDevice::For(deviceBits).CreateStore();
    RaceListener listener(updates, bitsPerPixel, *store);
    SocketTransport transport(&listener);
    RfbSession session(&listener, &transport);
    listener.session = &session;
    transport.Connect(u"127.0.0.1", static_cast<WORD>(port));
    bool ok = listener.Wait(cpuSeconds);
    transport.WaitForConnectThread();
    return ok;
}
