// A TCP listener on 127.0.0.1 for tests that need a real socket, where the test plays the server;
// and a TCP connection to 127.0.0.1, where it plays the client.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// size bytes for a stream to send: neighbours differ and the sequence repeats only far apart,
// so a byte lost, doubled or out of place shows.
inline std::vector<std::uint8_t> NumberedBytes(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    }
    return bytes;
}

class LoopbackServer {
  public:
    LoopbackServer();  // listens on an ephemeral port
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }
    // Waits up to timeoutMs for a client; false on time-out.
    bool Accept(int timeoutMs = 5000);
    bool Write(const std::vector<std::uint8_t>& bytes);
    bool Write(const std::string& bytes);
    // Reads exactly count bytes (up to timeoutMs); empty on time-out or close.
    std::vector<std::uint8_t> Read(std::size_t count, int timeoutMs = 5000);
    // True when the client has closed its side (a read returns end of stream) within timeoutMs.
    bool WaitForClientClose(int timeoutMs = 5000);
    void CloseClient();

  private:
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
};

class LoopbackClient {
  public:
    explicit LoopbackClient(int port);  // connects to 127.0.0.1:port
    ~LoopbackClient();
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    bool Connected() const { return connected_; }
    bool Write(const std::string& bytes);
    // Reads exactly count bytes (up to timeoutMs); empty on time-out or close.
    std::vector<std::uint8_t> Read(std::size_t count, int timeoutMs = 5000);

  private:
    int socket_ = -1;
    bool connected_ = false;
};
