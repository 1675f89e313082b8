// Complex arithmetic on pairs of doubles.
//
// Written out by hand rather than through std::complex: the multiplication of
// std::complex goes through a library routine that re-examines NaN results,
// which is slow in the layer loops and changes which NaN/Inf comes out. Here a
// product is exactly (ac - bd) + i(ad + bc), nothing more.
#pragma once

#include <cmath>

struct Complex {
    double re;
    double im;
};

inline Complex add(Complex x, Complex y) { return {x.re + y.re, x.im + y.im}; }
inline Complex sub(Complex x, Complex y) { return {x.re - y.re, x.im - y.im}; }
inline Complex conj(Complex x) { return {x.re, -x.im}; }
inline Complex neg(Complex x) { return {-x.re, -x.im}; }

inline Complex mul(Complex x, Complex y)
{
    return {x.re * y.re - x.im * y.im, x.re * y.im + x.im * y.re};
}

// A real number times a complex one.
inline Complex scale(double s, Complex x) { return {s * x.re, s * x.im}; }

// (i s) times x, for a purely imaginary factor such as a phase slope.
inline Complex mulImaginary(double s, Complex x) { return {-(s * x.im), s * x.re}; }

inline double norm2(Complex x) { return x.re * x.re + x.im * x.im; }

// z / w as z times conj(w), each part divided by |w|^2.
inline Complex divide(Complex z, Complex w)
{
    const Complex p = mul(z, conj(w));
    const double n = norm2(w);
    return {p.re / n, p.im / n};
}

// Modulus as the C library's cabs forms it (hypot: no overflow, and IEEE's
// rule that an infinite part gives +Inf even beside a NaN).
inline double modulus(Complex x) { return std::hypot(x.re, x.im); }
