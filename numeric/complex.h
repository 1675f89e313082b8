// Complex arithmetic on pairs of numbers: doubles, or lanes of doubles that
// carry several wavenumbers side by side.
//
// Written out by hand rather than through std::complex: the multiplication of
// std::complex goes through a library routine that re-examines NaN results,
// which is slow in the layer loops and changes which NaN/Inf comes out. Here a
// product is exactly (ac - bd) + i(ad + bc), nothing more, and a lane of a
// vector gets bit for bit what a double would. One dialect: operators, so
// that code over complex numbers (and complex jets, numeric/jet.h) reads like
// the formulas it evaluates; conj, norm2, timesI and modulus by name.
#pragma once

#include <cmath>
#include <utility>

namespace coat {

template <class V>
struct ComplexOf {
    V re;
    V im;
};

using Complex = ComplexOf<double>;

template <class V>
inline ComplexOf<V> operator+(const ComplexOf<V>& x, const ComplexOf<V>& y)
{
    return {x.re + y.re, x.im + y.im};
}
template <class V>
inline ComplexOf<V> operator-(const ComplexOf<V>& x, const ComplexOf<V>& y)
{
    return {x.re - y.re, x.im - y.im};
}
template <class V>
inline ComplexOf<V> operator-(const ComplexOf<V>& x)
{
    return {-x.re, -x.im};
}
template <class V>
inline ComplexOf<V> conj(const ComplexOf<V>& x)
{
    return {x.re, -x.im};
}
// (ac - bd) + i(ad + bc), nothing more.
template <class V>
inline ComplexOf<V> operator*(const ComplexOf<V>& x, const ComplexOf<V>& y)
{
    return {x.re * y.re - x.im * y.im, x.re * y.im + x.im * y.re};
}
// A real factor (a double, or a real value of the parts' own type) times a
// complex number, on either side.
template <class S, class V, class = decltype(std::declval<S>() * std::declval<V>())>
inline ComplexOf<V> operator*(const S& s, const ComplexOf<V>& x)
{
    return {s * x.re, s * x.im};
}
template <class S, class V, class = decltype(std::declval<V>() * std::declval<S>())>
inline ComplexOf<V> operator*(const ComplexOf<V>& x, const S& s)
{
    return {x.re * s, x.im * s};
}
// A real constant plus or minus a complex number.
template <class V>
inline ComplexOf<V> operator+(double s, const ComplexOf<V>& x)
{
    return {s + x.re, x.im};
}
template <class V>
inline ComplexOf<V> operator-(double s, const ComplexOf<V>& x)
{
    return {s - x.re, -x.im};
}
// i x: for a purely imaginary factor i s, i s x is timesI(s * x).
template <class V>
inline ComplexOf<V> timesI(const ComplexOf<V>& x)
{
    return {-x.im, x.re};
}

template <class V>
inline V norm2(const ComplexOf<V>& x)
{
    return x.re * x.re + x.im * x.im;
}

// z / w as z times conj(w), each part divided by |w|^2.
template <class V>
inline ComplexOf<V> operator/(const ComplexOf<V>& z, const ComplexOf<V>& w)
{
    const ComplexOf<V> p = z * conj(w);
    const V n = norm2(w);
    return {p.re / n, p.im / n};
}

// Modulus as the C library's cabs forms it (hypot: no overflow, and IEEE's
// rule that an infinite part gives +Inf even beside a NaN).
inline double modulus(const Complex& x) { return std::hypot(x.re, x.im); }

// A long reflecting stack makes the row grow like (n_A/n_B)^(L/2), and the
// quotients that give rho and its derivatives form |f|^2 up to |f|^6: from a
// few hundred quarter-wave layers on they would overflow to NaN. Only ratios
// of the closing rows matter, so once f has grown past 2^64 all of them are
// scaled by the power of two that brings f's larger part into [1, 2): exact,
// it changes no digit of rho, rho' or rho''.
inline double closingScaleOf(const Complex& f)
{
    const double m = std::fmax(std::fabs(f.re), std::fabs(f.im));
    return m > 0x1p64 ? std::ldexp(1.0, -std::ilogb(m)) : 1.0;
}

}  // namespace coat
