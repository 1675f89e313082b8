// The textbook characteristic-matrix method for any stack in double-double
// arithmetic (about 32 digits): the independent reference of the general
// engine's tests. Nothing of the engine's walks is used (only its complex
// pairs, here of double-doubles): the normal indices come from the C
// library's complex root refined by Newton steps, the layer matrices from
// sines and cosines of complex phases.
//
// Fields go as exp(-i omega t): M(d) = [[cos, -i sin/eta], [-i eta sin, cos]],
// delta = k q d, q on the branch Im q >= 0, eta = q (TE) or n^2/q (TM), and
// [E; H] at the front of layer j is M_j ... M_(L-1) [1; eta_S], as in
// tests/octave/textbook_response.m and textbook_field.m: r and t are ratios
// of the tangential E in TE and of H in TM.
//
// Derivatives. dM/dd = M G, G = k q [[0, -i/eta], [-i eta, 0]], gives the
// derivative of the front's [E; H] by a thickness, or by the thickness of a
// needle inserted at any depth, exactly. Every quantity is analytic in k (the
// indices follow n + n' h + n'' h^2 / 2, h = k - k_i), so its k-derivatives
// at k_i come from its values on a small circle about k_i in the complex
// plane (the trapezoidal rule of Cauchy's integral: error (radius / distance
// to the nearest pole or branch point)^N, rounding 1e-31 / radius^n), not
// from differences along the real axis, which lose digits to rounding and
// truncation at sharp features.
#pragma once

#include <cmath>
#include <complex>
#include <vector>

#include "double_double.h"
#include "engine/engine.h"
#include "geometry/depth.h"

using namespace coat;

using WideComplex = ComplexOf<DoubleDouble>;

namespace wide {

// e^x for |x| below about 700: x = m ln 2 + 1024 r, the series of e^r, then
// ten squarings (about 1e-29 relative).
inline DoubleDouble exp(const DoubleDouble& x)
{
    const DoubleDouble LN2 = {0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};
    const double m = std::nearbyint(x.hi / LN2.hi);
    const DoubleDouble r = (x - LN2 * m) * (1.0 / 1024);
    DoubleDouble sum = 1.0, term = 1.0;
    for (int k = 1; k < 30 && std::fabs(term.hi) > 1e-36; ++k) {
        term = term * r / double(k);
        sum = sum + term;
    }
    for (int i = 0; i < 10; ++i) sum = sum * sum;
    return {std::ldexp(sum.hi, int(m)), std::ldexp(sum.lo, int(m))};
}

// cosh b and sinh b: by their series below 1/2 (where e^b - e^-b would
// cancel), else from e^b.
inline void coshSinh(const DoubleDouble& b, DoubleDouble* ch, DoubleDouble* sh)
{
    if (std::fabs(b.hi) >= 0.5) {
        const DoubleDouble e = exp(b), inverse = DoubleDouble(1.0) / e;
        *ch = (e + inverse) * 0.5;
        *sh = (e - inverse) * 0.5;
        return;
    }
    const DoubleDouble b2 = b * b;
    DoubleDouble even = 1.0, odd = b;
    *ch = even;
    *sh = odd;
    for (int k = 1; k < 40 && std::fabs(even.hi) > 1e-36; k += 2) {
        even = even * b2 / (double(k) * double(k + 1));  // b^(k+1) / (k+1)!
        odd = odd * b2 / (double(k + 1) * double(k + 2));  // b^(k+2) / (k+2)!
        *ch = *ch + even;
        *sh = *sh + odd;
    }
}

// sin and cos of a complex phase a + ib.
inline void sinCos(const WideComplex& delta, WideComplex* s, WideComplex* c)
{
    DoubleDouble sa, ca, ch, sh;
    ::sinCos(delta.re, &sa, &ca);
    coshSinh(delta.im, &ch, &sh);
    *s = {sa * ch, ca * sh};
    *c = {ca * ch, -(sa * sh)};
}

// Newton's steps for the root of x from `start`, which they keep to: from
// the root at the circle's centre, the root's analytic continuation.
inline WideComplex rootFrom(const WideComplex& x, WideComplex start)
{
    for (int i = 0; i < 4; ++i) start = DoubleDouble(0.5) * (start + x / start);
    return start;
}
// The root of x with Im >= 0, from the C library's (each part within an ulp).
inline WideComplex decayingRoot(const WideComplex& x)
{
    std::complex<double> y = std::sqrt(std::complex<double>(double(x.re), double(x.im)));
    if (y.imag() < 0 || (y.imag() == 0 && y.real() < 0)) y = -y;
    return rootFrom(x, {y.real(), y.imag()});
}

inline Complex toDouble(const WideComplex& z) { return {double(z.re), double(z.im)}; }

struct Vector {
    WideComplex e, h;  // tangential E and H
};
struct Matrix {
    WideComplex a, b, c, d;  // [[a, b], [c, d]]
};
inline Matrix operator*(const Matrix& x, const Matrix& y)
{
    return {x.a * y.a + x.b * y.c, x.a * y.b + x.b * y.d, x.c * y.a + x.d * y.c,
            x.c * y.b + x.d * y.d};
}
inline Vector operator*(const Matrix& x, const Vector& v)
{
    return {x.a * v.e + x.b * v.h, x.c * v.e + x.d * v.h};
}
const WideComplex ZERO = {0.0, 0.0}, ONE = {1.0, 0.0};
const Matrix IDENTITY = {ONE, ZERO, ZERO, ONE};
inline WideComplex timesMinusI(const WideComplex& z) { return {z.im, -z.re}; }

// A medium at k: its index, normal index and admittance, and 1 / admittance.
struct Medium {
    WideComplex n, q, eta, inverseEta;
};

// The matrix of a thickness d of medium m at wavenumber k, and G of dM/dd = M G.
inline Matrix layerMatrix(const Medium& m, const WideComplex& k, const DoubleDouble& d)
{
    WideComplex s, c;
    sinCos(d * (k * m.q), &s, &c);
    return {c, timesMinusI(s * m.inverseEta), timesMinusI(m.eta * s), c};
}
inline Matrix generator(const Medium& m, const WideComplex& k)
{
    const WideComplex kq = k * m.q;
    return {ZERO, timesMinusI(kq * m.inverseEta), timesMinusI(kq * m.eta), ZERO};
}

// The stack at k = k_i + h (h complex): [E; H] at the front of every layer
// and the products of the matrices in front of it. `centre`, when given,
// holds the media at k_i, whose roots the normal indices continue.
struct Walk {
    WideComplex k;
    DoubleDouble etaA;
    std::vector<Medium> media;   // M + 1, the substrate last
    std::vector<Vector> front;   // L + 1: at the front of layer j; front[L] = [1; eta_S]
    std::vector<Matrix> before;  // L + 1: M_0 ... M_(j-1)

    Walk(const LayeredStack& s, std::size_t i, const WideComplex& h,
         const std::vector<Medium>* centre = nullptr)
    {
        k = WideComplex{s.k[i], 0.0} + h;
        DoubleDouble sinTheta, cosTheta;
        ::sinCos(DoubleDouble(s.theta), &sinTheta, &cosTheta);
        const DoubleDouble tangential = DoubleDouble(s.na) * sinTheta;
        const WideComplex tau = {tangential * tangential, 0.0};
        etaA = s.pol == Polarization::TE ? DoubleDouble(s.na) * cosTheta
                                         : DoubleDouble(s.na) / cosTheta;
        for (std::size_t x = 0; x <= s.M; ++x) {
            auto at = [&](const IndexTable& t) {
                return WideComplex{t.realAt(i, x), t.imagAt(i, x)};
            };
            const WideComplex halfH = DoubleDouble(0.5) * h;
            const WideComplex n = at(s.n) + h * (at(s.nPrime) + halfH * at(s.nSecond));
            const WideComplex n2 = n * n;
            const WideComplex q =
                centre ? rootFrom(n2 - tau, (*centre)[x].q) : decayingRoot(n2 - tau);
            const WideComplex eta = s.pol == Polarization::TE ? q : n2 / q;
            media.push_back({n, q, eta, ONE / eta});
        }
        front.resize(s.L + 1);
        before.resize(s.L + 1);
        front[s.L] = {ONE, media[s.M].eta};
        std::vector<Matrix> layers(s.L);
        for (std::size_t j = s.L; j-- > 0;) {
            layers[j] = layerMatrix(media[std::size_t(s.material[j])], k, s.d[j]);
            front[j] = layers[j] * front[j + 1];
        }
        before[0] = IDENTITY;
        for (std::size_t j = 0; j < s.L; ++j) before[j + 1] = before[j] * layers[j];
    }
};

// r and t from [E; H] at the stack's front, r = (eta_A E - H) / (eta_A E + H)
// and the tangential E in the substrate 2 eta_A / (eta_A E + H); and their
// logarithmic derivatives by a parameter of which the front's derivative is
// dv, from 1 / (eta_A E -+ H) of the front.
struct Closing {
    WideComplex r, t;
};
inline Closing closing(const Walk& w, const Vector& v, Polarization pol)
{
    const WideComplex etaA = {w.etaA, 0.0}, etaS = w.media.back().eta;
    const WideComplex sum = etaA * v.e + v.h;
    const WideComplex r = (etaA * v.e - v.h) / sum, tE = (DoubleDouble(2.0) * etaA) / sum;
    if (pol == Polarization::TE) return {r, tE};
    return {-r, tE * etaS / etaA};
}
struct Denominators {
    WideComplex difference, sum;  // 1 / (eta_A E - H), 1 / (eta_A E + H)
};
inline Denominators denominators(const Walk& w)
{
    const WideComplex etaAE = w.etaA * w.front[0].e;
    return {ONE / (etaAE - w.front[0].h), ONE / (etaAE + w.front[0].h)};
}
inline Closing logSlopes(const Walk& w, const Denominators& inverse, const Vector& dv)
{
    const WideComplex etaAE = w.etaA * dv.e;
    const WideComplex dlogT = -((etaAE + dv.h) * inverse.sum);
    return {(etaAE - dv.h) * inverse.difference + dlogT, dlogT};
}

// Everything at wavenumber k_i of a LayeredStack, each rounded to double at
// the end: r, t, the quantities, the gradients of `layers` and the
// derivatives of needles of material needleMaterial[p] at sites[p] (0 where
// that is the material of the layer holding it), [a][quantity], and |E|^2
// at the sites.
struct Reference {
    Complex r, t;
    double value[QUANTITY_COUNT];
    std::vector<double> gradient, needle, E2;
};

const int NODES = 6;
const DoubleDouble C = SPEED_OF_LIGHT;

// The quantities' derivatives by a parameter from the logarithmic derivatives
// of r and t by it (order 0 and its k-derivatives 1..3): dR = 2 R Re(s_r),
// dT = 2 T Re(s_t), d(d^n arg / domega^n) = Im(s^(n)) / c^n.
inline void derivativesFrom(const WideComplex (&sr)[4], const WideComplex (&st)[4],
                            const DoubleDouble& R, const DoubleDouble& T, double* out)
{
    const DoubleDouble dR = DoubleDouble(2.0) * R * sr[0].re, dT = DoubleDouble(2.0) * T * st[0].re;
    out[QUANTITY_R] = double(dR);
    out[QUANTITY_T] = double(dT);
    out[QUANTITY_A] = double(-dR - dT);
    DoubleDouble cn = 1.0;
    for (int n = 1; n <= 3; ++n) {
        cn = cn * C;
        out[QUANTITY_GD + n - 1] = double(sr[n].im / cn);
        out[QUANTITY_GDT + n - 1] = double(st[n].im / cn);
    }
}

// d/domega, d2/domega2, d3/domega3 of arg z from z and its k-derivatives:
// with l = log z, l1 = z'/z, l2 = z''/z - l1^2, l3 = z'''/z - 3 l1 l2 - l1^3.
inline void phaseDerivatives(const WideComplex (&z)[4], double* out)
{
    const WideComplex inverse = ONE / z[0];
    const WideComplex l1 = z[1] * inverse, l2 = z[2] * inverse - l1 * l1,
                      l3 = z[3] * inverse - DoubleDouble(3.0) * (l1 * l2) - l1 * l1 * l1;
    out[0] = double(l1.im / C);
    out[1] = double(l2.im / (C * C));
    out[2] = double(l3.im / (C * C * C));
}

// The fields of a parameter's derivative at the front of the stack, per
// gradient layer and per needle, at one k.
inline void frontSlopes(const LayeredStack& s, const Walk& w,
                        const std::vector<std::size_t>& layers,
                        const std::vector<DepthSite>& sites,
                        const std::vector<int>& needleMaterial, std::vector<Closing>& out)
{
    out.clear();
    const Denominators v = denominators(w);
    for (std::size_t j : layers) {
        const Medium& m = w.media[std::size_t(s.material[j])];
        out.push_back(logSlopes(w, v, w.before[j + 1] * (generator(m, w.k) * w.front[j + 1])));
    }
    for (std::size_t p = 0; p < sites.size(); ++p) {
        const std::size_t j = sites[p].layer;
        const Medium& x = w.media[std::size_t(s.material[j])];
        const Vector back = layerMatrix(x, w.k, sites[p].back) * w.front[j + 1];
        const Matrix needle = generator(w.media[std::size_t(needleMaterial[p])], w.k);
        const Vector dv = w.before[j] * (layerMatrix(x, w.k, sites[p].front) * (needle * back));
        out.push_back(logSlopes(w, v, dv));
    }
}

// |E|^2 at `site` relative to the incident wave's: TE the tangential E; TM
// that and the normal E = n_a sin(theta) H / n^2, over the incident |E| =
// |E_x| / cos(theta). The bottom of the last layer is the top of the
// substrate.
inline double fieldSquare(const LayeredStack& s, const Walk& w, const DepthSite& site)
{
    const std::size_t j = site.layer;
    const bool substrate = j + 1 == s.L && site.back == 0;
    const std::size_t x = substrate ? s.M : std::size_t(s.material[j]);
    const Vector v =
        substrate ? w.front[s.L] : layerMatrix(w.media[x], w.k, site.back) * w.front[j + 1];
    const WideComplex etaA = {w.etaA, 0.0};
    const WideComplex incident = (etaA * w.front[0].e + w.front[0].h) / (DoubleDouble(2.0) * etaA);
    if (s.pol == Polarization::TE) return double(norm2(v.e) / norm2(incident));
    DoubleDouble sinTheta, cosTheta;
    ::sinCos(DoubleDouble(s.theta), &sinTheta, &cosTheta);
    const WideComplex n2 = w.media[x].n * w.media[x].n;
    const WideComplex normal = (DoubleDouble(s.na) * sinTheta) * (v.h / n2);
    return double((norm2(v.e) + norm2(normal)) * (cosTheta * cosTheta) / norm2(incident));
}

// The circle's radius: 1e-4 (six nodes: aliasing (radius / distance)^6,
// 1e-12 for a pole of r at 1e-2 from k_i; rounding of the n-th derivative
// 1e-31 (distance / radius)^n, below 1e-16), or less where a medium's
// n^2 - tau, a branch point of its q, would come within 100 radii.
inline double radiusFor(const LayeredStack& s, std::size_t i)
{
    double radius = 1e-4;
    const double tau = std::pow(s.na * std::sin(s.theta), 2);
    for (std::size_t x = 0; x <= s.M; ++x) {
        const std::complex<double> n(s.n.realAt(i, x), s.n.imagAt(i, x)),
            slope(s.nPrime.realAt(i, x), s.nPrime.imagAt(i, x));
        const double rate = std::abs(2.0 * n * slope);
        if (rate > 0) radius = std::fmin(radius, std::abs(n * n - tau) / rate / 100);
    }
    return radius;
}

// The reference at wavenumber k_i.
inline Reference reference(const LayeredStack& s, std::size_t i,
                           const std::vector<std::size_t>& layers,
                           const std::vector<DepthSite>& sites,
                           const std::vector<int>& needleMaterial)
{
    const Walk centre(s, i, ZERO);
    const Vector& v0 = centre.front[0];
    const Closing c0 = closing(centre, v0, s.pol);
    const WideComplex etaA = {centre.etaA, 0.0};
    const WideComplex tE = (DoubleDouble(2.0) * etaA) / (etaA * v0.e + v0.h);
    const DoubleDouble R = norm2(c0.r), T = centre.media.back().eta.re * norm2(tE) / centre.etaA;
    // Order 0 of r, t and of every logarithmic derivative, then orders 1..3
    // from the nodes: f^(n) = n! / (N rho^n) sum over nodes of f omega^(-j n).
    const std::size_t count = layers.size() + sites.size();
    std::vector<Closing> slopes;
    std::vector<WideComplex> sr(4 * count, ZERO), st(4 * count, ZERO);
    WideComplex r[4] = {c0.r, ZERO, ZERO, ZERO}, t[4] = {c0.t, ZERO, ZERO, ZERO};
    frontSlopes(s, centre, layers, sites, needleMaterial, slopes);
    for (std::size_t a = 0; a < count; ++a) sr[4 * a] = slopes[a].r, st[4 * a] = slopes[a].t;
    const DoubleDouble radius = radiusFor(s, i);
    const DoubleDouble PI = DoubleDouble(0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53);
    for (int node = 0; node < NODES; ++node) {
        DoubleDouble sine, cosine;
        ::sinCos(DoubleDouble(2.0) * PI * double(node) / double(NODES), &sine, &cosine);
        const WideComplex omega = {cosine, sine}, h = radius * omega;
        const Walk w(s, i, h, &centre.media);
        const Closing c = closing(w, w.front[0], s.pol);
        frontSlopes(s, w, layers, sites, needleMaterial, slopes);
        WideComplex weight = ONE;
        const WideComplex inverseOmega = conj(omega);
        for (int n = 1; n <= 3; ++n) {
            weight = weight * inverseOmega;
            r[n] = r[n] + c.r * weight;
            t[n] = t[n] + c.t * weight;
            for (std::size_t a = 0; a < count; ++a) {
                sr[4 * a + n] = sr[4 * a + n] + slopes[a].r * weight;
                st[4 * a + n] = st[4 * a + n] + slopes[a].t * weight;
            }
        }
    }
    DoubleDouble scale = 1.0;
    const double FACTORIAL[4] = {1, 1, 2, 6};
    for (int n = 1; n <= 3; ++n) {
        scale = scale * radius;
        const DoubleDouble f = DoubleDouble(FACTORIAL[n]) / (DoubleDouble(double(NODES)) * scale);
        r[n] = f * r[n];
        t[n] = f * t[n];
        for (std::size_t a = 0; a < count; ++a) {
            sr[4 * a + n] = f * sr[4 * a + n];
            st[4 * a + n] = f * st[4 * a + n];
        }
    }
    Reference out;
    out.r = toDouble(c0.r);
    out.t = toDouble(c0.t);
    out.value[QUANTITY_R] = double(R);
    out.value[QUANTITY_T] = double(T);
    out.value[QUANTITY_A] = double((DoubleDouble(1.0) - R) - T);
    phaseDerivatives(r, out.value + QUANTITY_GD);
    phaseDerivatives(t, out.value + QUANTITY_GDT);
    out.gradient.resize(layers.size() * QUANTITY_COUNT);
    out.needle.assign(sites.size() * QUANTITY_COUNT, 0.0);
    out.E2.resize(sites.size());
    for (std::size_t a = 0; a < count; ++a) {
        const WideComplex ar[4] = {sr[4 * a], sr[4 * a + 1], sr[4 * a + 2], sr[4 * a + 3]},
                          at[4] = {st[4 * a], st[4 * a + 1], st[4 * a + 2], st[4 * a + 3]};
        const bool needle = a >= layers.size();
        const std::size_t p = a - layers.size();
        if (needle && needleMaterial[p] == s.material[sites[p].layer]) continue;  // no needle
        double* into = needle ? &out.needle[p * QUANTITY_COUNT] : &out.gradient[a * QUANTITY_COUNT];
        derivativesFrom(ar, at, R, T, into);
    }
    for (std::size_t p = 0; p < sites.size(); ++p) out.E2[p] = fieldSquare(s, centre, sites[p]);
    return out;
}

}  // namespace wide
