// The closing of a lane group's sweep: r, t and the quantities, and the
// derivatives of the quantities by any parameter (a thickness, a needle) from
// the derivative of r and of log t.
#pragma once

#include <cstddef>

#include "engine/quantities.h"
#include "engine/sweep.h"

namespace coat {

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
        c.value[QUANTITY_T] = norm2(c.t) * (jets.substrateAdmittanceRe / jets.ambientAdmittance);
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

}  // namespace coat
