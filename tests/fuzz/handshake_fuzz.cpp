// The opening exchange over a transport fed from the fuzzer's bytes. The first byte chooses the
// password length (0 to 15 characters) and whether the session asks to share.
#include "fuzz_listener.h"
#include "memory_transport.h"

#include <rfb/rfb_session.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    WCHAR password[16] = {};
    int length = data[0] & 15;
    for (int i = 0; i < length; ++i) {
        password[i] = static_cast<WCHAR>(u'a' + i);
    }
    MemoryTransport transport;
    transport.SetInput(data + 1, size - 1);
    FuzzListener listener(1, 1, 4);
    RfbSession session(&listener, &transport);
    session.Handshake(password, (data[0] & 16) != 0);
    return 0;
}
