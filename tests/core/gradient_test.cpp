// Thickness gradients of R and GD from the forward and backward sweeps.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"

namespace {

const Polarization BOTH[] = {Polarization::TE, Polarization::TM};

// Central differences in d_j of step 1e-6 um: truncation near 1e-10 of the
// derivative, rounding of GD (about 1e-15 relative) over 2e-6 near 1e-9;
// compared on the scale of the largest entry of the gradient.
const double H = 1e-6;

void expectGradientsMatchDifferences(const TestStack& s, double k, Polarization pol,
                                     IndexSlopes slopes)
{
    const Outputs out = evaluate(Kernel::Gradient, s, k, pol, slopes);
    double scaleR = 0, scaleGD = 0;
    for (std::size_t j = 0; j < s.d.size(); ++j) {
        scaleR = std::fmax(scaleR, std::fabs(out.dR[j]));
        scaleGD = std::fmax(scaleGD, std::fabs(out.dGD[j]));
    }
    for (std::size_t j = 0; j < s.d.size(); ++j) {
        TestStack up = s, down = s;
        up.d[j] += H;
        down.d[j] -= H;
        const Outputs plus = evaluate(Kernel::Tables, up, k, pol, slopes);
        const Outputs minus = evaluate(Kernel::Tables, down, k, pol, slopes);
        EXPECT_NEAR(out.dR[j], (plus.R - minus.R) / (2 * H), 1e-7 * scaleR)
            << "layer " << j << " of " << s.d.size();
        EXPECT_NEAR(out.dGD[j], (plus.GD - minus.GD) / (2 * H), 1e-6 * scaleGD)
            << "layer " << j << " of " << s.d.size();
    }
}

TEST(Gradient, MatchesCentralDifferences)
{
    const IndexSlopes slopes = {0.021, 0.0043, 0.0051};
    for (std::size_t L : {1, 2, 5, 12})
        for (Polarization pol : BOTH)
            expectGradientsMatchDifferences(unevenStack(L, 0.55), 7.3, pol, slopes);
}

// Outputs 1 and 2 are the table walk's own numbers.
TEST(Gradient, ReflectanceAndDelayAreThoseOfTheTableWalk)
{
    const IndexSlopes slopes = {0.02, 0.004, 0.01};
    for (std::size_t L : {1, 2, 7, 40})
        for (Polarization pol : BOTH) {
            const TestStack s = unevenStack(L, 0.35);
            const Outputs grad = evaluate(Kernel::Gradient, s, 8.8, pol, slopes);
            const Outputs tables = evaluate(Kernel::Tables, s, 8.8, pol, slopes);
            EXPECT_EQ(grad.R, tables.R) << L;
            EXPECT_EQ(grad.GD, tables.GD) << L;
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
        const Outputs plus = evaluate(Kernel::Tables, up, 7.9, pol, {0.02, 0.004, 0});
        const Outputs base = evaluate(Kernel::Tables, s, 7.9, pol, {0.02, 0.004, 0});
        // A forward difference errs by h/2 times the second derivative.
        EXPECT_NEAR(out.dR[3], (plus.R - base.R) / h, 1e-5 * (1 + std::fabs(out.dR[3])));
        EXPECT_NEAR(out.dGD[3], (plus.GD - base.GD) / h, 1e-4 * (1 + std::fabs(out.dGD[3])));
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
