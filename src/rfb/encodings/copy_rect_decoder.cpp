#include <encodings/standard_decoders.h>

#include <rfb/session_listener.h>
#include <rfb/transport.h>
#include <rfb/wire.h>

bool CopyRectDecoder::Decode(RfbSession&, SessionListener& listener, Transport& transport, int x,
                             int y, int width, int height) {
    BYTE source[4];
    if (!transport.Receive(source, 4)) {
        return false;
    }
    listener.OnCopyRect(x, y, wire::Read16(source), wire::Read16(source + 2), width, height);
    return true;
}
