// Reference counting shared by the DirectDraw objects: Release at zero deletes.
#pragma once

#include <platform/types.h>

#include <atomic>

template <typename Interface>
class RefCounted : public Interface {
  public:
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    virtual ~RefCounted() = default;

  private:
    std::atomic<ULONG> references_{1};
};
