#include <encodings/paint_stores.h>

#include <atomic>

namespace {

bool ProcessorHasMaskedStores() {
#if defined(__x86_64__) && defined(__GNUC__)
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("bmi2");
#else
    return false;
#endif
}

std::atomic<bool>& InUse() {
    static std::atomic<bool> inUse{ProcessorHasMaskedStores()};
    return inUse;
}

}  // namespace

bool MaskedPaintStores() {
    return InUse().load(std::memory_order_relaxed);
}

bool UseMaskedPaintStores(bool wanted) {
    bool use = wanted && ProcessorHasMaskedStores();
    InUse().store(use, std::memory_order_relaxed);
    return use;
}
