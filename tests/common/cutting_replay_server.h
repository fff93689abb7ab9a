// A test server on 127.0.0.1 that replays recorded server bytes to one client at a time and ends
// the connection after a chosen number of them, the way a server that goes away mid-stream does.
// It sends without waiting for the client's messages; what the client sends is read and dropped,
// so that an orderly close stays orderly.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

class CuttingReplayServer {
  public:
    enum class Ending {
        // The end of the stream (FIN) after the cut; the socket closes once the client's has.
        Close,
        // An abortive close (RST) right after the cut.
        Reset,
        // Nothing more after the cut; the connection is held open until the client closes it.
        Stall,
    };

    explicit CuttingReplayServer(std::vector<std::uint8_t> recording);
    // Ends a connection still held (Stall) and waits for the serving thread.
    ~CuttingReplayServer();
    CuttingReplayServer(const CuttingReplayServer&) = delete;
    CuttingReplayServer& operator=(const CuttingReplayServer&) = delete;

    int Port() const { return port_; }
    std::size_t Size() const { return recording_.size(); }
    // Serves the next client on a thread of its own: the first cut bytes (all of them when cut is
    // larger), then the ending. Waits for the previous client's thread first.
    void ServeOne(std::size_t cut, Ending ending = Ending::Close);
    // Waits until the client being served has been accepted and its connection ended: the client
    // closed its side (given up after 30 s), or no client came within 10 s. True when a client was
    // served.
    bool Wait();

  private:
    void Serve(std::size_t cut, Ending ending);
    // Reads and drops what the client sends until it closes its side or the server is destroyed.
    void DrainUntilClientCloses(int client);

    std::vector<std::uint8_t> recording_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> served_{false};
    std::atomic<bool> stopping_{false};
};
