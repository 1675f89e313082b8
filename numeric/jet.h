// Truncated Taylor series in the wavenumber ("jets"): a quantity x(k) near
// k_i carried as its coefficients x_0 + x_1 h + ... + x_D h^D, h = k - k_i.
// x_1 is the first derivative, x_2 half the second, x_3 a sixth of the third.
//
// The coefficients are doubles or lanes of doubles, so one jet walk serves
// one wavenumber or a lane group. A complex jet is ComplexOf<JetOf<V, D>>:
// the complex operators of numeric/complex.h apply to it unchanged, and every
// product follows the Leibniz rule through the jet product below. The order D
// is a template argument: the value alone (0), the group delay (1), the
// dispersion (2), the third-order dispersion (3) share one code path.
//
// Jets read like numbers: +, -, *, / between jets, and with a factor that
// does not depend on k (a double, or lanes of the coefficients' type) on
// either side; sqrt, inverse, and exp(i phase) of complex jets.
#pragma once

#include <cmath>
#include <cstddef>
#include <type_traits>

#include "numeric/complex.h"
#include "numeric/lanes.h"

namespace coat {

template <class V, int D>
struct JetOf {
    static constexpr int ORDER = D;
    V c[D + 1];
};

template <class V, int D>
using ComplexJetOf = ComplexOf<JetOf<V, D>>;

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

// A factor that does not depend on k: a double, or lanes of the coefficients'
// own type.
template <class S, class V>
using IfConstantFactor =
    std::enable_if_t<std::is_same_v<S, double> || std::is_same_v<S, V>, int>;

template <class S, class V, int D, IfConstantFactor<S, V> = 0>
inline JetOf<V, D> operator*(const S& s, const JetOf<V, D>& x)
{
    JetOf<V, D> r;
    for (int n = 0; n <= D; ++n) r.c[n] = s * x.c[n];
    return r;
}
template <class S, class V, int D, IfConstantFactor<S, V> = 0>
inline JetOf<V, D> operator*(const JetOf<V, D>& x, const S& s)
{
    return s * x;
}
template <class S, class V, int D, IfConstantFactor<S, V> = 0>
inline JetOf<V, D> operator+(const JetOf<V, D>& x, const S& s)
{
    JetOf<V, D> r = x;
    r.c[0] = x.c[0] + s;
    return r;
}
template <class S, class V, int D, IfConstantFactor<S, V> = 0>
inline JetOf<V, D> operator+(const S& s, const JetOf<V, D>& x)
{
    JetOf<V, D> r = x;
    r.c[0] = s + x.c[0];
    return r;
}
template <class S, class V, int D, IfConstantFactor<S, V> = 0>
inline JetOf<V, D> operator-(const S& s, const JetOf<V, D>& x)
{
    JetOf<V, D> r = -x;
    r.c[0] = s - x.c[0];
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
template <class V, int D>
inline JetOf<V, D> sqrt(const JetOf<V, D>& x)
{
    using std::sqrt;
    JetOf<V, D> y;
    y.c[0] = sqrt(x.c[0]);
    for (int n = 1; n <= D; ++n) {
        V s = x.c[n];
        for (int i = 1; i < n; ++i) s = s - y.c[i] * y.c[n - i];
        y.c[n] = s / (2.0 * y.c[0]);
    }
    return y;
}

// Coefficient n of a complex jet, as a complex number.
template <class V, int D>
inline ComplexOf<V> coefficient(const ComplexJetOf<V, D>& x, int n)
{
    return {x.re.c[n], x.im.c[n]};
}
template <class V, int D>
inline void setCoefficient(ComplexJetOf<V, D>& x, int n, const ComplexOf<V>& value)
{
    x.re.c[n] = value.re;
    x.im.c[n] = value.im;
}
// A complex constant as a complex jet.
template <class V, int D>
inline ComplexJetOf<V, D> constantComplexJet(const ComplexOf<V>& x)
{
    return {constantJet<V, D>(x.re), constantJet<V, D>(x.im)};
}

// 1 / z of a complex jet, by the recurrence of the real inverse with complex
// coefficients; 1 / z_0 as conj(z_0) / |z_0|^2.
template <class V, int D>
inline ComplexJetOf<V, D> inverse(const ComplexJetOf<V, D>& z)
{
    ComplexJetOf<V, D> y;
    const ComplexOf<V> z0 = coefficient(z, 0);
    const V n = norm2(z0);
    const ComplexOf<V> y0 = {z0.re / n, -z0.im / n};
    setCoefficient(y, 0, y0);
    for (int k = 1; k <= D; ++k) {
        ComplexOf<V> s = {V{}, V{}};
        for (int i = 1; i <= k; ++i) s = s + coefficient(z, i) * coefficient(y, k - i);
        setCoefficient(y, k, -(s * y0));
    }
    return y;
}

// The square root of the value with Im >= 0 (a decaying or outgoing wave):
// the principal root, negated where it points the other way (a negative real
// part beside an imaginary part of -0 gives the root -i sqrt|x|).
//
// Of the two parts of the principal root, the larger is the root of
// (|x| + |Re x|) / 2, a sum of two positive numbers, and the smaller is
// |Im x| over twice the larger. The half-angle form sqrt((|x| - Re x) / 2)
// of the smaller part would subtract two nearly equal numbers in a weakly
// absorbing film (Im x << Re x): its error grows like eps / Im x, and below
// Im x of about 1e-8 Re x the absorption is lost altogether. Here both parts
// are within a few ulps, however small Im x. A value so small that
// (|x| + |Re x|) / 2 would be subnormal is scaled by a power of two first:
// exact.
inline Complex decayingRoot(const Complex& x)
{
    const double m = std::hypot(x.re, x.im);
    if (m > 0 && m < 0x1p-1000) {
        const Complex y = decayingRoot(Complex{0x1p200 * x.re, 0x1p200 * x.im});
        return {0x1p-100 * y.re, 0x1p-100 * y.im};
    }
    const double larger = std::sqrt(0.5 * (m + std::fabs(x.re)));
    const double smaller = larger == 0 ? 0.0 : std::fabs(x.im) / (2.0 * larger);
    const double re = x.re >= 0 ? larger : smaller, im = x.re >= 0 ? smaller : larger;
    // The principal root is (re, im) with the sign of Im x: below the real
    // axis it points the other way and is negated; on it (Im x = +-0) the
    // root with Im >= 0 is (re, im) itself.
    if (x.im < 0) return {-re, im};
    return {re, im};
}
template <std::size_t N>
inline ComplexOf<LanesOf<N>> decayingRoot(const ComplexOf<LanesOf<N>>& x)
{
    ComplexOf<LanesOf<N>> y;
    for (std::size_t l = 0; l < N; ++l) {
        const Complex r = decayingRoot(laneOf(x, l));
        y.re.set(l, r.re);
        y.im.set(l, r.im);
    }
    return y;
}

// sqrt(x) of a complex jet on the decaying branch: the recurrence of the real
// square root with complex coefficients.
template <class V, int D>
inline ComplexJetOf<V, D> decayingRoot(const ComplexJetOf<V, D>& x)
{
    ComplexJetOf<V, D> y;
    const ComplexOf<V> y0 = decayingRoot(coefficient(x, 0));
    setCoefficient(y, 0, y0);
    const ComplexOf<V> twiceY0 = 2.0 * y0;
    for (int n = 1; n <= D; ++n) {
        ComplexOf<V> s = coefficient(x, n);
        for (int i = 1; i < n; ++i) s = s - coefficient(y, i) * coefficient(y, n - i);
        setCoefficient(y, n, s / twiceY0);
    }
    return y;
}

// exp(x) from the value y_0 = exp(x_0): y = exp(x) gives
// y_n = (1/n) sum over i >= 1 of i x_i y_(n-i).
template <class V, int D>
inline ComplexJetOf<V, D> expFromValue(const ComplexJetOf<V, D>& x, const ComplexOf<V>& y0)
{
    ComplexJetOf<V, D> y;
    setCoefficient(y, 0, y0);
    for (int n = 1; n <= D; ++n) {
        ComplexOf<V> sum = {V{}, V{}};
        for (int i = 1; i <= n; ++i)
            sum = sum + double(i) * coefficient(x, i) * coefficient(y, n - i);
        setCoefficient(y, n, (1.0 / n) * sum);
    }
    return y;
}

// exp(-i delta) of a real phase jet delta, from the value's sine and cosine.
template <class Trig, class V, int D>
inline ComplexJetOf<V, D> propagationJet(const JetOf<V, D>& delta)
{
    V s, c;
    Trig::sinCos(delta.c[0], &s, &c);
    ComplexJetOf<V, D> y;
    setCoefficient(y, 0, ComplexOf<V>{c, -s});
    for (int n = 1; n <= D; ++n) {
        ComplexOf<V> sum = {V{}, V{}};
        for (int i = 1; i <= n; ++i)
            sum = sum + timesI(-(double(i) * delta.c[i]) * coefficient(y, n - i));
        setCoefficient(y, n, (1.0 / n) * sum);
    }
    return y;
}

// exp(i phi) of a complex phase jet phi = a + i b: e^(-b) (cos a + i sin a).
// With Im phi >= 0, as in a layer of a decaying wave, the value stays <= 1.
template <class Trig, class V, int D>
inline ComplexJetOf<V, D> expI(const ComplexJetOf<V, D>& phi)
{
    V s, c;
    Trig::sinCos(phi.re.c[0], &s, &c);
    using std::exp;
    const V a = exp(-phi.im.c[0]);
    return expFromValue(timesI(phi), ComplexOf<V>{a * c, a * s});
}
// The same for a real phase (no decay): cos a + i sin a.
template <class Trig, class V, int D>
inline ComplexJetOf<V, D> expI(const JetOf<V, D>& phi)
{
    V s, c;
    Trig::sinCos(phi.c[0], &s, &c);
    return expFromValue(ComplexJetOf<V, D>{constantJet<V, D>(V{}), phi}, ComplexOf<V>{c, s});
}

// The coefficients l_n of log z, n >= 1 (l_0, the logarithm of the value, is
// left 0: only derivatives of phases and moduli are taken from it):
// z = exp(l) gives n z_n = sum over 1 <= i <= n of i l_i z_(n-i), so
// l_n = (z_n - sum over 1 <= i < n of (i/n) l_i z_(n-i)) / z_0.
// d^n log z / dk^n = n! l_n.
template <class V, int D>
inline ComplexJetOf<V, D> logCoefficients(const ComplexJetOf<V, D>& z)
{
    ComplexJetOf<V, D> l;
    setCoefficient(l, 0, ComplexOf<V>{V{}, V{}});
    if constexpr (D >= 1) {
        const ComplexOf<V> z0 = coefficient(z, 0);
        const V n2 = norm2(z0);
        const ComplexOf<V> inv0 = {z0.re / n2, -z0.im / n2};
        for (int n = 1; n <= D; ++n) {
            ComplexOf<V> s = coefficient(z, n);
            for (int i = 1; i < n; ++i)
                s = s - (double(i) / n) * (coefficient(l, i) * coefficient(z, n - i));
            setCoefficient(l, n, s * inv0);
        }
    }
    return l;
}

}  // namespace coat
