// What a transport reports: the outcome of a connection attempt and the loss of a connection.
#pragma once

// Transport status codes; the text shown for a code is string 4000 - code.
enum TransportStatus : int {
    kTransportConnected = 0,
    kHostLookupFailed = -1,
    kConnectionRefused = -2,
    kConnectionClosed = -3,
    kConnectionReset = -4,
    kNetworkFailure = -5,
};

class TransportListener {
  public:
    virtual ~TransportListener() = default;
    // On the connect thread: 0, kHostLookupFailed, kConnectionRefused or kNetworkFailure. With 0
    // the listener runs the handshake before returning.
    virtual void OnConnectResult(int status) = 0;
    // kConnectionClosed on the thread calling Connect again; kConnectionReset on whichever thread
    // saw a send or receive fail. Must not wait for the user-interface thread.
    virtual void OnConnectionLost(int status) = 0;
};
