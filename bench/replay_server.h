// Replays a recorded session to one client on 127.0.0.1 as fast as the client reads: RFB 3.3
// without authentication, a ServerInit in the recording's pixel format, then the recording; what
// the client sends is read and dropped on a second thread.
#pragma once

#include "recorded_session.h"

#include <functional>
#include <thread>

class ReplayServer {
  public:
    // onThread runs first on each serving thread (to pin it to a core, say).
    explicit ReplayServer(
        const RecordedSession& session, std::function<void()> onThread = [] {});
    ~ReplayServer();
    int Port() const { return port_; }
    // Serves one client on a thread of its own.
    void ServeOne();
    void Wait();

  private:
    const RecordedSession& session_;
    std::function<void()> onThread_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};
