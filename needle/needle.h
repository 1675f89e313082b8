// Needle derivatives: how R, GD and GDD change, per unit of its thickness t,
// when a thin layer of the other material is inserted at depth z, at t = 0,
// with full dispersion, for every depth at once.
//
// A needle of material y inside layer j (material x), u behind the layer's
// front and v in front of its back (u + v = d_j), turns the middle of
// B_j diag(E_j) G_j (engine/jet_engine.h) into
//   B_j diag(E_x(v)) M_yx diag(E_y(t)) M_xy diag(E_x(u)) G_j,
// M_xy the interface from x into y, of ratio m, and M_yx the way back, of
// ratio 1/m. M_yx M_xy = 1, so at t = 0 the stack is unchanged, and d/dt is
//   B_j diag(E_x(v)) W diag(E_x(u)) G_j,
//   W = M_yx diag(-i beta_y, i beta_y) M_xy = [[p, q], [conj q, conj p]],
//   p = -i beta_y (m + 1/m)/2,  q = -i beta_y (1/m - m)/2,
// both i times a real jet; q changes sign with the direction x -> y. With
// (a, b) = G_j, (P, T) = B_j, E = E_j and phi = exp(-i beta_x (v - u)):
//   df = p (P E a - T conj(E) conj b) + q (phi P conj b - conj(phi) T a),
//   de = p (P E b - T conj(E) conj a) + q (phi P conj a - conj(phi) T b).
// The p terms do not depend on where in the layer the needle sits (they are
// layer j's thickness derivative times p / (-i beta_x)); the depth enters
// through phi alone. As log rho = log(-e) - log f, the needle derivative of
// log rho, as a jet in k, is
//   Y = de/e - df/f = p A_j + q (phi B_j - conj(phi) C_j),
//   A_j = H_a w2 - H_b w1,  B_j = P w1,  C_j = T w2,
//   w1 = conj(a)/e - conj(b)/f,  w2 = b/e - a/f,  (H_a, H_b) = (P E, T conj E),
// so nGD = Im Y_1 / c and nGDD = 2 Im Y_2 / c^2 need only Re A_j,
// Re(B_j - C_j) and Im(B_j + C_j). nR = 2 Re(conj(rho) drho) is formed the
// same way from drho = -(de_0 + rho df_0) / f_0, so that it is 0, not NaN,
// where rho = 0. These three jets and three numbers per layer are filled
// during the backward sweep; each depth then costs one phase jet and a few
// products.
#pragma once

#include <cstddef>

#include "engine/jet_engine.h"

// Where a depth falls: the layer holding it (a depth on a boundary belongs
// to the deeper layer, the bottom of the stack to the last layer) and its
// distances from that layer's front and back.
struct NeedleSite {
    std::size_t layer;
    double front;  // u
    double back;   // v
};

// The index of the first of the depths z[0..P-1] outside [0, sum(d)] (NaN
// included), or P. A depth beyond sum(d) by no more than the rounding of a
// sum of L terms counts as sum(d).
std::size_t firstDepthOutside(const double* d, std::size_t L, const double* z, std::size_t P);

// Sites of the depths z[0..P-1], all inside the stack, in a stack of L
// layers (L = 0 counts as one layer of zero thickness).
void locateNeedles(const double* d, std::size_t L, const double* z, std::size_t P,
                   NeedleSite* sites);

// The three outputs, P x K, element (p, i) at p + P i; any may be null.
struct NeedleOutputs {
    double* nR;
    double* nGD;
    double* nGDD;
};

// What one layer contributes to the needle derivatives of every depth in it.
template <class V, int D>
struct NeedleLayerOf {
    JetOf<V, D> fixed;   // Re A_j
    JetOf<V, D> cosine;  // Re(B_j - C_j), times Re phi
    JetOf<V, D> sine;    // Im(B_j + C_j), times -Im phi
    V fixedR, cosineR, sineR;  // the same for conj(rho) drho
};

// The needle factors of a needle inside a layer of material x: p = i pim,
// q = i qim.
template <class V, int D>
struct NeedleFactorsOf {
    JetOf<V, D> pim[2], qim[2];
};

template <class V, int D>
inline NeedleFactorsOf<V, D> needleFactors(const InterfaceJetsOf<V, D>& jets)
{
    const JetOf<V, D> sum = jets.halfRatio[A_TO_B] + jets.halfRatio[B_TO_A];   // (m + 1/m)/2
    const JetOf<V, D> diff = jets.halfRatio[B_TO_A] - jets.halfRatio[A_TO_B];  // (1/m - m)/2, in A
    NeedleFactorsOf<V, D> f;
    f.pim[MATERIAL_A] = -(jets.beta[MATERIAL_B] * sum);
    f.pim[MATERIAL_B] = -(jets.beta[MATERIAL_A] * sum);
    f.qim[MATERIAL_A] = -(jets.beta[MATERIAL_B] * diff);
    f.qim[MATERIAL_B] = jets.beta[MATERIAL_A] * diff;
    return f;
}

// Per group: the inverse jets of the closing row and -conj(rho)/f_0.
template <class V, int D>
struct NeedleClosingOf {
    ComplexJetOf<V, D> inverseE, inverseF;
    ComplexOf<V> rhoWeight;  // -conj(rho) / f_0
    ComplexOf<V> rho;
};

template <class V, int D>
inline NeedleClosingOf<V, D> needleClosing(const JetRowOf<V, D>& closing)
{
    NeedleClosingOf<V, D> c;
    c.inverseE = inverse(closing.b);
    c.inverseF = inverse(closing.a);
    const ComplexOf<V> f0 = coefficient(closing.a, 0), e0 = coefficient(closing.b, 0);
    c.rho = divide(neg(e0), f0);
    c.rhoWeight = neg(mul(conj(c.rho), coefficient(c.inverseF, 0)));
    return c;
}

// Layer j's entry from G_j, B_j and H_j = (P E_j, T conj E_j).
template <class V, int D>
inline NeedleLayerOf<V, D> needleLayer(const JetRowOf<V, D>& G, const JetRowOf<V, D>& B,
                                       const JetRowOf<V, D>& H, const NeedleClosingOf<V, D>& c)
{
    NeedleLayerOf<V, D> n;
    if constexpr (D >= 1) {
        const ComplexJetOf<V, D> w1 = sub(mul(conj(G.a), c.inverseE), mul(conj(G.b), c.inverseF));
        const ComplexJetOf<V, D> w2 = sub(mul(G.b, c.inverseE), mul(G.a, c.inverseF));
        n.fixed = (H.a.re * w2.re - H.a.im * w2.im) - (H.b.re * w1.re - H.b.im * w1.im);
        const ComplexJetOf<V, D> Bj = mul(B.a, w1), Cj = mul(B.b, w2);
        n.cosine = Bj.re - Cj.re;
        n.sine = Bj.im + Cj.im;
    }
    // Values: conj(rho) drho = rhoWeight (de_0 + rho df_0), whose parts are
    // those of Y with (conj a + rho conj b, b + rho a) for (w1, w2).
    const ComplexOf<V> a = coefficient(G.a, 0), b = coefficient(G.b, 0);
    const ComplexOf<V> r1 = mul(c.rhoWeight, add(conj(a), mul(c.rho, conj(b))));
    const ComplexOf<V> r2 = mul(c.rhoWeight, add(b, mul(c.rho, a)));
    const ComplexOf<V> fixedR =
        sub(mul(coefficient(H.a, 0), r2), mul(coefficient(H.b, 0), r1));
    const ComplexOf<V> u = mul(coefficient(B.a, 0), r1), w = mul(coefficient(B.b, 0), r2);
    n.fixedR = fixedR.im;
    n.cosineR = u.im - w.im;
    n.sineR = u.re + w.re;
    return n;
}

template <class V>
struct NeedleDerivativesOf {
    V nR, nGD, nGDD;
};

// The derivatives of one depth inside layer j, of material x.
template <class Trig, class V, int D>
inline NeedleDerivativesOf<V> needleAt(const NeedleLayerOf<V, D>& n, const NeedleSite& site,
                                       const JetOf<V, D>& betaX, const JetOf<V, D>& pim,
                                       const JetOf<V, D>& qim)
{
    const ComplexJetOf<V, D> phi = propagationJet<Trig>(scaleJet(site.back - site.front, betaX));
    NeedleDerivativesOf<V> out;
    // Re(i pim X) = -pim Im X: the phase parts Im(phi u - conj(phi) w).
    const V phaseR = phi.re.c[0] * n.cosineR + phi.im.c[0] * n.sineR;
    out.nR = -2.0 * (pim.c[0] * n.fixedR + qim.c[0] * phaseR);
    out.nGD = V{};
    out.nGDD = V{};
    if constexpr (D >= 1) {
        // Im Y = pim Re A + qim Re(phi B - conj(phi) C).
        const JetOf<V, D> imY = pim * n.fixed + qim * (phi.re * n.cosine - phi.im * n.sine);
        out.nGD = imY.c[1] / SPEED_OF_LIGHT;
        if constexpr (D >= 2) out.nGDD = (2.0 * imY.c[2]) / (SPEED_OF_LIGHT * SPEED_OF_LIGHT);
    }
    return out;
}

// Every asked-for output over the grid, for the P depths at sites[0..P-1].
// The tables are obtained once for the call.
void needleOverGrid(const FullDispersionGrid& grid, Polarization pol, const NeedleSite* sites,
                    std::size_t P, const NeedleOutputs& out, KernelPath path = fastestKernelPath());
