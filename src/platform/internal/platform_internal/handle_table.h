// Handles for windows, menus and GDI objects: a slot number and the slot's generation, never an
// object's address. A slot's generation moves on when its object goes, so a stale handle fails
// cleanly even after a newer object took the same slot (or the same address).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

static_assert(sizeof(std::uintptr_t) == 8, "handles carry a 32-bit generation above the slot");

// Not thread-safe: each owner keeps its table under its own mutex.
//
// A handle's bits: the generation (32 bits, never 0), the slot (28 bits), the table's kind (3
// bits, never 0, so a handle of one table never names an object of another and a null handle
// names nothing) and a 0 in bit 0 (free for the callers' flags: a window handle with bit 0 set
// asks for its owned pop-ups too).
template <class Object, class Handle>
class HandleTable {
  public:
    explicit HandleTable(unsigned kind) : tag_((std::uintptr_t{kind} & 7) << 1) {}

    // Takes the object and returns its new handle; null when every slot is used.
    Handle Add(std::unique_ptr<Object> object) {
        std::uint32_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else if (slots_.size() < kMaxSlots) {
            index = static_cast<std::uint32_t>(slots_.size());
            slots_.push_back(Slot{});
        } else {
            return nullptr;
        }
        Slot& slot = slots_[index];
        slot.object = std::move(object);
        ++live_;
        return Encode(index, slot.generation);
    }

    // The live object the handle names, or null (a stale, foreign or made-up handle).
    Object* Find(Handle handle) const {
        const Slot* slot = SlotOf(handle);
        return slot == nullptr ? nullptr : slot->object.get();
    }

    // Takes the object out; the handle and every copy of it stop naming anything. Null when the
    // handle names no live object.
    std::unique_ptr<Object> Remove(Handle handle) {
        auto* slot = const_cast<Slot*>(SlotOf(handle));
        if (slot == nullptr || !slot->object) {
            return nullptr;
        }
        std::unique_ptr<Object> object = std::move(slot->object);
        --live_;
        // A slot whose generation has gone round is retired: its handles could come back.
        if (++slot->generation != 0) {
            free_.push_back(static_cast<std::uint32_t>(slot - slots_.data()));
        }
        return object;
    }

    std::size_t Size() const { return live_; }

    // Calls visit(object) for every live object, in slot order.
    template <class Visit>
    void ForEach(Visit visit) const {
        for (const Slot& slot : slots_) {
            if (slot.object) {
                visit(slot.object.get());
            }
        }
    }

  private:
    static constexpr std::uint32_t kMaxSlots = 1u << 28;

    struct Slot {
        std::unique_ptr<Object> object;
        std::uint32_t generation = 1;
    };

    Handle Encode(std::uint32_t index, std::uint32_t generation) const {
        std::uintptr_t value =
            std::uintptr_t{generation} << 32 | std::uintptr_t{index} << 4 | tag_;
        return reinterpret_cast<Handle>(value);
    }

    const Slot* SlotOf(Handle handle) const {
        auto value = reinterpret_cast<std::uintptr_t>(handle);
        if ((value & 0xF) != tag_) {
            return nullptr;
        }
        std::size_t index = (value >> 4) & (kMaxSlots - 1);
        if (index >= slots_.size() || slots_[index].generation != value >> 32) {
            return nullptr;
        }
        return &slots_[index];
    }

    std::uintptr_t tag_;
    std::vector<Slot> slots_;
    std::vector<std::uint32_t> free_;  // the most recently freed slot is used first
    std::size_t live_ = 0;
};

// The kinds of the platform's tables.
constexpr unsigned kWindowHandles = 1;
constexpr unsigned kMenuHandles = 2;
constexpr unsigned kGdiHandles = 3;
