// The TCP transport: the Connection Manager, name lookup and connect on a thread of its own, then
// whole-buffer sends and reads through a 1024-byte read-ahead buffer (128 KiB once a decoder reads
// in place).
#pragma once

#include <platform/types.h>
#include <platform/winsock.h>
#include <rfb/transport.h>
#include <sync/guarded.h>

#include <atomic>
#include <memory>
#include <vector>

class TransportListener;

class SocketTransport : public Transport {
  public:
    explicit SocketTransport(TransportListener* listener);
    // Shuts down, then releases the network connection.
    ~SocketTransport() override;
    SocketTransport(const SocketTransport&) = delete;
    SocketTransport& operator=(const SocketTransport&) = delete;

    // Starts a connect thread; the outcome arrives through OnConnectResult. An open connection is
    // closed first and reported as kConnectionClosed. Does nothing after Shutdown.
    void Connect(const WCHAR* host, WORD port);

    // Waits until a running connect thread (and the handshake it runs) has ended. Not on the
    // connect thread itself.
    void WaitForConnectThread();

    bool Send(const void* buffer, int length) override;
    bool Receive(void* buffer, int length) override;
    bool ReceivesInPlace() const override { return true; }
    // The first call moves the read-ahead into a block of 128 KiB, kept for the connection's life:
    // reads of that size go from the socket straight into it.
    const BYTE* ReceiveInPlace(int unit, int maximum, int* length) override;
    void Close() override;
    // Closes, so that a connect or a handshake read under way fails, and waits for the connect
    // thread. Idempotent; on the thread that calls Connect.
    void Shutdown() override;

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
    std::atomic<bool> shutDown_{false};
    // The read-ahead: the bytes [held_, heldEnd_) of buffer_ are received and not yet read.
    // buffer_ is inlineBuffer_ until a bulk read in place asks for largeBuffer_.
    void ResetReadAhead() { held_ = heldEnd_ = buffer_; }
    BYTE inlineBuffer_[1024];
    std::unique_ptr<BYTE[]> largeBuffer_;
    BYTE* buffer_ = inlineBuffer_;
    int capacity_ = sizeof inlineBuffer_;
    // Sockets taken out of use, closed by the destructor.
    Guarded<std::vector<SOCKET>> retired_;
};
