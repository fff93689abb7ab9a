// The device runtime's pseudo-random generator: a linear congruential generator giving 15-bit
// values (0 to 32767), replacing the host C library's rand and srand in this program.
#include <atomic>
#include <cstdlib>

namespace {
std::atomic<unsigned int> state{1};
}

extern "C" void srand(unsigned int seed) noexcept {
    state.store(seed);
}

extern "C" int rand(void) noexcept {
    unsigned int current = state.load();
    unsigned int next;
    do {
        next = current * 214013u + 2531011u;
    } while (!state.compare_exchange_weak(current, next));
    return static_cast<int>((next >> 16) & 0x7FFF);
}
