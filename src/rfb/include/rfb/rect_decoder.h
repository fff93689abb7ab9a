// The base of the decoders of the rectangle encodings.
#pragma once

class RfbSession;
class SessionListener;
class Transport;

class RectDecoder {
  public:
    RectDecoder(int priority, int encoding) : priority_(priority), encoding_(encoding) {}
    virtual ~RectDecoder() = default;
    // Reads the rectangle's payload and draws it through the listener; false when a read failed.
    virtual bool Decode(RfbSession& session, SessionListener& listener, Transport& transport, int x,
                        int y, int width, int height) = 0;

    int Priority() const { return priority_; }
    int Encoding() const { return encoding_; }

  private:
    int priority_;
    int encoding_;
};
