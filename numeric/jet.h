// Truncated Taylor series in the wavenumber ("jets"): a quantity x(k) near
// k_i carried as its coefficients x_0 + x_1 h + ... + x_D h^D, h = k - k_i.
// x_1 is the first derivative, x_2 half the second.
//
// The coefficients are doubles or lanes of doubles, so one jet walk serves
// one wavenumber or a lane group. A complex jet is ComplexOf<JetOf<V, D>>:
// the complex helpers of numeric/complex.h (add, mul, conj, ...) then apply to
// it unchanged, and every product follows the Leibniz rule through the jet
// product below. The order D is a template argument: the value alone (0), the
// group delay (1), the dispersion (2) or higher share one code path.
#pragma once

#include <cmath>
#include <cstddef>

#include "numeric/complex.h"

template <class V, int D>
struct JetOf {
    static constexpr int ORDER = D;
    V c[D + 1];
};

// A constant: value x, every higher coefficient zero.
template <class V, int D>
inline JetOf<V, D> constantJet(const V& x)
{
    JetOf<V, D> j;
    j.c[0] = x;
    for (int n = 1; n <= D; ++n) j.c[n] = V{};
    return j;
}

// The variable itself about k: k + h.
template <class V, int D>
inline JetOf<V, D> variableJet(const V& k)
{
    JetOf<V, D> j = constantJet<V, D>(k);
    if constexpr (D >= 1) j.c[1] = V{} + 1.0;
    return j;
}

template <class V, int D>
inline JetOf<V, D> operator+(const JetOf<V, D>& x, const JetOf<V, D>& y)
{
    JetOf<V, D> r;
    for (int n = 0; n <= D; ++n) r.c[n] = x.c[n] + y.c[n];
    return r;
}
template <class V, int D>
inline JetOf<V, D> operator-(const JetOf<V, D>& x, const JetOf<V, D>& y)
{
    JetOf<V, D> r;
    for (int n = 0; n <= D; ++n) r.c[n] = x.c[n] - y.c[n];
    return r;
}
template <class V, int D>
inline JetOf<V, D> operator-(const JetOf<V, D>& x)
{
    JetOf<V, D> r;
    for (int n = 0; n <= D; ++n) r.c[n] = -x.c[n];
    return r;
}

// The truncated Cauchy product: (x y)_n = sum over i of x_i y_(n-i).
template <class V, int D>
inline JetOf<V, D> operator*(const JetOf<V, D>& x, const JetOf<V, D>& y)
{
    JetOf<V, D> r;
    for (int n = 0; n <= D; ++n) {
        V s = x.c[0] * y.c[n];
        for (int i = 1; i <= n; ++i) s = s + x.c[i] * y.c[n - i];
        r.c[n] = s;
    }
    return r;
}

// Times a factor that does not depend on k: a double, or lanes of the same V.
template <class S, class V, int D>
inline JetOf<V, D> scaleJet(const S& s, const JetOf<V, D>& x)
{
    JetOf<V, D> r;
    for (int n = 0; n <= D; ++n) r.c[n] = s * x.c[n];
    return r;
}

// 1 / x: x y = 1 gives y_n = -(sum over i >= 1 of x_i y_(n-i)) / x_0.
template <class V, int D>
inline JetOf<V, D> inverse(const JetOf<V, D>& x)
{
    JetOf<V, D> y;
    y.c[0] = 1.0 / x.c[0];
    for (int n = 1; n <= D; ++n) {
        V s{};
        for (int i = 1; i <= n; ++i) s = s + x.c[i] * y.c[n - i];
        y.c[n] = -(s * y.c[0]);
    }
    return y;
}

template <class V, int D>
inline JetOf<V, D> operator/(const JetOf<V, D>& x, const JetOf<V, D>& y)
{
    return x * inverse(y);
}

// sqrt(x): y y = x gives y_n = (x_n - sum over 0 < i < n of y_i y_(n-i)) / (2 y_0).
// A negative x_0 gives NaN in every coefficient, as the value would.
template <int D>
inline JetOf<double, D> squareRoot(const JetOf<double, D>& x)
{
    JetOf<double, D> y;
    y.c[0] = std::sqrt(x.c[0]);
    for (int n = 1; n <= D; ++n) {
        double s = x.c[n];
        for (int i = 1; i < n; ++i) s -= y.c[i] * y.c[n - i];
        y.c[n] = s / (2 * y.c[0]);
    }
    return y;
}

// Coefficient n of a complex jet, as a complex number.
template <class V, int D>
inline ComplexOf<V> coefficient(const ComplexOf<JetOf<V, D>>& x, int n)
{
    return {x.re.c[n], x.im.c[n]};
}
template <class V, int D>
inline void setCoefficient(ComplexOf<JetOf<V, D>>& x, int n, const ComplexOf<V>& value)
{
    x.re.c[n] = value.re;
    x.im.c[n] = value.im;
}

// A real jet times a complex one.
template <class V, int D>
inline ComplexOf<JetOf<V, D>> scaleComplexJet(const JetOf<V, D>& s,
                                              const ComplexOf<JetOf<V, D>>& x)
{
    return {s * x.re, s * x.im};
}

// A complex jet times a factor that does not depend on k.
template <class S, class V, int D>
inline ComplexOf<JetOf<V, D>> scaleComplexJetBy(const S& s, const ComplexOf<JetOf<V, D>>& x)
{
    return {scaleJet(s, x.re), scaleJet(s, x.im)};
}

// 1 / z of a complex jet, by the recurrence of `inverse` with complex
// coefficients; 1 / z_0 as conj(z_0) / |z_0|^2.
template <class V, int D>
inline ComplexOf<JetOf<V, D>> inverse(const ComplexOf<JetOf<V, D>>& z)
{
    ComplexOf<JetOf<V, D>> y;
    const ComplexOf<V> z0 = coefficient(z, 0);
    const V n = norm2(z0);
    const ComplexOf<V> y0 = {z0.re / n, -z0.im / n};
    setCoefficient(y, 0, y0);
    for (int k = 1; k <= D; ++k) {
        ComplexOf<V> s = {V{}, V{}};
        for (int i = 1; i <= k; ++i) s = add(s, mul(coefficient(z, i), coefficient(y, k - i)));
        setCoefficient(y, k, neg(mul(s, y0)));
    }
    return y;
}

// exp(-i delta) of a real phase jet delta, from the value's sine and cosine:
// y = exp(x), x = -i delta, gives y_n = (1/n) sum over i >= 1 of i x_i y_(n-i).
template <class Trig, class V, int D>
inline ComplexOf<JetOf<V, D>> propagationJet(const JetOf<V, D>& delta)
{
    V s, c;
    Trig::sinCos(delta.c[0], &s, &c);
    ComplexOf<JetOf<V, D>> y;
    setCoefficient(y, 0, ComplexOf<V>{c, -s});
    for (int n = 1; n <= D; ++n) {
        ComplexOf<V> sum = {V{}, V{}};
        for (int i = 1; i <= n; ++i)
            sum = add(sum, mulImaginary(-(double(i) * delta.c[i]), coefficient(y, n - i)));
        setCoefficient(y, n, scale(1.0 / n, sum));
    }
    return y;
}
