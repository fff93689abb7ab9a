// The byte stream under the protocol: whole-buffer sends and exact-length blocking receives.
#pragma once

#include <platform/types.h>

class Transport {
  public:
    virtual ~Transport() = default;
    // Sends the whole buffer in one go; false when the connection failed or is not open.
    virtual bool Send(const void* buffer, int length) = 0;
    // Blocks until exactly length bytes have arrived; false when the connection failed or is not
    // open (the bytes already copied are then meaningless). length <= 0 returns true.
    virtual bool Receive(void* buffer, int length) = 0;
    // True when the transport keeps the bytes it receives in a buffer of its own and can hand them
    // out there (ReceiveInPlace), so that a bulk payload is not copied once more on its way.
    virtual bool ReceivesInPlace() const { return false; }
    // Blocks until at least unit bytes (1 to 16: a pixel, a subrectangle) have arrived, then takes
    // from the stream as many as it already holds, at most maximum (at least unit), in whole units.
    // maximum is what the caller is sure to read (the rest of a rectangle): the transport may wait
    // for that many to arrive before handing out any. The result:
    // *length is set to their number and the result points at them, valid until the next call on
    // the transport. Null when the connection failed or the transport does not receive in place.
    virtual const BYTE* ReceiveInPlace(int unit, int maximum, int* length) {
        (void)unit;
        (void)maximum;
        *length = 0;
        return nullptr;
    }
    // Ends the connection without telling the listener; a Receive blocked on another thread fails.
    virtual void Close() = 0;
    // Ends the connection for good and waits for the transport's own threads that can call its
    // listener (a connect thread and the handshake it runs); nothing starts them again. A reader
    // blocked on another thread fails as after Close. A transport without threads only closes.
    // Not from one of those threads.
    virtual void Shutdown() { Close(); }

    // How many bytes the transport holds, to be taken without waiting for the network.
    int HeldBytes() const { return static_cast<int>(heldEnd_ - held_); }
    // The next length bytes (1 or more) where the transport already holds them, taken from the
    // stream without a call of its own (valid as ReceiveInPlace's); null when it holds fewer,
    // which leaves the stream as it was: then ReceiveInPlace or Receive.
    const BYTE* TakeHeld(int length) {
        if (length <= 0 || length > heldEnd_ - held_) {
            return nullptr;
        }
        const BYTE* bytes = held_;
        held_ += length;
        return bytes;
    }

  protected:
    // Where a transport that receives in place keeps the bytes received and not yet read:
    // [held_, heldEnd_). Others leave both null.
    const BYTE* held_ = nullptr;
    const BYTE* heldEnd_ = nullptr;
};
