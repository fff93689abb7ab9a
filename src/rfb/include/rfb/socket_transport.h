// The TCP transport: the Connection Manager, name lookup and connect on a thread of its own, then
// whole-buffer sends and reads through a 1024-byte read-ahead buffer.
#pragma once

#include <platform/types.h>
#include <platform/winsock.h>
#include <rfb/transport.h>

#include <atomic>
#include <mutex>
#include <vector>

class TransportListener;

class SocketTransport : public Transport {
  public:
    explicit SocketTransport(TransportListener* listener);
    // Closes the socket, releases the network connection and waits for the connect thread.
    ~SocketTransport() override;
    SocketTransport(const SocketTransport&) = delete;
    SocketTransport& operator=(const SocketTransport&) = delete;

    // Starts a connect thread; the outcome arrives through OnConnectResult. An open connection is
    // closed first and reported as kConnectionClosed.
    void Connect(const WCHAR* host, WORD port);

    // Waits until a running connect thread (and the handshake it runs) has ended. Not on the
    // connect thread itself.
    void WaitForConnectThread();

    bool Send(const void* buffer, int length) override;
    bool Receive(void* buffer, int length) override;
    void Close() override;

  private:
    struct ConnectRequest;
    static DWORD ConnectThreadMain(LPVOID request);
    int RunConnect(const ConnectRequest& request);
    // Takes the socket out of use (shutdown both ways) and keeps it open until no thread can still
    // be inside a call on it, so its number is never reused under a reader's feet.
    bool RetireSocket();
    void Fail(int status);
    void CloseRetiredSockets();

    TransportListener* listener_;
    HANDLE connection_ = nullptr;
    HANDLE connectThread_ = nullptr;
    std::atomic<SOCKET> socket_{INVALID_SOCKET};
    BYTE receiveBuffer_[1024];
    DWORD readPosition_ = 0;
    DWORD fillCount_ = 0;
    std::mutex retiredLock_;
    std::vector<SOCKET> retired_;
};
