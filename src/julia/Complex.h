// Complex: the value type the Julia iteration runs on. Every product is
// rounded to double before the sum (the build forbids contraction to FMA),
// which the renderer's bit-exact output depends on.
#pragma once

#include <cmath>

struct Complex {
    double re = 0.0;
    double im = 0.0;

    Complex() = default;
    Complex(double real, double imag) : re(real), im(imag) {}

    double modulus() const { return std::sqrt(re * re + im * im); }
};

inline Complex operator+(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
inline Complex operator-(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
inline Complex operator*(Complex a, Complex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
