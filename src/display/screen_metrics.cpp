#include <display/screen_metrics.h>

#include <platform/gdi.h>

std::int32_t MulDivRound(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0) {
        return 0;
    }
    // Unsigned arithmetic gives the 32-bit wrap-around without undefined behaviour.
    std::uint32_t magnitude =
        a < 0 ? 0u - static_cast<std::uint32_t>(a) : static_cast<std::uint32_t>(a);
    auto sum = static_cast<std::int32_t>(magnitude * static_cast<std::uint32_t>(b) +
                                         static_cast<std::uint32_t>(c / 2));
    std::int32_t quotient;
    if (c == -1) {
        quotient = static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(sum));
    } else {
        quotient = sum / c;
    }
    return a < 0 ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(quotient)) : quotient;
}

int GetScreenDeviceCaps(int index) {
    // The null device context is the screen's; it needs no release.
    return GetDeviceCaps(nullptr, index);
}

namespace {

constexpr int kLogPixelsX = 88;
constexpr int kLogPixelsY = 90;

int Scaled(int n, int dpi) {
    return (n * dpi + 48) / 96;
}

}  // namespace

int ScaledX(int n) {
    static const int dpi = GetScreenDeviceCaps(kLogPixelsX);
    return Scaled(n, dpi);
}

int ScaledY(int n) {
    static const int dpi = GetScreenDeviceCaps(kLogPixelsY);
    return Scaled(n, dpi);
}
