// A Transport fed from a byte vector: Receive hands out the bytes in order and fails once they
// run out; every Send is recorded. ReceiveInPlace is offered once asked for, handing out at most
// a given number of bytes at a time (any number, so that blocks end anywhere in a row), and after
// each such read the next block's worth of bytes is held for TakeHeld.
#pragma once

#include <rfb/transport.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

class MemoryTransport : public Transport {
  public:
    MemoryTransport() = default;
    explicit MemoryTransport(std::vector<std::uint8_t> input) : input_(std::move(input)) {}

    void Append(const std::vector<std::uint8_t>& bytes) {
        Sync();
        input_.insert(input_.end(), bytes.begin(), bytes.end());
    }
    void SetInput(const std::uint8_t* data, std::size_t size) {
        Sync();
        input_.assign(data, data + size);
        position_ = 0;
    }

    bool Send(const void* buffer, int length) override {
        if (closed_) {
            return false;
        }
        auto* bytes = static_cast<const std::uint8_t*>(buffer);
        sends_.emplace_back(bytes, bytes + length);
        return true;
    }
    bool Receive(void* buffer, int length) override {
        CheckNoWait(length);
        Sync();
        if (closed_) {
            return false;
        }
        if (length <= 0) {
            return true;
        }
        if (input_.size() - position_ < static_cast<std::size_t>(length)) {
            position_ = input_.size();
            ++failedReceives_;
            return false;
        }
        std::memcpy(buffer, input_.data() + position_, static_cast<std::size_t>(length));
        position_ += static_cast<std::size_t>(length);
        return true;
    }
    void Close() override { closed_ = true; }
    // blockBytes > 0: receive in place, at most that many bytes at a time; 0: do not.
    void ReceiveInPlaceInBlocksOf(int blockBytes) { blockBytes_ = blockBytes; }
    bool ReceivesInPlace() const override { return blockBytes_ > 0; }
    const BYTE* ReceiveInPlace(int unit, int maximum, int* length) override {
        CheckNoWait(unit);
        Sync();
        *length = 0;
        std::size_t left = input_.size() - position_;
        if (closed_ || blockBytes_ <= 0 || unit < 1 || left < static_cast<std::size_t>(unit)) {
            position_ = input_.size();
            ++failedReceives_;
            return nullptr;
        }
        std::size_t taken = std::min<std::size_t>(
            {left, static_cast<std::size_t>(maximum),
             std::max(static_cast<std::size_t>(blockBytes_), static_cast<std::size_t>(unit))});
        taken -= taken % static_cast<std::size_t>(unit);
        const BYTE* bytes = input_.data() + position_;
        position_ += taken;
        *length = static_cast<int>(taken);
        held_ = input_.data() + position_;
        heldEnd_ = held_ + std::min(input_.size() - position_, static_cast<std::size_t>(blockBytes_));
        return bytes;
    }

    // While *noWait is true, a read that a socket transport would have to wait for (more bytes
    // than are held) is counted in Waits().
    void ForbidWaitingWhile(const bool* noWait) { noWait_ = noWait; }
    int Waits() const { return waits_; }

    const std::vector<std::vector<std::uint8_t>>& Sends() const { return sends_; }
    std::size_t Remaining() const {
        return input_.size() - (held_ != nullptr ? held_ - input_.data() : position_);
    }
    int FailedReceives() const { return failedReceives_; }
    bool Closed() const { return closed_; }

  private:
    void CheckNoWait(int length) {
        if (noWait_ != nullptr && *noWait_ && length > HeldBytes()) {
            ++waits_;
        }
    }
    // What TakeHeld took counts as read; nothing is held any more.
    void Sync() {
        if (held_ != nullptr) {
            position_ = static_cast<std::size_t>(held_ - input_.data());
        }
        held_ = heldEnd_ = nullptr;
    }

    std::vector<std::uint8_t> input_;
    std::size_t position_ = 0;
    std::vector<std::vector<std::uint8_t>> sends_;
    int failedReceives_ = 0;
    int blockBytes_ = 0;
    bool closed_ = false;
    const bool* noWait_ = nullptr;
    int waits_ = 0;
};
