// The byte stream under the protocol: whole-buffer sends and exact-length blocking receives.
#pragma once

class Transport {
  public:
    virtual ~Transport() = default;
    // Sends the whole buffer in one go; false when the connection failed or is not open.
    virtual bool Send(const void* buffer, int length) = 0;
    // Blocks until exactly length bytes have arrived; false when the connection failed or is not
    // open (the bytes already copied are then meaningless). length <= 0 returns true.
    virtual bool Receive(void* buffer, int length) = 0;
    // Ends the connection without telling the listener; a Receive blocked on another thread fails.
    virtual void Close() = 0;
    // Ends the connection for good and waits for the transport's own threads that can call its
    // listener (a connect thread and the handshake it runs); nothing starts them again. A reader
    // blocked on another thread fails as after Close. A transport without threads only closes.
    // Not from one of those threads.
    virtual void Shutdown() { Close(); }
};
