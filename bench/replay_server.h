// Replays a recorded session to one client on 127.0.0.1 as fast as the client reads: RFB 3.3
// without authentication, a 16-bit ServerInit, then the recording; what the client sends is read
// and dropped on a second thread.
#pragma once

#include "recorded_session.h"

#include <thread>

class ReplayServer {
  public:
    explicit ReplayServer(const RecordedSession& session);
    ~ReplayServer();
    int Port() const { return port_; }
    // Serves one client on a thread of its own.
    void ServeOne();
    void Wait();

  private:
    const RecordedSession& session_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};
