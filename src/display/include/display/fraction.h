// Zoom factors as a numerator and a denominator, never reduced; products wrap as 32-bit
// integers.
#pragma once

#include <cstdint>

struct Fraction {
    std::int32_t num = 1;
    std::int32_t den = 1;

    static Fraction FromInt(std::int32_t n) { return Fraction{n, 1}; }
    static Fraction Make(std::int32_t n, std::int32_t d) { return Fraction{n, d}; }
};

Fraction Multiply(Fraction a, Fraction b);
Fraction Divide(Fraction a, Fraction b);
// Truncated toward zero; 0 when the denominator is 0.
std::int32_t ToInt(Fraction a);
// 0 when the denominator is 0.
float ToFloat(Fraction a);
bool Less(Fraction a, Fraction b);
