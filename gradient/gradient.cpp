#include "gradient/gradient.h"

namespace {

// Substrate-side columns C_j and their k-derivatives for j = L down to 1.
void backwardSweep(const LayerTables& t, GradientTables& gt)
{
    const std::size_t L = t.layers();
    StackRow C = {{t.pairs[L].g, 0.0}, {t.pairs[L].h, 0.0}};
    gt.backward[L] = C;
    StackRow u = scaleRow(t.propagation[L - 1], C);
    StackRow du = {mulImaginary(t.slope[L - 1], u.a), mulImaginary(t.slope[L - 1], u.b)};
    for (std::size_t j = L - 1; j >= 1; --j) {
        C = mixInterface(u, t.pairs[j].g, t.pairs[j].h);
        const StackRow dC = mixInterface(du, t.pairs[j].g, t.pairs[j].h);
        gt.backward[j] = C;
        gt.backwardDerivative[j] = dC;
        const Complex E = t.propagation[j - 1];
        u = scaleRow(E, C);
        const StackRow carried = scaleRow(E, dC);
        du = {add(carried.a, mulImaginary(t.slope[j - 1], u.a)),
              add(carried.b, mulImaginary(t.slope[j - 1], u.b))};
    }
}

// c x - conj(t y): one entry of (column (c, t)) x (row), through the lossless form.
Complex meet(Complex c, Complex x, Complex t, Complex y) { return sub(mul(c, x), conj(mul(t, y))); }

}  // namespace

ReflectanceAndDelay delayWithGradient(LayerTables& t, GradientTables& gt,
                                      const InterfaceCoefficients& c,
                                      const PhaseRateDerivatives& dc, const double* d, double* dR,
                                      double* dGD)
{
    fillLayerTables(t, c, dc, d);
    const bool gradient = dR || dGD;
    if (gradient) {
        // M_j = (1/d_j + zeta_j) sigma_j row + zeta_j carried, zeta_j = -i beta.
        // sigma_j / d_j is -i beta', finite also for a layer of zero thickness.
        forwardSweep(t, [&](const LayerStepRows& s) {
            const int x = slotOfLayer(s.j).material;
            const double beta = c.beta[x];
            const Complex factor = {beta * t.slope[s.j], -dc.betaPrime[x]};
            gt.mixed[s.j] = addRows(scaleRow(factor, s.row),
                                    {mulImaginary(-beta, s.carried.a),
                                     mulImaginary(-beta, s.carried.b)});
        });
    } else {
        forwardSweep(t, [](const LayerStepRows&) {});
    }
    const std::size_t L = t.layers();
    const Complex f = t.rows[L].a;
    const Complex fp = t.derivativeRows[L].a, ep = t.derivativeRows[L].b;
    const ReflectionDerivative r = reflectionDerivativeOf(t.rows[L], t.derivativeRows[L]);
    const double absRho = modulus(r.rho);
    const double R = absRho * absRho;
    const ReflectanceAndDelay out = {R, groupDelayStepwiseOf(r.rho, r.rhoPrime, R)};
    if (!gradient) return out;

    backwardSweep(t, gt);
    const Complex rhoBar = conj(r.rho);
    const Complex rhoBarRhoPrime = mul(rhoBar, r.rhoPrime);
    const double absRhoPrime = rhoBarRhoPrime.re / absRho;  // d|rho|/dk
    const double phasePrime = rhoBarRhoPrime.im / R;        // d(arg rho)/dk
    const Complex F = {f.re * f.re - f.im * f.im, 2 * f.re * f.im};
    for (std::size_t j = 0; j < L; ++j) {
        const double zeta = -c.beta[slotOfLayer(j).material];  // d(-i delta_j)/d(d_j) = i zeta
        const Complex a = t.rows[j].a, b = t.rows[j].b;
        const Complex m1 = gt.mixed[j].a, m2 = gt.mixed[j].b;
        const Complex cc = gt.backward[j + 1].a, tt = gt.backward[j + 1].b;
        const Complex cp = gt.backwardDerivative[j + 1].a, tp = gt.backwardDerivative[j + 1].b;

        const Complex df = mulImaginary(zeta, meet(cc, a, tt, b));
        const Complex de = mulImaginary(zeta, meet(cc, b, tt, a));
        const Complex dfp = add(add(mulImaginary(zeta, meet(cp, a, tp, b)), mul(cc, m1)),
                                conj(mul(tt, m2)));
        const Complex dep = add(add(mulImaginary(zeta, meet(cp, b, tp, a)), mul(cc, m2)),
                                conj(mul(tt, m1)));

        const Complex dRho = divide(neg(add(mul(r.rho, df), de)), f);
        const Complex inner = sub(scale(2, mul(df, fp)), mul(f, dfp));
        const Complex dRhoPrime =
            divide(sub(add(add(mul(r.rho, inner), mul(df, ep)), mul(fp, de)), mul(f, dep)), F);

        const Complex rhoBarDRho = mul(rhoBar, dRho);
        const double dAbsRho = rhoBarDRho.re / absRho;
        const double dPhase = rhoBarDRho.im / R;
        if (dR) dR[j] = 2 * absRho * dAbsRho;
        if (dGD) {
            const double dPhasePrime = mul(rhoBar, dRhoPrime).im / R -
                                       (dAbsRho * phasePrime + dPhase * absRhoPrime) / absRho;
            dGD[j] = dPhasePrime / SPEED_OF_LIGHT;
        }
    }
    return out;
}

void gradientOverGrid(const StackGrid& grid, Polarization pol, LayerTables& t, GradientTables& gt,
                      double* R, double* GD, double* dR, double* dGD)
{
    const TableWalkSetup setup = tableWalkSetup(grid);
    if (grid.L == 0) {
        bareSubstrateOverGrid(grid, pol, setup.tau, R, GD);
        return;
    }
    const double* n = grid.n;
    const double* np = grid.nPrime;
    for (std::size_t i = 0; i < grid.K; ++i, n += 3, np += 3) {
        const double k = grid.k[i];
        const InterfaceCoefficients c = interfaceCoefficients(
            n[0], n[1], n[2], grid.na, setup.tau, setup.cosTheta, k, pol, setup.exitMaterial);
        const std::size_t column = i * grid.L;
        const ReflectanceAndDelay out =
            delayWithGradient(t, gt, c, phaseRateDerivatives(n, np, c.q, k), grid.d,
                              dR ? dR + column : nullptr, dGD ? dGD + column : nullptr);
        R[i] = out.R;
        if (GD) GD[i] = out.GD;
    }
}
