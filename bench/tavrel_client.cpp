#include "device_surface_16.h"
#include "race_clients.h"

#include <rfb/rfb_session.h>
#include <rfb/socket_transport.h>
#include <rfb/transport_listener.h>

#include <chrono>
#include <condition_variable>

namespace {

class RaceListener : public DeviceSurface16, public TransportListener {
public:
    explicit RaceListener(int updates) : wanted_(updates) {}
    void OnConnectResult(int status) override {
        if (status == 0 && session->Handshake(u"", true) && session->SetPixelFormatFromBits(16, 5, 6, 5)) {
            session->StartMessageThread();
        } else {
            Done(false);
        }
    }
    void OnConnectionLost(int) override { Done(false); }
    void OnUpdateComplete() override {
        if (++updates_ == wanted_) {
            Done(true);
        }
    }
    bool Wait() {
        std::unique_lock lock(mutex_);
        finished_.wait_for(lock, std::chrono::seconds(60), [this] { return done_; });
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
    int updates_ = 0;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    bool ok_ = false;
};

}  // namespace

bool RunTavrelClient(int port, int updates) {
    RaceListener listener(updates);
    SocketTransport transport(&listener);
    RfbSession session(&listener, &transport);
    listener.session = &session;
    transport.Connect(u"127.0.0.1", static_cast<WORD>(port));
    bool ok = listener.Wait();
    transport.WaitForConnectThread();
    return ok;
}
