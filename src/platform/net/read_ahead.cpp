#include "read_ahead.h"

#include "host_socket.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace host_net {
namespace {

// A block takes whatever the host has buffered, up to 64 KiB, so a reader asking for a few
// hundred bytes at a time makes one system call per block. The block stays while the socket is
// open: 64 KiB is 4 % of a 1024 x 768 16-bit framebuffer, and blocks of 1 MiB took no measurably
// less time in the session race (bench/README.md).
constexpr int kBlockBytes = 64 * 1024;
// Reads at least this large go straight to the caller's buffer when the block is empty: the block
// would save them at most one call for a copy of all of it.
constexpr int kDirectBytes = 32 * 1024;

struct ReadAhead {
    std::mutex reading;  // one reader at a time, held across the blocking host call
    std::atomic<bool> shut{false};
    std::unique_ptr<char[]> block;  // made at the first read that needs it
    int position = 0;
    int count = 0;
};

std::mutex tableLock;
std::unordered_map<int, std::shared_ptr<ReadAhead>>& Table() {
    static auto* table = new std::unordered_map<int, std::shared_ptr<ReadAhead>>;
    return *table;
}

std::shared_ptr<ReadAhead> Find(int fd) {
    std::lock_guard lock(tableLock);
    auto found = Table().find(fd);
    return found == Table().end() ? nullptr : found->second;
}

// The rest of a read that waits for all of it, straight from the host; delivered bytes are in
// buffer already. A read shut down meanwhile gives 0.
int ReceiveRest(int fd, char* buffer, int length, int delivered, const std::atomic<bool>* shut) {
    while (delivered < length) {
        int received = Receive(fd, buffer + delivered, length - delivered, true);
        if (shut != nullptr && *shut) {
            return 0;
        }
        if (received <= 0) {
            return delivered > 0 ? delivered : received;
        }
        delivered += received;
    }
    return delivered;
}

}  // namespace

void OpenReadAhead(int fd) {
    std::lock_guard lock(tableLock);
    Table()[fd] = std::make_shared<ReadAhead>();
}

void ShutReadAhead(int fd) {
    if (std::shared_ptr<ReadAhead> ahead = Find(fd)) {
        ahead->shut = true;
    }
}

void CloseReadAhead(int fd) {
    std::lock_guard lock(tableLock);
    Table().erase(fd);
}

int ReceiveAhead(int fd, char* buffer, int length, bool waitAll) {
    std::shared_ptr<ReadAhead> ahead = Find(fd);
    if (ahead == nullptr) {
        return waitAll ? ReceiveRest(fd, buffer, length, 0, nullptr) : Receive(fd, buffer, length);
    }
    if (length <= 0) {
        return 0;
    }
    std::lock_guard lock(ahead->reading);
    if (ahead->shut) {
        return 0;
    }
    int delivered = 0;
    if (ahead->position < ahead->count) {
        delivered = std::min(length, ahead->count - ahead->position);
        std::memcpy(buffer, ahead->block.get() + ahead->position,
                    static_cast<std::size_t>(delivered));
        ahead->position += delivered;
        if (delivered == length || !waitAll) {
            return delivered;
        }
    }
    if (waitAll || length >= kDirectBytes) {
        // A reader that reads in large pieces (a transport with a read-ahead of its own) has no
        // use for the block: it goes, and is made again at the next small read.
        ahead->block.reset();
    }
    if (waitAll) {
        // The caller knows these bytes are coming: one host call waits for all of them.
        return ReceiveRest(fd, buffer, length, delivered, &ahead->shut);
    }
    if (length >= kDirectBytes) {
        // A large read gains nothing from passing through the block.
        return Receive(fd, buffer, length);
    }
    if (ahead->block == nullptr) {
        ahead->block = std::make_unique_for_overwrite<char[]>(kBlockBytes);
    }
    int received = Receive(fd, ahead->block.get(), kBlockBytes);
    if (received <= 0 || ahead->shut) {
        return received < 0 ? -1 : 0;
    }
    ahead->position = 0;
    ahead->count = received;
    int chunk = std::min(length, received);
    std::memcpy(buffer, ahead->block.get(), static_cast<std::size_t>(chunk));
    ahead->position = chunk;
    return chunk;
}

}  // namespace host_net
