// The jet engine: reflection and transmission of any layered stack with full
// dispersion, and their exact thickness gradients, from wavenumber jets
// carried through one sweep from the substrate to the ambient and, for
// gradients, one back.
//
// Fields go as exp(-i omega t). In a medium of index n the normal index is
// q = sqrt(n^2 - tau), tau = (n_a sin theta)^2, on the branch Im q >= 0 (a
// wave that decays or leaves), so absorbing, evanescent and metallic layers
// and substrates are all modelled. The tangential field (TE: E; TM: H) is
// U e^(i beta z) + W e^(-i beta z) in a layer, beta = k q, with the
// admittance Y = q (TE) or q / n^2 (TM) relating the other tangential
// component to U - W. Every index follows n(k) = n + n' h + n'' h^2 / 2 about
// each wavenumber (h = k - k_i), in the phases and in every admittance; the
// ambient and the angle carry none. Each complex quantity is a jet in k
// (numeric/jet.h), so r' and r'' are exact derivatives.
//
// Matrices acting on the amplitudes (U, W):
//   interface into a medium of admittance Y_far from one of Y_near:
//     D(m) = (1/2) [[1 + m, 1 - m], [1 - m, 1 + m]],  m = Y_far / Y_near,
//     giving the near side's amplitudes from the far side's;
//   layer j: diag(e^(-i beta d), e^(i beta d)) = e^(-i beta d) S_j,
//     S_j = diag(1, E_j),  E_j = e^(2 i beta_j d_j),  |E_j| <= 1.
// The stack maps the substrate's (t, 0) to the ambient's (1, r):
//   w = D_0 S_0 D_1 S_1 ... S_(L-1) D_exit (1, 0)^T,
//   r = w_2 / w_1,  t = e^(i Phi) / w_1,  Phi = sum over layers of beta_j d_j,
// the dropped factors e^(-i beta d) returning in t alone. Carrying S_j
// rather than the full layer matrix keeps every step bounded: a thick metal
// or evanescent layer makes E_j small, never anything large.
//
// The sweep from the substrate (w^(L) = D_exit (1, 0)^T, then
// w^(j) = D_j S_j w^(j+1)) keeps, per layer j,
//   E_j and u_j = E_j w_2^(j+1)   (the tables of a gradient),
//   w^(j+1)                       (also, for needles and fields).
// The thickness derivative of w is A_j (0, 2 i beta_j u_j)^T, with
// A_j = D_0 S_0 ... S_(j-1) D_j the product from the ambient to layer j, so
// with the adjoint rows mu_j = c A_j, carried from the ambient to the
// substrate (mu_0 = c D_0, mu_(j+1) = mu_j S_j D_(j+1)),
//   dr/dd_j = 2 i beta_j (mu_j)_2 u_j,          c = (-r / w_1, 1 / w_1),
//   d log t/dd_j = i beta_j - 2 i beta_j (nu_j)_2 u_j,   c = (1 / w_1, 0),
// each a jet in k: finite where r = 0, and for a layer of zero thickness.
//
// Lossless stacks (every index real and every medium propagating at the
// angle) take the same walk with real admittance ratios and phases, which
// costs about half: the engine's compact form.
#pragma once

#include <cmath>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "geometry/layered_stack.h"
#include "numeric/jet.h"
#include "numeric/lanes.h"
#include "platform/dispatch.h"

// A pair of amplitudes (U, W), or an adjoint row: two complex jets.
template <class V, int D>
struct AmplitudesOf {
    ComplexJetOf<V, D> u, w;
};

// Real (lossless) or complex admittances, ratios and phase rates.
template <class V, int D, bool Lossless>
using MediumJetOf = std::conditional_t<Lossless, JetOf<V, D>, ComplexJetOf<V, D>>;

// D(m) x for a column x, and x^T D(m) for a row (D is symmetric):
// (p + s, p - s), p = (x_1 + x_2) / 2, s = m (x_1 - x_2) / 2.
template <class V, int D, class M>
inline AmplitudesOf<V, D> throughInterface(const AmplitudesOf<V, D>& x, const M& halfM)
{
    const ComplexJetOf<V, D> p = 0.5 * (x.u + x.w);
    const ComplexJetOf<V, D> s = halfM * (x.u - x.w);
    return {p + s, p - s};
}

// The interfaces a call meets, numbered once per call: for each layer j the
// one in front of it, then the exit; each a pair of media (near, far), with
// the ambient as medium M + 1.
struct InterfacePlan {
    std::vector<int> near, far;        // per distinct interface
    std::vector<int> interfaceOfLayer; // L + 1 entries: layers, then the exit
    std::vector<int> media;            // the media any interface touches
    std::vector<double> thickness;     // total thickness of each material (for Phi)
    bool lossless;                     // every index real, every medium propagating
};

// Numbers the interfaces of the stack and decides whether the lossless walk
// holds for every wavenumber: every index of a medium taking part real, with
// n^2 > tau (NaN counts as lossless: it reaches its wavenumber either way).
// extraMedia: materials the call needs beside the stack's (needles).
InterfacePlan planInterfaces(const LayeredStack& s, const std::vector<int>& extraMedia = {});

// Everything one lane group needs before the sweeps: per medium (M + 2 slots,
// filled for the media of the plan) the phase rate beta = k q and the
// admittance, and per interface m/2.
template <class V, int D, bool Lossless>
struct MediaJetsOf {
    using Medium = MediumJetOf<V, D, Lossless>;
    std::vector<Medium> beta, admittance, halfRatio;
    Medium phaseSum;  // Phi = sum over materials of beta x thickness
    std::vector<V> inverseSquareNorm;  // |1 / n^2|^2 of each medium (the field in TM)
    V incidentAdmittanceRe, exitAdmittanceRe;  // Re Y of the incident and the exit medium

    MediaJetsOf(std::size_t M, std::size_t interfaces)
        : beta(M + 2), admittance(M + 2), halfRatio(interfaces), inverseSquareNorm(M + 2)
    {
    }
};

// A real jet as a medium's jet of either kind.
template <bool Lossless, class V, int D>
inline MediumJetOf<V, D, Lossless> asMedium(const JetOf<V, D>& x)
{
    if constexpr (Lossless)
        return x;
    else
        return {x, constantJet<V, D>(V{})};
}

// Index jet of medium x at wavenumber i: n + n' h + (n''/2) h^2, real part or
// complex.
template <int D>
inline JetOf<double, D> realIndexJet(const LayeredStack& s, std::size_t i, std::size_t x)
{
    JetOf<double, D> j = constantJet<double, D>(s.n.realAt(i, x));
    if constexpr (D >= 1) j.c[1] = s.nPrime.realAt(i, x);
    if constexpr (D >= 2) j.c[2] = s.nSecond.realAt(i, x) / 2;
    return j;
}
template <int D>
inline ComplexJetOf<double, D> complexIndexJet(const LayeredStack& s, std::size_t i, std::size_t x)
{
    JetOf<double, D> im = constantJet<double, D>(s.n.imagAt(i, x));
    if constexpr (D >= 1) im.c[1] = s.nPrime.imagAt(i, x);
    if constexpr (D >= 2) im.c[2] = s.nSecond.imagAt(i, x) / 2;
    return {realIndexJet<D>(s, i, x), im};
}

template <class V, int D>
inline void setLane(JetOf<V, D>& j, std::size_t l, const JetOf<double, D>& x)
{
    for (int n = 0; n <= D; ++n) setLane(j.c[n], l, x.c[n]);
}
template <class V, int D>
inline void setLane(ComplexJetOf<V, D>& j, std::size_t l, const ComplexJetOf<double, D>& x)
{
    setLane(j.re, l, x.re);
    setLane(j.im, l, x.im);
}

// Fills the media jets of the lanes of one group: lane l holds wavenumber
// first + min(l, count - 1) (a short last group repeats its last wavenumber).
// The lossless walk takes q = sqrt(n^2 - tau) real (NaN beyond the critical
// angle); the other the decaying root. Then beta = q k and Y = q or q / n^2.
template <class V, int D, bool Lossless>
inline void fillMediaJets(MediaJetsOf<V, D, Lossless>& jets, const LayeredStack& s,
                          const InterfacePlan& plan, std::size_t first, std::size_t count)
{
    using Medium = MediumJetOf<V, D, Lossless>;
    constexpr std::size_t lanes = laneCountOf<V>;
    const double tau = tangentialIndexSquared(s.na, s.theta);
    const double ambientY =
        s.pol == Polarization::TM ? s.na * std::cos(s.theta) / (s.na * s.na) : s.na * std::cos(s.theta);
    V kLanes{};
    for (std::size_t l = 0; l < lanes; ++l) setLane(kLanes, l, s.k[first + (l < count ? l : count - 1)]);
    const JetOf<V, D> kJet = variableJet<V, D>(kLanes);
    for (const int x : plan.media) {
        if (x == int(s.M) + 1) {
            jets.admittance[x] = asMedium<Lossless>(constantJet<V, D>(V{} + ambientY));
            continue;
        }
        Medium index;
        for (std::size_t l = 0; l < lanes; ++l) {
            const std::size_t i = first + (l < count ? l : count - 1);
            if constexpr (Lossless)
                setLane(index, l, realIndexJet<D>(s, i, std::size_t(x)));
            else
                setLane(index, l, complexIndexJet<D>(s, i, std::size_t(x)));
        }
        const Medium square = index * index;
        Medium q;
        if constexpr (Lossless)
            q = sqrt(square - constantJet<V, D>(V{} + tau));
        else
            q = decayingRoot(square - asMedium<false>(constantJet<V, D>(V{} + tau)));
        jets.beta[x] = q * kJet;
        if constexpr (Lossless)
            jets.inverseSquareNorm[x] = 1.0 / (square.c[0] * square.c[0]);
        else
            jets.inverseSquareNorm[x] = 1.0 / norm2(coefficient(square, 0));
        jets.admittance[x] = s.pol == Polarization::TM ? q / square : q;
    }
    for (std::size_t f = 0; f < plan.near.size(); ++f)
        jets.halfRatio[f] = 0.5 * (jets.admittance[plan.far[f]] / jets.admittance[plan.near[f]]);
    Medium phi{};
    for (const int x : plan.media)  // the layer materials among them
        if (x < int(s.M) && plan.thickness[std::size_t(x)] != 0)
            phi = phi + plan.thickness[std::size_t(x)] * jets.beta[std::size_t(x)];
    jets.phaseSum = phi;
    const Medium& yi = jets.admittance[std::size_t(incidentMediumOf(s))];
    const Medium& ye = jets.admittance[std::size_t(exitMediumOf(s))];
    if constexpr (Lossless) {
        jets.incidentAdmittanceRe = yi.c[0];
        jets.exitAdmittanceRe = ye.c[0];
    } else {
        jets.incidentAdmittanceRe = yi.re.c[0];
        jets.exitAdmittanceRe = ye.re.c[0];
    }
}

// A medium's jet as a complex jet.
template <class V, int D>
inline ComplexJetOf<V, D> asComplexJet(const JetOf<V, D>& x)
{
    return {x, constantJet<V, D>(V{})};
}
template <class V, int D>
inline const ComplexJetOf<V, D>& asComplexJet(const ComplexJetOf<V, D>& x)
{
    return x;
}

// exp(i phi) of a medium's phase jet: unit modulus when it is real.
template <class Trig, class V, int D>
inline ComplexJetOf<V, D> phaseFactor(const JetOf<V, D>& phi)
{
    return expI<Trig>(phi);
}
template <class Trig, class V, int D>
inline ComplexJetOf<V, D> phaseFactor(const ComplexJetOf<V, D>& phi)
{
    return expI<Trig>(phi);
}

// Per-layer entries of one lane group: E_j, u_j = E_j w_2^(j+1), and the
// power of two the sweep scaled the amplitudes by after layer j's step
// (1 almost always; see sweepFromSubstrate).
template <class V, int D>
struct LayerEntryOf {
    ComplexJetOf<V, D> E, u;
    V rescale;
    bool rescaled;  // in any lane
};

// The tables of one lane group: sized once per call, rewritten by every
// group. `behind` (w^(j+1) of every layer) is sized only when asked for.
template <class V, int D>
struct SweepTablesOf {
    std::vector<LayerEntryOf<V, D>> layers;
    std::vector<AmplitudesOf<V, D>> behind;

    SweepTablesOf(std::size_t L, bool keepBehind) : layers(L), behind(keepBehind ? L : 0) {}
};

// The amplitudes of the sweep grow through a long reflecting stack like
// (n_high / n_low)^(L/2), far past the range of a double at a few thousand
// layers of strong contrast. Every few layers, a lane whose amplitudes have
// passed 2^128 is brought back by the power of two that puts the larger part
// near 1: exact, it changes no digit of any ratio. The sweep records it, the
// adjoint sweep applies it where it was taken, and t takes the total.
inline double rangeScaleOf(const Complex& a, const Complex& b)
{
    const double m = std::fmax(std::fmax(std::fabs(a.re), std::fabs(a.im)),
                               std::fmax(std::fabs(b.re), std::fabs(b.im)));
    return m > 0x1p128 && std::isfinite(m) ? std::ldexp(1.0, -std::ilogb(m)) : 1.0;
}
const std::size_t RANGE_CHECK_EVERY = 8;

// The result of a sweep from the substrate: w, scaled by 2^exponent.
template <class V, int D>
struct SweptOf {
    AmplitudesOf<V, D> w;
    V exponent;
};

// The sweep from the substrate to the ambient: onLayer(j, E_j, u_j, w^(j+1),
// rescale_j) sees every layer, deepest first, w^(j+1) and u_j as the sweep
// holds them (scaled by the rescales of the deeper layers).
template <class Trig, class V, int D, bool Lossless, class OnLayer>
inline SweptOf<V, D> sweepFromSubstrate(const MediaJetsOf<V, D, Lossless>& jets,
                                        const LayeredStack& s, const InterfacePlan& plan,
                                        OnLayer&& onLayer)
{
    constexpr std::size_t lanes = laneCountOf<V>;
    const ComplexJetOf<V, D> exitHalf = asComplexJet(jets.halfRatio[plan.interfaceOfLayer[s.L]]);
    const ComplexJetOf<V, D> half = asComplexJet(constantJet<V, D>(V{} + 0.5));
    SweptOf<V, D> out = {{half + exitHalf, half - exitHalf}, V{}};
    AmplitudesOf<V, D>& w = out.w;
    for (std::size_t j = s.L; j-- > 0;) {
        const ComplexJetOf<V, D> E =
            phaseFactor<Trig>((2.0 * s.d[j]) * jets.beta[std::size_t(s.material[j])]);
        const ComplexJetOf<V, D> u = E * w.w;
        const AmplitudesOf<V, D> behind = w;
        w = throughInterface(AmplitudesOf<V, D>{w.u, u}, jets.halfRatio[plan.interfaceOfLayer[j]]);
        V rescale = V{} + 1.0;
        bool rescaled = false;
        if (j % RANGE_CHECK_EVERY == 0) {
            for (std::size_t l = 0; l < lanes; ++l) {
                const double r = rangeScaleOf(laneOf(coefficient(w.u, 0), l),
                                              laneOf(coefficient(w.w, 0), l));
                if (r != 1.0) {
                    setLane(rescale, l, r);
                    setLane(out.exponent, l, laneOf(out.exponent, l) + std::log2(r));
                    rescaled = true;
                }
            }
            if (rescaled) w = {rescale * w.u, rescale * w.w};
        }
        onLayer(j, E, u, behind, rescale, rescaled);
    }
    return out;
}

// The forward sweep into the tables.
template <class Trig, class V, int D, bool Lossless>
inline SweptOf<V, D> sweepIntoTables(SweepTablesOf<V, D>& t,
                                     const MediaJetsOf<V, D, Lossless>& jets,
                                     const LayeredStack& s, const InterfacePlan& plan)
{
    const bool keepBehind = !t.behind.empty();
    return sweepFromSubstrate<Trig>(
        jets, s, plan,
        [&](std::size_t j, const ComplexJetOf<V, D>& E, const ComplexJetOf<V, D>& u,
            const AmplitudesOf<V, D>& w, const V& rescale, bool rescaled) {
            t.layers[j] = {E, u, rescale, rescaled};
            if (keepBehind) t.behind[j] = w;
        });
}

// The adjoint rows mu_j = c A_j from the ambient to the substrate, any number
// of them at once (one per start row c): onLayer(j, mu) with mu[a] the row of
// c[a] just inside layer j, in front of its phase.
template <std::size_t Rows, class V, int D, bool Lossless, class OnLayer>
inline void sweepFromAmbient(const AmplitudesOf<V, D> (&c)[Rows], const SweepTablesOf<V, D>& t,
                             const MediaJetsOf<V, D, Lossless>& jets, const LayeredStack& s,
                             const InterfacePlan& plan, std::size_t rows, OnLayer&& onLayer)
{
    AmplitudesOf<V, D> mu[Rows];
    for (std::size_t a = 0; a < rows; ++a)
        mu[a] = throughInterface(c[a], jets.halfRatio[plan.interfaceOfLayer[0]]);
    for (std::size_t j = 0; j < s.L; ++j) {
        if (t.layers[j].rescaled)
            for (std::size_t a = 0; a < rows; ++a)
                mu[a] = {t.layers[j].rescale * mu[a].u, t.layers[j].rescale * mu[a].w};
        onLayer(j, static_cast<const AmplitudesOf<V, D>(&)[Rows]>(mu));
        if (j + 1 == s.L) break;
        const auto& halfM = jets.halfRatio[plan.interfaceOfLayer[j + 1]];
        for (std::size_t a = 0; a < rows; ++a) {
            mu[a].w = mu[a].w * t.layers[j].E;
            mu[a] = throughInterface(mu[a], halfM);
        }
    }
}

// The quantities a call may ask for, each real and per wavenumber: the power
// reflectance, transmittance and absorptance, and d/domega, d2/domega2,
// d3/domega3 of arg r and of arg t (fs, fs^2, fs^3).
enum Quantity {
    QUANTITY_R,
    QUANTITY_T,
    QUANTITY_A,
    QUANTITY_GD,
    QUANTITY_GDD,
    QUANTITY_TOD,
    QUANTITY_GDT,
    QUANTITY_GDDT,
    QUANTITY_TODT,
    QUANTITY_COUNT
};

// The order of the jets a quantity needs.
inline int jetOrderOf(int quantity)
{
    switch (quantity) {
    case QUANTITY_GD:
    case QUANTITY_GDT: return 1;
    case QUANTITY_GDD:
    case QUANTITY_GDDT: return 2;
    case QUANTITY_TOD:
    case QUANTITY_TODT: return 3;
    default: return 0;
    }
}
// Whether a quantity needs the transmitted wave.
inline bool needsTransmission(int quantity)
{
    return quantity == QUANTITY_T || quantity == QUANTITY_A || quantity >= QUANTITY_GDT;
}

// The weights of a merit at the wavenumbers of one lane group, read once for
// the group and used at every layer or depth: addInto adds the sum over the
// quantities, then the lanes, of weight x derivative, a zero weight adding
// nothing (not even a NaN).
template <class V>
struct GroupWeightsOf {
    double w[QUANTITY_COUNT][laneCountOf<V>];
    bool given[QUANTITY_COUNT];
    std::size_t count;

    GroupWeightsOf(const double* const weight[], const std::size_t stride[], std::size_t first,
                   std::size_t count)
        : count(count)
    {
        for (int q = 0; q < QUANTITY_COUNT; ++q) {
            given[q] = weight[q] != nullptr;
            for (std::size_t l = 0; l < count && given[q]; ++l)
                w[q][l] = weight[q][stride[q] * (first + l)];
        }
    }

    void addInto(double& sum, const V* d) const
    {
        for (int q = 0; q < QUANTITY_COUNT; ++q)
            if (given[q])
                for (std::size_t l = 0; l < count; ++l)
                    if (w[q][l] != 0) sum += w[q][l] * laneOf(d[q], l);
    }
};

// The closing of one lane group: r, t, the quantities, and what the gradients
// need (the jet of 1/r and the adjoint start rows).
template <class V, int D>
struct ClosingOf {
    ComplexOf<V> r, t;
    V value[QUANTITY_COUNT];
    ComplexJetOf<V, D> inverseR;
    AmplitudesOf<V, D> startR, startT;  // c of r and of t
};

// n! Im(l_n) / c^n for n = 1 .. 3 of log coefficients l: d^n arg / domega^n.
template <class V, int D>
inline void phaseDerivatives(const ComplexJetOf<V, D>& l, V* out)
{
    const double factorial[4] = {1, 1, 2, 6};
    double cn = 1;
    for (int n = 1; n <= 3; ++n) {
        cn *= SPEED_OF_LIGHT;
        out[n - 1] = V{};
        if (n <= D) out[n - 1] = (factorial[n] * l.im.c[n]) / cn;
    }
}

template <class Trig, class V, int D, bool Lossless>
inline ClosingOf<V, D> closingOf(const SweptOf<V, D>& swept,
                                 const MediaJetsOf<V, D, Lossless>& jets, bool transmission)
{
    const AmplitudesOf<V, D>& w = swept.w;
    ClosingOf<V, D> c;
    const V scale = closingScaleOf(coefficient(w.u, 0));
    const ComplexJetOf<V, D> w1 = scale * w.u, w2 = scale * w.w;
    const ComplexJetOf<V, D> inverse1 = inverse(w1);
    const ComplexJetOf<V, D> r = w2 * inverse1;
    c.r = coefficient(r, 0);
    c.value[QUANTITY_R] = norm2(c.r);
    const ComplexJetOf<V, D> logW1 = logCoefficients(w1);
    phaseDerivatives(logCoefficients(w2) - logW1, c.value + QUANTITY_GD);
    if constexpr (D >= 1) c.inverseR = w1 * inverse(w2);
    c.startR = {-(scale * (r * inverse1)), scale * inverse1};
    if (transmission) {
        // t = e^(i Phi) / w_1, log t = i Phi - log w_1.
        const ComplexJetOf<V, D> phi = asComplexJet(jets.phaseSum);
        const ComplexJetOf<V, D> value = expI<Trig>(ComplexJetOf<V, D>{
            constantJet<V, D>(phi.re.c[0]), constantJet<V, D>(phi.im.c[0])});
        c.t = scale * (coefficient(value, 0) * coefficient(inverse1, 0));
        for (std::size_t l = 0; l < laneCountOf<V>; ++l) {  // t of the unscaled sweep
            const double e = laneOf(swept.exponent, l);
            if (e != 0) {
                setLane(c.t.re, l, std::ldexp(laneOf(c.t.re, l), int(e)));
                setLane(c.t.im, l, std::ldexp(laneOf(c.t.im, l), int(e)));
            }
        }
        c.value[QUANTITY_T] = norm2(c.t) * (jets.exitAdmittanceRe / jets.incidentAdmittanceRe);
        c.value[QUANTITY_A] = (1.0 - c.value[QUANTITY_R]) - c.value[QUANTITY_T];
        phaseDerivatives(timesI(phi) - logW1, c.value + QUANTITY_GDT);
        c.startT = {scale * inverse1, ComplexJetOf<V, D>{}};
    }
    return c;
}

// The derivatives of the quantities, by any parameter, from the derivative
// of r (a jet) and, when t is wanted, that of log t; only those of `wanted`
// are formed: dR = 2 Re(conj(r) dr), the phase derivatives from dr / r, and
// dT = 2 T Re(d log t).
template <class V, int D>
inline void quantityDerivatives(const ClosingOf<V, D>& c, const ComplexJetOf<V, D>& dr,
                                const ComplexJetOf<V, D>* dlogT, const bool* wanted, V* out)
{
    const ComplexOf<V> dr0 = coefficient(dr, 0);
    if (wanted[QUANTITY_R] || wanted[QUANTITY_A])
        out[QUANTITY_R] = 2.0 * (c.r.re * dr0.re + c.r.im * dr0.im);
    if constexpr (D >= 1) {
        if (wanted[QUANTITY_GD] || wanted[QUANTITY_GDD] || wanted[QUANTITY_TOD])
            phaseDerivatives(dr * c.inverseR, out + QUANTITY_GD);
    }
    if (dlogT) {
        out[QUANTITY_T] = 2.0 * (c.value[QUANTITY_T] * dlogT->re.c[0]);
        if (wanted[QUANTITY_A]) out[QUANTITY_A] = -out[QUANTITY_R] - out[QUANTITY_T];
        if constexpr (D >= 1) phaseDerivatives(*dlogT, out + QUANTITY_GDT);
    }
}

// The thickness derivatives of layer j from its adjoint rows (mu of r, nu of
// t), its entry u_j and its phase rate.
template <class V, int D, class Beta>
inline void layerDerivatives(const ClosingOf<V, D>& c, const AmplitudesOf<V, D>& mu,
                             const AmplitudesOf<V, D>* nu, const ComplexJetOf<V, D>& u,
                             const Beta& beta, const bool* wanted, V* out)
{
    // 2 i beta u_j, shared by r and t.
    const ComplexJetOf<V, D> twoIBetaU = timesI(2.0 * (beta * u));
    const ComplexJetOf<V, D> dr = mu.w * twoIBetaU;
    if (!nu) return quantityDerivatives<V, D>(c, dr, nullptr, wanted, out);
    // d log t = i beta - nu_2 (2 i beta u).
    const ComplexJetOf<V, D> dlogT = timesI(asComplexJet(beta)) - nu->w * twoIBetaU;
    quantityDerivatives(c, dr, &dlogT, wanted, out);
}

// What a call asks of the engine; any pointer may be null (not asked for).
// Values are 1 x K; gradients L x K, element (j, i) at j + L i; weights 1 x K
// (stride 1) or one for all (stride 0); g, with weights, the L gradient of
// sum over X and i of weight_X(i) X(i).
struct ResponseRequest {
    double* r[2];  // real and imaginary parts
    double* t[2];
    double* value[QUANTITY_COUNT];
    double* gradient[QUANTITY_COUNT];
    const double* weight[QUANTITY_COUNT];
    std::size_t weightStride[QUANTITY_COUNT];
    double* g;
};

// How the walk is chosen: the lossless walk when the stack allows it, or
// always (a medium beyond its critical angle then gives NaN, as the
// two-material full-dispersion module promises).
enum class WalkChoice { Automatic, Lossless };

// Every asked-for output over the grid.
void responseOverGrid(const LayeredStack& s, const ResponseRequest& request,
                      WalkChoice walk = WalkChoice::Automatic,
                      KernelPath path = fastestKernelPath());
