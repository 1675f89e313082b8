// Reflection of the physical stack with full dispersion, and its exact
// thickness gradients, from wavenumber jets carried through a forward and a
// backward sweep.
//
// Every index follows n(k) = n + n' h + n'' h^2 / 2 about each wavenumber
// (h = k - k_i), in the layer phases AND in the interface coefficients
// (through q = sqrt(n^2 - tau) and, in TM, n^2 / q); the ambient index and the
// angle carry none. Each complex entry of the walk is a jet of order D in k
// (numeric/jet.h), so rho, rho' and rho'' are exact derivatives of the
// reflection a spectrometer sees. The stack is closed physically: behind the
// last layer with that layer's own interface to the substrate; with no layers
// the ambient meets the substrate.
//
// Matrices, in the compact lossless form of stack/stack.h (a first row (a, b)
// stands for [[a, b], [conj b, conj a]]; this holds for jets too, since it
// holds at every real k):
//   interface into layer j:  M_j = (1/2) [[1 + m, 1 - m], [1 - m, 1 + m]],
//                             m the admittance ratio of that interface;
//   phase of layer j:        diag(E_j, conj E_j), E_j = exp(-i delta_j(k)),
//                             delta_j = beta(k) d_j, beta = q(k) k;
//   whole stack:             M_exit E_(L-1) M_(L-1) ... E_0 M_0, first row (f, e);
//   rho = -e / f.
//
// Per-layer tables, for every layer j (0-based, layer 0 next to the ambient):
//   inside[j]  G_j: first row of M_j E_(j-1) M_(j-1) ... E_0 M_0, the product
//              from the ambient up to just inside layer j (after its entrance
//              interface, before its phase). G_0 = first row of M_0.
//   phase[j]   E_j.
//   behind[j]  B_j: first row of M_exit E_(L-1) M_(L-1) ... E_(j+1) M_(j+1), the
//              product from just inside layer j (after its phase, before its
//              exit interface) to the substrate, times the closing scale s.
//              B_(L-1) = s times the first row of M_exit.
// so that for every j the scaled closing row is
//   s (f, e) = join(B_j, E_j G_j),  join((p, t), (a, b)) = (p a + t conj b, p b + t conj a),
// the first row of [[p, t], [conj t, conj p]] [[a, b], [conj b, conj a]]. The
// closing scale s is the power of two that brings f's value into range (1
// unless the rows have grown past 2^64); rho, its k-derivatives and every
// ratio taken below are unchanged by it.
//
// A layer of another material inserted inside layer j, at distance z behind
// its front, changes only the middle of B_j diag(E_j) G_j:
//   B_j diag(E_j(d_j - z)) M_back diag(E_needle) M_front diag(E_j(z)) G_j,
// with E(x) = exp(-i beta x) of the layer's material (propagationJet of the
// jet beta x) and the interface jets below; everything outside layer j is in
// the tables.
#pragma once

#include <cstddef>
#include <vector>

#include "numeric/jet.h"
#include "stack/stack.h"

template <class V, int D>
using ComplexJetOf = ComplexOf<JetOf<V, D>>;
template <class V, int D>
using JetRowOf = RowOf<JetOf<V, D>>;

// The interfaces a physical stack or one with a layer inserted may hold. The
// first three are numbered as the slots of stack/stack.h, so that the slot
// forEachLayer gives for layer j names its entrance interface.
enum InterfaceKind {
    AMBIENT_TO_A = SLOT_AMBIENT_A,
    A_TO_B = SLOT_A_B,
    B_TO_A = SLOT_B_A,
    A_TO_SUBSTRATE,
    B_TO_SUBSTRATE,
    AMBIENT_TO_SUBSTRATE,
    INTERFACE_KINDS
};

// The interface behind the last of L layers.
inline int exitInterfaceOf(std::size_t L)
{
    if (L == 0) return AMBIENT_TO_SUBSTRATE;
    return L % 2 ? A_TO_SUBSTRATE : B_TO_SUBSTRATE;
}

// Everything one wavenumber (or lane group) needs before the sweeps.
template <class V, int D>
struct InterfaceJetsOf {
    JetOf<V, D> halfRatio[INTERFACE_KINDS];  // m / 2 of each interface
    JetOf<V, D> beta[2];                     // phase rates q k of A and B, per unit thickness
};
using InterfaceJets2 = InterfaceJetsOf<double, 2>;

// Index jets of one material: n, n' and n''/2 (n'' may be absent: zero).
template <int D>
inline JetOf<double, D> indexJet(double n, double nPrime, double nSecond)
{
    JetOf<double, D> j = constantJet<double, D>(n);
    if constexpr (D >= 1) j.c[1] = nPrime;
    if constexpr (D >= 2) j.c[2] = nSecond / 2;
    return j;
}

// The jets of one wavenumber from the index triples (n_A, n_B, n_S), their
// k-derivatives and second derivatives (nSecond may be null: zero).
// TE: m = q_in / q_far; TM: m = (q_in / q_far) (n_far / n_in)^2. A material
// with n^2 < tau gives NaN jets, and NaN reaches that wavenumber only.
template <int D>
inline InterfaceJetsOf<double, D> interfaceJets(const double n[3], const double nPrime[3],
                                                const double* nSecond, double na, double tau,
                                                double cosTheta, double k, Polarization pol)
{
    JetOf<double, D> index[4], normal[4];  // A, B, substrate, ambient
    for (int x = 0; x < 3; ++x) {
        index[x] = indexJet<D>(n[x], nPrime[x], nSecond ? nSecond[x] : 0.0);
        normal[x] = squareRoot(index[x] * index[x] - constantJet<double, D>(tau));
    }
    index[3] = constantJet<double, D>(na);
    normal[3] = constantJet<double, D>(na * cosTheta);
    const int ambient = 3;
    const int sides[INTERFACE_KINDS][2] = {
        {ambient, MATERIAL_A},   {MATERIAL_A, MATERIAL_B}, {MATERIAL_B, MATERIAL_A},
        {MATERIAL_A, SUBSTRATE}, {MATERIAL_B, SUBSTRATE},  {ambient, SUBSTRATE}};
    InterfaceJetsOf<double, D> jets;
    for (int s = 0; s < INTERFACE_KINDS; ++s) {
        const int in = sides[s][0], far = sides[s][1];
        JetOf<double, D> m = normal[in] / normal[far];
        if (pol == Polarization::TM) {
            const JetOf<double, D> nu = index[far] / index[in];
            m = m * (nu * nu);
        }
        jets.halfRatio[s] = scaleJet(0.5, m);
    }
    const JetOf<double, D> kJet = variableJet<double, D>(k);
    for (int x = 0; x < 2; ++x) jets.beta[x] = normal[x] * kJet;
    return jets;
}

template <class V, int D>
inline void setLane(JetOf<V, D>& j, std::size_t l, const JetOf<double, D>& s)
{
    for (int n = 0; n <= D; ++n) setLane(j.c[n], l, s.c[n]);
}
template <class V, int D>
inline void setLane(InterfaceJetsOf<V, D>& j, std::size_t l, const InterfaceJetsOf<double, D>& s)
{
    for (int x = 0; x < INTERFACE_KINDS; ++x) setLane(j.halfRatio[x], l, s.halfRatio[x]);
    for (int x = 0; x < 2; ++x) setLane(j.beta[x], l, s.beta[x]);
}

// The inputs of one call. Each of n, nPrime, nSecond holds a triple per
// wavenumber (stride 3) or one triple for all (stride 0); nSecond may be null
// (zero second derivatives).
struct FullDispersionGrid {
    StackGrid stack;  // its n and nPrime are read with the strides below
    const double* nSecond;
    std::size_t nStride, nPrimeStride, nSecondStride;
};

// Runs perGroup(first, count, jets) for consecutive groups of as many
// wavenumbers as V carries; the lanes of a last, short group repeat its last
// wavenumber, and their results are dropped.
template <class V, int D, class PerGroup>
inline void forEachJetLaneGroup(const FullDispersionGrid& grid, Polarization pol,
                                PerGroup&& perGroup)
{
    constexpr std::size_t lanes = laneCountOf<V>;
    const StackGrid& s = grid.stack;
    const double tau = tangentialIndexSquared(s.na, s.theta);
    const double cosTheta = std::cos(s.theta);
    for (std::size_t first = 0; first < s.K; first += lanes) {
        const std::size_t count = s.K - first < lanes ? s.K - first : lanes;
        InterfaceJetsOf<V, D> jets;
        for (std::size_t l = 0; l < lanes; ++l) {
            const std::size_t i = first + (l < count ? l : count - 1);
            setLane(jets, l,
                    interfaceJets<D>(s.n + grid.nStride * i, s.nPrime + grid.nPrimeStride * i,
                                     grid.nSecond ? grid.nSecond + grid.nSecondStride * i : nullptr,
                                     s.na, tau, cosTheta, s.k[i], pol));
        }
        perGroup(first, count, jets);
    }
}

// The interface step M S of a row S = (a, b), with mh = m/2:
// (u + v, conj(u - v)), u = (a + conj b)/2, v = mh (a - conj b).
template <class V, int D>
inline JetRowOf<V, D> enterInterface(const JetRowOf<V, D>& s, const JetOf<V, D>& mh)
{
    const ComplexJetOf<V, D> cb = conj(s.b);
    const ComplexJetOf<V, D> u = scaleComplexJetBy(0.5, add(s.a, cb));
    const ComplexJetOf<V, D> v = scaleComplexJet(mh, sub(s.a, cb));
    return {add(u, v), conj(sub(u, v))};
}

// The first row of C M for a row C = (p, t) of a substrate-side product:
// (u + v, u - v), u = (p + t)/2, v = mh (p - t).
template <class V, int D>
inline JetRowOf<V, D> leaveInterface(const JetRowOf<V, D>& c, const JetOf<V, D>& mh)
{
    const ComplexJetOf<V, D> u = scaleComplexJetBy(0.5, add(c.a, c.b));
    const ComplexJetOf<V, D> v = scaleComplexJet(mh, sub(c.a, c.b));
    return {add(u, v), sub(u, v)};
}

// Both entries times a real factor that does not depend on k.
template <class V, int D>
inline JetRowOf<V, D> scaleJetRowBy(const V& s, const JetRowOf<V, D>& x)
{
    return {scaleComplexJetBy(s, x.a), scaleComplexJetBy(s, x.b)};
}

// The first row of the identity, the product of no layers.
template <class V, int D>
inline JetRowOf<V, D> identityJetRow()
{
    const JetOf<V, D> zero = constantJet<V, D>(V{});
    return {{constantJet<V, D>(V{} + 1.0), zero}, {zero, zero}};
}

// The row with the closing first row of an interface alone: (1/2 + mh, 1/2 - mh).
template <class V, int D>
inline JetRowOf<V, D> interfaceRow(const JetOf<V, D>& mh)
{
    const JetOf<V, D> half = constantJet<V, D>(V{} + 0.5);
    const JetOf<V, D> zero = constantJet<V, D>(V{});
    return {{half + mh, zero}, {half - mh, zero}};
}

template <class V, int D>
struct LayerJetsOf {
    JetRowOf<V, D> inside;      // G_j
    ComplexJetOf<V, D> phase;   // E_j
    JetRowOf<V, D> behind;      // B_j (scaled); filled only when asked for
};

// The tables of one lane group: sized once per call, rewritten by every group.
template <class V, int D>
struct StackJetTablesOf {
    std::vector<LayerJetsOf<V, D>> layers;
    InterfaceJetsOf<V, D> interfaces;
    JetRowOf<V, D> closing;  // s (f, e)
    V scale;                 // s

    explicit StackJetTablesOf(std::size_t L) : layers(L) {}
    std::size_t layerCount() const { return layers.size(); }
};

// The product from the ambient through the exit interface, unscaled:
// onLayer(j, G_j, E_j) sees every layer. Works for L = 0 (the ambient-to-
// substrate interface alone).
template <class Trig, class V, int D, class OnLayer>
inline JetRowOf<V, D> forwardJetWalk(const InterfaceJetsOf<V, D>& jets, const double* d,
                                     std::size_t L, OnLayer&& onLayer)
{
    JetRowOf<V, D> row = identityJetRow<V, D>();
    forEachLayer(L, [&](std::size_t j, int slot, int material) {
        const JetRowOf<V, D> inside = enterInterface(row, jets.halfRatio[slot]);
        const ComplexJetOf<V, D> phase =
            propagationJet<Trig>(scaleJet(d[j], jets.beta[material]));
        onLayer(j, inside, phase);
        row = scaleRow(phase, inside);
    });
    return enterInterface(row, jets.halfRatio[exitInterfaceOf(L)]);
}

// The power of two that brings the closing row's value of f into range.
template <class V, int D>
inline V closingScaleOfJets(const JetRowOf<V, D>& closing)
{
    return closingScaleOf(coefficient(closing.a, 0));
}

// Forward sweep: inside[j] and phase[j] of every layer, then the scaled
// closing row.
template <class Trig, class V, int D>
inline void forwardJetSweep(StackJetTablesOf<V, D>& t, const InterfaceJetsOf<V, D>& jets,
                            const double* d)
{
    t.interfaces = jets;
    const JetRowOf<V, D> closing = forwardJetWalk<Trig>(
        jets, d, t.layerCount(),
        [&](std::size_t j, const JetRowOf<V, D>& inside, const ComplexJetOf<V, D>& phase) {
            t.layers[j].inside = inside;
            t.layers[j].phase = phase;
        });
    t.scale = closingScaleOfJets(closing);
    t.closing = scaleJetRowBy(t.scale, closing);
}

// Backward sweep from the exit interface to layer 0: onLayer(j, B_j, H_j) for
// j = L-1 down to 0, with H_j = B_j diag(E_j, conj E_j) = (p E_j, t conj E_j),
// the product from just in front of layer j's phase to the substrate. L >= 0.
template <class V, int D, class OnLayer>
inline void backwardJetSweep(const StackJetTablesOf<V, D>& t, OnLayer&& onLayer)
{
    const std::size_t L = t.layerCount();
    const JetRowOf<V, D> exitRow = interfaceRow(t.interfaces.halfRatio[exitInterfaceOf(L)]);
    JetRowOf<V, D> B = scaleJetRowBy(t.scale, exitRow);
    for (std::size_t j = L; j-- > 0;) {
        const ComplexJetOf<V, D>& E = t.layers[j].phase;
        const JetRowOf<V, D> H = {mul(B.a, E), mul(B.b, conj(E))};
        onLayer(j, static_cast<const JetRowOf<V, D>&>(B), H);
        if (j > 0) B = leaveInterface(H, t.interfaces.halfRatio[slotOfLayer(j).slot]);
    }
}

// Both sweeps over one lane group's jets: every table entry, inside, phase and
// behind, of every layer, and the closing row. For modules that need the
// products on both sides of any depth of the stack.
template <class Trig, class V, int D>
inline void fillStackJetTables(StackJetTablesOf<V, D>& t, const InterfaceJetsOf<V, D>& jets,
                               const double* d)
{
    forwardJetSweep<Trig>(t, jets, d);
    backwardJetSweep(t, [&](std::size_t j, const JetRowOf<V, D>& B, const JetRowOf<V, D>&) {
        t.layers[j].behind = B;
    });
}

// Every table of every lane group in turn: perGroup(first, count, t) with t
// filled for wavenumbers first .. first + count - 1 by both sweeps (the lanes
// of a last, short group repeat its last wavenumber). `t` is sized once for
// the call, with grid.stack.L layers.
template <class Trig, class V, int D, class PerGroup>
inline void forEachStackJetTableGroup(const FullDispersionGrid& grid, Polarization pol,
                                      StackJetTablesOf<V, D>& t, PerGroup&& perGroup)
{
    forEachJetLaneGroup<V, D>(grid, pol, [&](std::size_t first, std::size_t count,
                                             const InterfaceJetsOf<V, D>& jets) {
        fillStackJetTables<Trig>(t, jets, grid.stack.d);
        perGroup(first, count, static_cast<const StackJetTablesOf<V, D>&>(t));
    });
}

// R, GD (fs) and GDD (fs^2) of a scaled closing row (f, e), from the log-
// derivatives of e and f: arg rho = arg(-e) - arg f, so
//   GD  = Im(e_1/e_0 - f_1/f_0) / c,
//   GDD = Im[(2 e_2/e_0 - (e_1/e_0)^2) - (2 f_2/f_0 - (f_1/f_0)^2)] / c^2,
// i.e. Im(rho'/rho) / c and Im(rho''/rho - (rho'/rho)^2) / c^2.
template <class V>
struct FullSpectrumOf {
    ComplexOf<V> rho;
    V R, GD, GDD;
    ComplexOf<V> inverseE0, inverseF0;  // 1/e_0, 1/f_0 of the scaled row
};

template <class V, int D>
inline FullSpectrumOf<V> spectrumOf(const JetRowOf<V, D>& closing)
{
    const ComplexOf<V> f0 = coefficient(closing.a, 0), e0 = coefficient(closing.b, 0);
    FullSpectrumOf<V> out;
    out.rho = divide(neg(e0), f0);
    out.R = reflectanceOf(out.rho);
    const V fn = norm2(f0), en = norm2(e0);
    out.inverseF0 = {f0.re / fn, -f0.im / fn};
    out.inverseE0 = {e0.re / en, -e0.im / en};
    out.GD = V{};
    out.GDD = V{};
    if constexpr (D >= 1) {
        const ComplexOf<V> le = mul(coefficient(closing.b, 1), out.inverseE0);
        const ComplexOf<V> lf = mul(coefficient(closing.a, 1), out.inverseF0);
        out.GD = (le.im - lf.im) / SPEED_OF_LIGHT;
        if constexpr (D >= 2) {
            const ComplexOf<V> se = mul(coefficient(closing.b, 2), out.inverseE0);
            const ComplexOf<V> sf = mul(coefficient(closing.a, 2), out.inverseF0);
            const V curvature = (2.0 * se.im - 2.0 * (le.re * le.im)) -
                                (2.0 * sf.im - 2.0 * (lf.re * lf.im));
            out.GDD = curvature / (SPEED_OF_LIGHT * SPEED_OF_LIGHT);
        }
    }
    return out;
}

// Thickness derivatives at one layer.
template <class V>
struct LayerDerivativesOf {
    V dR, dGD, dGDD;
};

// The thickness derivatives of layer j from H_j (column in front of its
// phase), G_j (row just inside it) and the closing row. d/d(d_j) of
// diag(E_j, conj E_j) is -i beta diag(E_j, -conj E_j), so
//   d(f, e)/d(d_j) = -i beta (P a - T conj b, P b - T conj a) = -i beta (Df, De),
// (P, T) = H_j, (a, b) = G_j: finite for d_j = 0 too. With the inverse jets
// 1/e and 1/f of the closing row,
//   lambda = d(log rho)/d(d_j) = -i beta Y,  Y = De/e - Df/f,
// as a jet in k: dGD = Im(lambda_1)/c, dGDD = 2 Im(lambda_2)/c^2, and
// dR = 2 Re(conj(rho) d rho), d rho = i beta_0 (De_0 + rho Df_0) / f_0, which
// stays 0 where rho = 0.
template <class V, int D>
inline LayerDerivativesOf<V> layerDerivatives(const JetRowOf<V, D>& H, const JetRowOf<V, D>& G,
                                              const JetOf<V, D>& beta,
                                              const ComplexJetOf<V, D>& inverseE,
                                              const ComplexJetOf<V, D>& inverseF,
                                              const FullSpectrumOf<V>& s)
{
    const ComplexJetOf<V, D> Df = sub(mul(H.a, G.a), mul(H.b, conj(G.b)));
    const ComplexJetOf<V, D> De = sub(mul(H.a, G.b), mul(H.b, conj(G.a)));
    const ComplexOf<V> dRho = mulImaginary(
        beta.c[0], mul(add(coefficient(De, 0), mul(s.rho, coefficient(Df, 0))), s.inverseF0));
    LayerDerivativesOf<V> out;
    out.dR = 2.0 * (s.rho.re * dRho.re + s.rho.im * dRho.im);
    out.dGD = V{};
    out.dGDD = V{};
    if constexpr (D >= 1) {
        // Re Y as a jet: Re(De/e) - Re(Df/f).
        const JetOf<V, D> reY = (De.re * inverseE.re - De.im * inverseE.im) -
                                (Df.re * inverseF.re - Df.im * inverseF.im);
        out.dGD = -(beta.c[0] * reY.c[1] + beta.c[1] * reY.c[0]) / SPEED_OF_LIGHT;
        if constexpr (D >= 2) {
            const V im2 = beta.c[0] * reY.c[2] + beta.c[1] * reY.c[1] + beta.c[2] * reY.c[0];
            out.dGDD = -(2.0 * im2) / (SPEED_OF_LIGHT * SPEED_OF_LIGHT);
        }
    }
    return out;
}

// The six outputs of a call; any may be null (not asked for). The gradients
// are L x K, element (j, i) at j + L i.
struct FullDispersionOutputs {
    double* R;
    double* GD;
    double* GDD;
    double* dR;
    double* dGD;
    double* dGDD;
};

// The order of jets the asked-for outputs need: 2 with GDD or dGDD, 1 with GD
// or dGD, else 0.
inline int jetOrderFor(const FullDispersionOutputs& out)
{
    if (out.GDD || out.dGDD) return 2;
    return out.GD || out.dGD ? 1 : 0;
}

// Every asked-for output over the grid. The tables are obtained once for the
// call when a gradient is asked for; without one the forward sweep keeps no
// table. No layers: the bare substrate, GD = GDD = 0, no gradient entries.
void fullDispersionOverGrid(const FullDispersionGrid& grid, Polarization pol,
                            const FullDispersionOutputs& out,
                            KernelPath path = fastestKernelPath());
