#include "race_clients.h"

#include <rfb/rfbclient.h>

#include <cstdlib>
#include <cstring>

namespace {

void Quiet(const char*, ...) {}
int tag;

void CountUpdate(rfbClient* client) {
    auto* count = static_cast<int*>(rfbClientGetClientData(client, &tag));
    ++*count;
}

const char* EncodingString(RaceEncoding encoding) {
    switch (encoding) {
        case RaceEncoding::Raw:
            return "raw";
        case RaceEncoding::Rre:
            return "rre";
        case RaceEncoding::CoRre:
            return "corre";
        case RaceEncoding::Hextile:
            return "hextile";
        case RaceEncoding::CopyRectRaw:
            return "copyrect raw";
    }
    return "raw";
}

}  // namespace

bool RunLibvncClient(int port, int updates, int bitsPerPixel, RaceEncoding encoding) {
    rfbClientLog = Quiet;
    rfbClientErr = Quiet;
    bool wide = bitsPerPixel == 32;
    rfbClient* client = wide ? rfbGetClient(8, 3, 4) : rfbGetClient(5, 3, 2);
    client->format.bitsPerPixel = wide ? 32 : 16;
    client->format.depth = wide ? 24 : 16;
    client->format.bigEndian = TRUE;
    client->format.trueColour = TRUE;
    client->format.redMax = wide ? 255 : 31;
    client->format.greenMax = wide ? 255 : 63;
    client->format.blueMax = wide ? 255 : 31;
    client->format.redShift = wide ? 16 : 11;
    client->format.greenShift = wide ? 8 : 5;
    client->format.blueShift = 0;
    client->appData.encodingsString = EncodingString(encoding);
    client->appData.useRemoteCursor = FALSE;
    client->serverHost = strdup("127.0.0.1");
    client->serverPort = port;
    int count = 0;
    rfbClientSetClientData(client, &tag, &count);
    client->FinishedFrameBufferUpdate = CountUpdate;
    if (!rfbInitClient(client, nullptr, nullptr)) {
        return false;  // it has freed the client
    }
    bool ok = true;
    while (count < updates) {
        int ready = WaitForMessage(client, 5000000);
        if (ready <= 0 || !HandleRFBServerMessage(client)) {
            ok = false;
            break;
        }
    }
    std::free(client->frameBuffer);
    client->frameBuffer = nullptr;
    rfbClientCleanup(client);
    return ok;
}
