// A Transport fed from a byte vector: Receive hands out the bytes in order and fails once they
// run out; every Send is recorded.
#pragma once

#include <rfb/transport.h>

#include <cstdint>
#include <cstring>
#include <vector>

class MemoryTransport : public Transport {
  public:
    MemoryTransport() = default;
    explicit MemoryTransport(std::vector<std::uint8_t> input) : input_(std::move(input)) {}

    void Append(const std::vector<std::uint8_t>& bytes) {
        input_.insert(input_.end(), bytes.begin(), bytes.end());
    }
    void SetInput(const std::uint8_t* data, std::size_t size) {
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

    const std::vector<std::vector<std::uint8_t>>& Sends() const { return sends_; }
    std::size_t Remaining() const { return input_.size() - position_; }
    int FailedReceives() const { return failedReceives_; }
    bool Closed() const { return closed_; }

  private:
    std::vector<std::uint8_t> input_;
    std::size_t position_ = 0;
    std::vector<std::vector<std::uint8_t>> sends_;
    int failedReceives_ = 0;
    bool closed_ = false;
};
