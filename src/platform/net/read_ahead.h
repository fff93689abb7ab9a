// Each socket's incoming bytes come from the host in blocks of up to 64 KiB and are handed out
// from there, so a reader that asks for a few hundred bytes at a time makes one system call per
// block rather than one per request. The bytes and their order are exactly those of the stream.
#pragma once

namespace host_net {

// The socket fd was just created: its reads go through a read-ahead from now on.
void OpenReadAhead(int fd);
// Reading was shut down: bytes not yet handed out are dropped and later reads give 0.
void ShutReadAhead(int fd);
// fd is about to be closed; a reader still blocked on it keeps its block until it returns.
void CloseReadAhead(int fd);
// recv's result: bytes delivered (at most length), 0 at the end of the stream, -1 on error.
// waitAll: all length bytes, unless the stream ends or fails first (then what came before, if
// anything); what the block holds is handed out first and the rest comes straight from the host.
int ReceiveAhead(int fd, char* buffer, int length, bool waitAll = false);

}  // namespace host_net
