// Complex arithmetic on pairs of numbers: doubles, or lanes of doubles that
// carry several wavenumbers side by side.
//
// Written out by hand rather than through std::complex: the multiplication of
// std::complex goes through a library routine that re-examines NaN results,
// which is slow in the layer loops and changes which NaN/Inf comes out. Here a
// product is exactly (ac - bd) + i(ad + bc), nothing more, and a lane of a
// vector gets bit for bit what a double would.
#pragma once

#include <cmath>

template <class V>
struct ComplexOf {
    V re;
    V im;
};

using Complex = ComplexOf<double>;

template <class V>
inline ComplexOf<V> add(const ComplexOf<V>& x, const ComplexOf<V>& y)
{
    return {x.re + y.re, x.im + y.im};
}
template <class V>
inline ComplexOf<V> sub(const ComplexOf<V>& x, const ComplexOf<V>& y)
{
    return {x.re - y.re, x.im - y.im};
}
template <class V>
inline ComplexOf<V> conj(const ComplexOf<V>& x)
{
    return {x.re, -x.im};
}
template <class V>
inline ComplexOf<V> neg(const ComplexOf<V>& x)
{
    return {-x.re, -x.im};
}

template <class V>
inline ComplexOf<V> mul(const ComplexOf<V>& x, const ComplexOf<V>& y)
{
    return {x.re * y.re - x.im * y.im, x.re * y.im + x.im * y.re};
}

// A real number times a complex one.
template <class S, class V>
inline ComplexOf<V> scale(const S& s, const ComplexOf<V>& x)
{
    return {s * x.re, s * x.im};
}

// (i s) times x, for a purely imaginary factor such as a phase slope.
template <class S, class V>
inline ComplexOf<V> mulImaginary(const S& s, const ComplexOf<V>& x)
{
    return {-(s * x.im), s * x.re};
}

template <class V>
inline V norm2(const ComplexOf<V>& x)
{
    return x.re * x.re + x.im * x.im;
}

// z / w as z times conj(w), each part divided by |w|^2.
template <class V>
inline ComplexOf<V> divide(const ComplexOf<V>& z, const ComplexOf<V>& w)
{
    const ComplexOf<V> p = mul(z, conj(w));
    const V n = norm2(w);
    return {p.re / n, p.im / n};
}

// Modulus as the C library's cabs forms it (hypot: no overflow, and IEEE's
// rule that an infinite part gives +Inf even beside a NaN).
inline double modulus(const Complex& x) { return std::hypot(x.re, x.im); }
