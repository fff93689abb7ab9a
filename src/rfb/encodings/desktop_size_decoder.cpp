#include <encodings/standard_decoders.h>

#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>

bool DesktopSizeDecoder::Decode(RfbSession& session, SessionListener& listener, Transport&, int,
                                int, int width, int height) {
    session.SetFramebufferSize(width, height);
    listener.OnDesktopResize(width, height);
    return true;
}
