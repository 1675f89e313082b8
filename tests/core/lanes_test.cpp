// The grid kernels carry two, four or eight wavenumbers side by side. Each lane must get
// what the one-wavenumber walk gives: bit for bit on the portable path (the
// C library's sin and cos), within a few ulp where vector sin and cos are
// used, with NaN in exactly the same places either way, and no lane leaking
// into another (a short last group is padded).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fixtures.h"

namespace {

// Two full groups of four and a padded group of three; or one full group of
// eight and a padded one.
const std::size_t K = 11;

struct GridCase {
    std::vector<double> k, n, np;
    TestStack s;
    StackGrid grid() const
    {
        return {k.data(), K, s.d.data(), s.d.size(), s.na, n.data(), np.data(), s.theta};
    }
};

// Indices that change from wavenumber to wavenumber, with material B unable to
// propagate at wavenumber 5.
GridCase gridCase(std::size_t L)
{
    GridCase g;
    g.s = unevenStack(L, 0.6);
    for (std::size_t i = 0; i < K; ++i) {
        g.k.push_back(6.0 + 0.45 * double(i));
        const double nB = i == 5 ? 0.5 : 1.45 + 0.01 * double(i);
        const double t[3] = {2.3 - 0.02 * double(i), nB, 1.52}, tp[3] = {0.02, 0.004, 0.005};
        g.n.insert(g.n.end(), t, t + 3);
        g.np.insert(g.np.end(), tp, tp + 3);
    }
    return g;
}

struct Reference {
    std::vector<double> R, GD, GDD, dR, dGD;
    std::vector<double> reflectance;  // of the plain product, w (g a + h conj b)
};

// The one-wavenumber walks, wavenumber by wavenumber, in doubles.
Reference scalarReference(const GridCase& g, Polarization pol)
{
    const std::size_t L = g.s.d.size();
    Reference ref;
    LayerTables t(L);
    GradientTables gt(L);
    for (std::size_t i = 0; i < K; ++i) {
        const double* n = &g.n[3 * i];
        const double* np = &g.np[3 * i];
        const double cosTheta = std::cos(g.s.theta);
        const InterfaceCoefficients c = interfaceCoefficients(
            n[0], n[1], n[2], g.s.na, tangentialIndexSquared(g.s.na, g.s.theta), cosTheta, g.k[i],
            pol);
        const PhaseRateDerivatives dc = phaseRateDerivatives(n, np, c.q, g.k[i]);
        ref.reflectance.push_back(reflectanceOf(stackReflectionOf(c, g.s.d.data(), L)));
        const ReflectionSecondDerivativeOf<double> r =
            stackReflectionSecondDerivative(c, dc, g.s.d.data(), L);
        ref.R.push_back(reflectanceOf(r.rho));
        ref.GD.push_back(groupDelayStepwiseOf(r.rho, r.rhoPrime, ref.R.back()));
        ref.GDD.push_back(dispersionOf(r.rho, r.rhoPrime, r.rhoSecond, ref.R.back(), ref.GD.back()));
        if (L == 0) continue;
        const InterfaceCoefficients ce = interfaceCoefficients(
            n[0], n[1], n[2], g.s.na, tangentialIndexSquaredOfProduct(g.s.na, g.s.theta), cosTheta,
            g.k[i], pol, exitMaterialOf(L));
        const std::size_t at = ref.dR.size();
        ref.dR.resize(at + L);
        ref.dGD.resize(at + L);
        delayWithGradient(t, gt, ce, phaseRateDerivatives(n, np, ce.q, g.k[i]), g.s.d.data(), true,
                          [&](std::size_t j, const LayerGradientOf<double>& lg) {
                              ref.dR[at + j] = lg.dR;
                              ref.dGD[at + j] = lg.dGD;
                          });
    }
    return ref;
}

// Equal bit for bit, or within `tolerance` of the largest finite magnitude
// of the reference (a gradient entry near zero inherits the rounding of its
// larger neighbours); NaN exactly where the reference has it.
void expectMatches(const std::vector<double>& got, const std::vector<double>& want,
                   double tolerance, const char* what)
{
    ASSERT_EQ(got.size(), want.size());
    double scale = 1;
    for (double w : want)
        if (std::isfinite(w)) scale = std::fmax(scale, std::fabs(w));
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(std::isnan(got[i]), std::isnan(want[i])) << what << " " << i;
        if (std::isnan(want[i])) continue;
        if (tolerance == 0)
            EXPECT_EQ(got[i], want[i]) << what << " " << i;
        else
            EXPECT_NEAR(got[i], want[i], tolerance * scale) << what << " " << i;
    }
}

void checkPath(KernelPath path, double tolerance)
{
    for (std::size_t L : {0, 1, 2, 5, 9})
        for (Polarization pol : {Polarization::TE, Polarization::TM}) {
            const GridCase g = gridCase(L);
            const StackGrid grid = g.grid();
            const Reference ref = scalarReference(g, pol);
            std::vector<double> R(K), GD(K), GDD(K);
            dispersionOverGrid(grid, pol, R.data(), GD.data(), GDD.data(), path);
            expectMatches(R, ref.R, tolerance, "R");
            expectMatches(GD, ref.GD, tolerance, "GD");
            expectMatches(GDD, ref.GDD, tolerance, "GDD");
            delayOverGrid(grid, pol, R.data(), GD.data(), path);
            expectMatches(R, ref.R, tolerance, "R of the delay walk");
            if (pol == Polarization::TM) {
                reflectanceOverGrid(grid, R.data(), path);
                expectMatches(R, ref.reflectance, tolerance, "R of the reflectance walk");
            }
            if (L == 0) continue;
            std::vector<double> dR(K * L), dGD(K * L);
            gradientOverGrid(grid, pol, R.data(), GD.data(), dR.data(), dGD.data(), path);
            expectMatches(dR, ref.dR, tolerance, "dR");
            expectMatches(dGD, ref.dGD, tolerance, "dGD");
        }
}

TEST(Lanes, PortablePathIsTheOneWavenumberWalkBitForBit) { checkPath(KernelPath::Portable, 0); }

// Vector sin and cos are within a few ulp of the scalar ones. R, GD and GDD
// move by a few parts in 1e15; the thickness gradient of GD, which subtracts
// terms of nearly equal size, by up to a few parts in 1e13 of its largest
// entry. Every vector path this build and processor have (AVX2 and AVX-512 on
// x86-64, NEON on aarch64).
TEST(Lanes, VectorPathsAgreeWithOneWavenumberWalk)
{
    int checked = 0;
    for (KernelPath path : {KernelPath::Avx2, KernelPath::Avx512, KernelPath::Neon}) {
        if (!kernelPathRuns(path)) continue;
        SCOPED_TRACE(kernelPathName(path));
        checkPath(path, 1e-13);
        ++checked;
    }
    if (checked == 0) GTEST_SKIP() << "no vector path in this build or on this processor";
}

}  // namespace
