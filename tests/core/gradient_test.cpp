// Thickness gradients of R and GD from the forward and backward sweeps.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"

namespace {

const Polarization BOTH[] = {Polarization::TE, Polarization::TM};

// The module's own R and GD over a grid of K = 5 wavenumbers (a full lane
// group and a short one, or one short group) with index slopes that differ
// per wavenumber, differenced in d_j with step h; compared on the scale of
// the largest entry of the wavenumber's gradient (of dR at least 1/um: a
// mirror's R is 1 to the last digit and its dR noise).
void expectGradientsMatchDifferences(const TestStack& s, const std::vector<double>& k,
                                     Polarization pol, double h, double tolerance)
{
    const std::size_t K = k.size(), L = s.d.size();
    std::vector<double> n;
    for (std::size_t i = 0; i < K; ++i) n.insert(n.end(), {s.nA, s.nB, s.nS});
    const std::vector<double> np = slopeColumns(K);
    auto run = [&](const std::vector<double>& d, double* R, double* GD, double* dR, double* dGD) {
        const StackGrid grid = {k.data(), K, d.data(), L, s.na, n.data(), np.data(), s.theta};
        gradientOverGrid(grid, pol, R, GD, dR, dGD);
    };
    std::vector<double> R(K), GD(K), dR(L * K), dGD(L * K), Ru(K), GDu(K), Rd(K), GDd(K);
    run(s.d, R.data(), GD.data(), dR.data(), dGD.data());
    for (std::size_t j = 0; j < L; j += L > 12 && j >= 5 ? L / 7 : 1) {
        std::vector<double> up = s.d, down = s.d;
        up[j] += h;
        down[j] -= h;
        run(up, Ru.data(), GDu.data(), nullptr, nullptr);
        run(down, Rd.data(), GDd.data(), nullptr, nullptr);
        for (std::size_t i = 0; i < K; ++i) {
            double scaleR = 1, scaleGD = 0;
            for (std::size_t m = 0; m < L; ++m) {
                scaleR = std::fmax(scaleR, std::fabs(dR[m + L * i]));
                scaleGD = std::fmax(scaleGD, std::fabs(dGD[m + L * i]));
            }
            EXPECT_NEAR(dR[j + L * i], (Ru[i] - Rd[i]) / (2 * h), tolerance * scaleR)
                << "layer " << j << " of " << L << ", k=" << k[i];
            EXPECT_NEAR(dGD[j + L * i], (GDu[i] - GDd[i]) / (2 * h), tolerance * scaleGD)
                << "layer " << j << " of " << L << ", k=" << k[i];
        }
    }
}

// Step 1e-6 um: truncation near 1e-10 of the derivative, rounding of GD
// (about 1e-15 relative) over 2e-6 near 1e-9 (seen: 5e-9 of the largest
// entry); 1e-6.
// The 320-layer mirror, whose rows pass 2^64 at every wavenumber (so the
// gradients are formed from rescaled rows), loses about 1e-9 of GD to
// rounding: step 1e-4 um (seen: 5e-6 of the largest entry, the
// truncation); 1e-4. Its first layers carry the gradient (the field decays
// into the mirror), so they are all checked, the rest sampled.
TEST(Gradient, MatchesCentralDifferencesAlsoWhereRowsPass2To64)
{
    const std::vector<double> k = {6.9, 7.25, 7.5, 7.8, 8.05};
    for (Polarization pol : BOTH) {
        for (std::size_t L : {1, 2, 5, 12})
            expectGradientsMatchDifferences(unevenStack(L, 0.55), k, pol, 1e-6, 1e-6);
        const TestStack mirror = mirrorStack(320, 7.5, 0.3);
        for (double kk : k) ASSERT_LT(transmittanceOf(mirror, kk, pol), 0x1p-140) << kk;
        expectGradientsMatchDifferences(mirror, k, pol, 1e-4, 1e-4);
    }
}

// R and GD are those of the physical stack (closed by its last layer's own
// interface) with the index slopes in the layer phases alone, the
// interfaces frozen at k, as coatdelay's: the textbook matrices in long
// double, differenced with step 1e-5 rad/um (truncation near 1e-9 of the
// slope, rounding near 1e-13); 1e-7.
TEST(Gradient, ReflectanceAndDelayAreThoseOfThePhysicalStack)
{
    const IndexSlopes slopes = {0.02, 0.004, 0.01};
    const long double layerSlopes[2] = {slopes.nA, slopes.nB};
    const double k = 8.8;
    for (std::size_t L : {1, 2, 7, 40})
        for (Polarization pol : BOTH) {
            const TestStack s = unevenStack(L, 0.35);
            const Outputs grad = evaluate(Kernel::Gradient, s, k, pol, slopes);
            auto rho = [&](double kk) {
                return frozenInterfaceReflection(s, kk, k, layerSlopes, pol);
            };
            EXPECT_NEAR(grad.R, double(std::norm(rho(k))), 1e-13) << L;
            EXPECT_LT(relativeDifference(grad.GD, phaseSlope(rho, k, 1e-5) / SPEED_OF_LIGHT), 1e-7)
                << L;
        }
}

// A layer thinned to nothing keeps its true gradient: compare with a
// one-sided difference (a thickness cannot go below zero).
TEST(Gradient, ZeroThicknessLayerHasFiniteGradient)
{
    for (Polarization pol : BOTH) {
        TestStack s = unevenStack(6, 0.4);
        s.d[3] = 0;
        const Outputs out = evaluate(Kernel::Gradient, s, 7.9, pol, {0.02, 0.004, 0});
        ASSERT_TRUE(std::isfinite(out.dGD[3]));
        TestStack up = s;
        const double h = 1e-7;
        up.d[3] = h;
        const Outputs plus = evaluate(Kernel::Gradient, up, 7.9, pol, {0.02, 0.004, 0});
        // A forward difference errs by h/2 times the second derivative.
        EXPECT_NEAR(out.dR[3], (plus.R - out.R) / h, 1e-5 * (1 + std::fabs(out.dR[3])));
        EXPECT_NEAR(out.dGD[3], (plus.GD - out.GD) / h, 1e-4 * (1 + std::fabs(out.dGD[3])));
        for (std::size_t j = 0; j < s.d.size(); ++j) EXPECT_TRUE(std::isfinite(out.dGD[j]));
    }
}

TEST(Gradient, NormalIncidenceTEAndTMAgree)
{
    const TestStack s = unevenStack(9, 0.0);
    const Outputs te = evaluate(Kernel::Gradient, s, 7.2, Polarization::TE);
    const Outputs tm = evaluate(Kernel::Gradient, s, 7.2, Polarization::TM);
    for (std::size_t j = 0; j < s.d.size(); ++j) {
        EXPECT_NEAR(te.dR[j], tm.dR[j], 1e-12 * (1 + std::fabs(te.dR[j])));
        EXPECT_NEAR(te.dGD[j], tm.dGD[j], 1e-11 * (1 + std::fabs(te.dGD[j])));
    }
}

// Without a reflection the phase is undefined: every gradient entry is NaN.
TEST(Gradient, NoReflectionGivesNaN)
{
    TestStack s = unevenStack(4, 0.0);
    s.nA = s.nB = s.nS = s.na;
    const Outputs out = evaluate(Kernel::Gradient, s, 7.0, Polarization::TE);
    EXPECT_EQ(out.R, 0.0);
    for (std::size_t j = 0; j < s.d.size(); ++j) EXPECT_TRUE(std::isnan(out.dGD[j]));
}

}  // namespace
