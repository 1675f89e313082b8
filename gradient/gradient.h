// Exact derivatives of R and GD with respect to every layer thickness, from
// one forward and one backward sweep over the layer tables.
//
// The full product is (substrate-side product behind layer j) x (ambient-side
// product through layer j). Only layer j's propagation depends on d_j, so each
// thickness derivative needs the two partial products that meet at layer j:
// the forward sweep keeps the ambient-side rows (and their mixed
// derivatives), the backward sweep forms the substrate-side columns and meets
// them with those rows as it goes. Work per wavenumber is linear in L.
#pragma once

#include <cstddef>
#include <vector>

#include "delay/layer_tables.h"

namespace coat {

// Only the mixed rows are kept per layer: the substrate-side columns are met
// with the forward rows as the backward sweep forms them, so that a lane
// group's tables stay small enough for the cache at a thousand layers.
template <class V>
struct GradientTablesOf {
    std::vector<RowOf<V>> mixed;  // d/d(d_j) of the derivative row after layer j

    explicit GradientTablesOf(std::size_t L) : mixed(L) {}
};
using GradientTables = GradientTablesOf<double>;

template <class V>
struct ReflectanceAndDelayOf {
    V R;
    V GD;  // fs
};

// Substrate-side columns C_j and their k-derivatives for j = L down to 1,
// all times the closing rows' power-of-two scale, so that what they give
// meets the scaled closing rows: onColumn(j - 1, C_j, C'_j) for each, the
// column behind layer j - 1 (C'_L is zero).
template <class V, class OnColumn>
inline void backwardSweep(const LayerTablesOf<V>& t, const V& rowScale, OnColumn&& onColumn)
{
    const std::size_t L = t.layers();
    RowOf<V> C = {{rowScale * t.pairs[L].g, V{}}, {rowScale * t.pairs[L].h, V{}}};
    onColumn(L - 1, C, zeroRow<V>());
    RowOf<V> u = scaleRow(t.propagation[L - 1], C);
    RowOf<V> du = mulImaginaryRow(t.slope[L - 1], u);
    for (std::size_t j = L - 1; j >= 1; --j) {
        C = mixInterface(u, t.pairs[j].g, t.pairs[j].h);
        const RowOf<V> dC = mixInterface(du, t.pairs[j].g, t.pairs[j].h);
        onColumn(j - 1, C, dC);
        const ComplexOf<V> E = t.propagation[j - 1];
        u = scaleRow(E, C);
        du = addRows(scaleRow(E, dC), mulImaginaryRow(t.slope[j - 1], u));
    }
}

// c x - conj(t y): one entry of (column (c, t)) x (row), through the lossless form.
template <class V>
inline ComplexOf<V> meet(const ComplexOf<V>& c, const ComplexOf<V>& x, const ComplexOf<V>& t,
                         const ComplexOf<V>& y)
{
    return c * x - conj(t * y);
}

// The thickness derivatives of R and GD at layer j, from the rows and columns
// that meet there.
template <class V>
struct LayerGradientOf {
    V dR;
    V dGD;
};

// R and GD of one wavenumber (or lane group) exactly as the table walk gives
// them and, when `gradient` is set, the thickness gradients through
// onLayer(j, const LayerGradientOf<V>&) for every layer j, the last first.
// `c` must have been formed with the exit material of this L; L >= 1.
template <class Trig = ExactTrig, class V, class OnLayer>
inline ReflectanceAndDelayOf<V> delayWithGradient(LayerTablesOf<V>& t, GradientTablesOf<V>& gt,
                                                  const InterfaceCoefficientsOf<V>& c,
                                                  const PhaseRateDerivativesOf<V>& dc,
                                                  const double* d, bool gradient,
                                                  OnLayer&& onLayer)
{
    fillLayerTables<Trig>(t, c, dc, d);
    if (gradient) {
        // M_j = (1/d_j + zeta_j) sigma_j row + zeta_j carried, zeta_j = -i beta.
        // sigma_j / d_j is -i beta', finite also for a layer of zero thickness.
        forwardSweep(t, [&](const LayerStepRowsOf<V>& s) {
            const V beta = c.beta[s.material];
            const ComplexOf<V> factor = {beta * t.slope[s.j], -dc.betaPrime[s.material]};
            gt.mixed[s.j] = addRows(scaleRow(factor, s.row), mulImaginaryRow(-beta, s.carried));
        });
    } else {
        forwardSweep(t, [](const LayerStepRowsOf<V>&) {});
    }
    const std::size_t L = t.layers();
    const V rowScale = closingScaleOf(t.rows[L].a);  // 1 unless the rows have grown large
    const RowOf<V> closing = scaleRowBy(rowScale, t.rows[L]);
    const RowOf<V> closingDerivative = scaleRowBy(rowScale, t.closingDerivative);
    const ComplexOf<V> f = closing.a;
    const ComplexOf<V> fp = closingDerivative.a, ep = closingDerivative.b;
    const ReflectionDerivativeOf<V> r = reflectionDerivativeOfRescaled(closing, closingDerivative);
    const V R = reflectanceOf(r.rho);
    const ReflectanceAndDelayOf<V> out = {R, groupDelayStepwiseOf(r.rho, r.rhoPrime, R)};
    if (!gradient) return out;

    V absRho;
    for (std::size_t l = 0; l < sizeof(V) / sizeof(double); ++l)
        setLane(absRho, l, modulus(laneOf(r.rho, l)));
    const ComplexOf<V> rhoBar = conj(r.rho);
    const ComplexOf<V> rhoBarRhoPrime = rhoBar * r.rhoPrime;
    const V absRhoPrime = rhoBarRhoPrime.re / absRho;  // d|rho|/dk
    const V phasePrime = rhoBarRhoPrime.im / R;        // d(arg rho)/dk
    const ComplexOf<V> F = squareOf(f);
    backwardSweep(t, rowScale, [&](std::size_t j, const RowOf<V>& C, const RowOf<V>& dC) {
        const V zeta = -c.beta[slotOfLayer(j).material];  // d(-i delta_j)/d(d_j) = i zeta
        const ComplexOf<V> a = t.rows[j].a, b = t.rows[j].b;
        const ComplexOf<V> m1 = gt.mixed[j].a, m2 = gt.mixed[j].b;
        const ComplexOf<V> cc = C.a, tt = C.b;
        const ComplexOf<V> cp = dC.a, tp = dC.b;

        const ComplexOf<V> df = timesI(zeta * meet(cc, a, tt, b));
        const ComplexOf<V> de = timesI(zeta * meet(cc, b, tt, a));
        const ComplexOf<V> dfp =
            timesI(zeta * meet(cp, a, tp, b)) + cc * m1 + conj(tt * m2);
        const ComplexOf<V> dep =
            timesI(zeta * meet(cp, b, tp, a)) + cc * m2 + conj(tt * m1);

        const ComplexOf<V> dRho = -(r.rho * df + de) / f;
        const ComplexOf<V> inner = 2.0 * (df * fp) - f * dfp;
        const ComplexOf<V> dRhoPrime =
            (r.rho * inner + df * ep + fp * de - f * dep) / F;

        const ComplexOf<V> rhoBarDRho = rhoBar * dRho;
        const V dAbsRho = rhoBarDRho.re / absRho;
        const V dPhase = rhoBarDRho.im / R;
        const V dPhasePrime = (rhoBar * dRhoPrime).im / R -
                              (dAbsRho * phasePrime + dPhase * absRhoPrime) / absRho;
        onLayer(j, LayerGradientOf<V>{2.0 * absRho * dAbsRho, dPhasePrime / SPEED_OF_LIGHT});
    });
    return out;
}

// All four outputs over the grid: R and GD as the table walk gives them, and
// the L x K gradients, element (j, i) at j + L i (dR, dGD may be null; with
// both null no gradient work is done and no gradient tables are obtained).
// The tables are obtained once for the call. With no layers: the bare
// substrate, and no gradient entries.
void gradientOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD, double* dR,
                      double* dGD, KernelPath path = fastestKernelPath());

}  // namespace coat
