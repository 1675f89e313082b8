// What one lane group of a walk needs of its media before the sweeps: the
// plan of the call's interfaces and media, and per medium the phase rate and
// admittance as jets in k.
#pragma once

#include <cstddef>
#include <type_traits>
#include <vector>

#include "geometry/layered_stack.h"
#include "numeric/jet.h"
#include "numeric/lanes.h"

namespace coat {

// Real (lossless) or complex admittances, ratios and phase rates.
template <class V, int D, bool Lossless>
using MediumJetOf = std::conditional_t<Lossless, JetOf<V, D>, ComplexJetOf<V, D>>;

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
    V ambientAdmittance, substrateAdmittanceRe;

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
    jets.ambientAdmittance = V{} + ambientY;
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
    const Medium& ys = jets.admittance[s.M];
    if constexpr (Lossless)
        jets.substrateAdmittanceRe = ys.c[0];
    else
        jets.substrateAdmittanceRe = ys.re.c[0];
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

}  // namespace coat
