#include <display/fraction.h>

#include <limits>

namespace {

// Two's complement wrap-around, as the device's 32-bit arithmetic gives.
std::int32_t WrappingProduct(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

}  // namespace

Fraction Multiply(Fraction a, Fraction b) {
    return Fraction{WrappingProduct(a.num, b.num), WrappingProduct(a.den, b.den)};
}

Fraction Divide(Fraction a, Fraction b) {
    return Fraction{WrappingProduct(a.num, b.den), WrappingProduct(a.den, b.num)};
}

std::int32_t ToInt(Fraction a) {
    if (a.den == 0) {
        return 0;
    }
    if (a.den == -1) {
        return WrappingProduct(a.num, -1);  // the one quotient that overflows
    }
    return a.num / a.den;
}

float ToFloat(Fraction a) {
    if (a.den == 0) {
        return 0.0f;
    }
    return static_cast<float>(a.num) / static_cast<float>(a.den);
}

bool Less(Fraction a, Fraction b) {
    return ToFloat(a) < ToFloat(b);
}
