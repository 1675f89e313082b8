// Group delay by forward differentiation, plain and through the layer tables.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"

namespace {

const Polarization BOTH[] = {Polarization::TE, Polarization::TM};

// Central differences of step 1e-5 rad/um in long double: truncation near
// 1e-9 of the slope even by a sharp resonance of a 30-layer stack, rounding
// near 1e-13; 1e-7 relative leaves room for both.
const double STEP = 1e-5;
const double SLOPE_TOLERANCE = 1e-7;

// With no material dispersion GD is the exact derivative of the phase, and R
// the textbook one (1e-13 on R <= 1: the rounding of 30 layer products).
TEST(GroupDelay, MatchesPhaseDifferenceWithoutDispersion)
{
    for (std::size_t L : {2, 7, 30})
        for (Polarization pol : BOTH)
            for (double k : {6.2, 9.7}) {
                const TestStack s = unevenStack(L, 0.6);
                const Outputs out = evaluate(Kernel::Delay, s, k, pol);
                const double gd = out.GD;
                // The slot-3 closing of an odd stack: the substrate seen as
                // eta_S eta_A / eta_B.
                auto eta = [&](double n) {
                    return admittance(n, normalIndex(n, s.na, s.theta), pol);
                };
                const long double closing =
                    L % 2 ? eta(s.nS) * eta(s.nA) / eta(s.nB) : eta(s.nS);
                const double ref = phaseSlope(
                    [&](double kk) { return physicalReflection(s, kk, pol, &closing); }, k, STEP);
                EXPECT_NEAR(out.R, double(std::norm(physicalReflection(s, k, pol, &closing))),
                            1e-13)
                    << "L=" << L << " k=" << k;
                EXPECT_LT(relativeDifference(gd, ref / SPEED_OF_LIGHT), SLOPE_TOLERANCE)
                    << "L=" << L << " k=" << k;
            }
}

// Dispersion acts through the layer phases alone: GD is the slope of the
// phase with n(k) = n + (k - k_i) n' in the phases and the interfaces frozen,
// and not the slope with the interfaces following n(k) as well.
TEST(GroupDelay, MaterialDispersionEntersThroughLayerPhasesOnly)
{
    const IndexSlopes slopes = {0.021, 0.0043, 0.0051};
    const long double layerSlopes[2] = {slopes.nA, slopes.nB};
    for (Polarization pol : BOTH) {
        const TestStack s = unevenStack(12, 0.4);
        const double k = 7.4;
        const double gd = evaluate(Kernel::Delay, s, k, pol, slopes).GD;
        const double frozen = phaseSlope(
            [&](double kk) { return frozenInterfaceReflection(s, kk, k, layerSlopes, pol); }, k,
            STEP);
        EXPECT_LT(relativeDifference(gd, frozen / SPEED_OF_LIGHT), SLOPE_TOLERANCE);

        const double full = phaseSlope(
            [&](double kk) {
                TestStack moved = s;
                moved.nA += (kk - k) * slopes.nA;
                moved.nB += (kk - k) * slopes.nB;
                moved.nS += (kk - k) * slopes.nS;
                return physicalReflection(moved, kk, pol);
            },
            k, STEP);
        EXPECT_GT(relativeDifference(gd, full / SPEED_OF_LIGHT), 1e-4);
    }
}

TEST(GroupDelay, NormalIncidenceTEAndTMAgree)
{
    const TestStack s = unevenStack(15, 0.0);
    const IndexSlopes slopes = {0.02, 0.004, 0.0};
    const Outputs te = evaluate(Kernel::Delay, s, 8.1, Polarization::TE, slopes);
    const Outputs tm = evaluate(Kernel::Delay, s, 8.1, Polarization::TM, slopes);
    // TM's admittance ratios are the reciprocals of TE's: equal up to rounding.
    EXPECT_NEAR(te.R, tm.R, 1e-14);
    EXPECT_NEAR(te.GD, tm.GD, 1e-13 * std::fabs(te.GD));
}

// No layers: rho' = 0, so GD = 0; no reflection at all: GD = 0/0.
TEST(GroupDelay, NoLayersGiveZeroAndNoReflectionGivesNaN)
{
    const TestStack bare = {2.3, 1.45, 1.9, 1.0, 0.3, {}};
    EXPECT_EQ(evaluate(Kernel::Delay, bare, 7.0, Polarization::TE).GD, 0.0);
    TestStack matched = unevenStack(4, 0.0);
    matched.nA = matched.nB = matched.nS = matched.na;
    const Outputs out = evaluate(Kernel::Delay, matched, 7.0, Polarization::TM);
    EXPECT_EQ(out.R, 0.0);
    EXPECT_TRUE(std::isnan(out.GD));
}

// The table walk closes every stack physically (an odd one with A to
// substrate), with the index slopes in the layer phases alone.
TEST(TableWalk, IsThePhysicalStackWithSlopesInThePhasesOnly)
{
    const IndexSlopes slopes = {0.02, 0.004, 0.01};
    const long double layerSlopes[2] = {slopes.nA, slopes.nB};
    const double k = 8.3;
    for (std::size_t L : {1, 2, 7, 16, 21, 60})
        for (Polarization pol : BOTH) {
            const TestStack s = unevenStack(L, 0.6);
            const Outputs out = evaluate(Kernel::Tables, s, k, pol, slopes);
            auto rho = [&](double kk) {
                return frozenInterfaceReflection(s, kk, k, layerSlopes, pol);
            };
            EXPECT_NEAR(out.R, double(std::norm(rho(k))), 1e-13) << L;
            EXPECT_LT(relativeDifference(out.GD, phaseSlope(rho, k, STEP) / SPEED_OF_LIGHT),
                      SLOPE_TOLERANCE)
                << L;
        }
}

// No layers is the bare substrate, the limit of layers thinned to nothing.
TEST(TableWalk, NoLayersIsTheBareSubstrate)
{
    for (Polarization pol : BOTH)
        for (std::size_t L : {1, 2, 5}) {
            TestStack thin = unevenStack(L, 0.7);
            for (double& d : thin.d) d = 0;
            TestStack bare = thin;
            bare.d.clear();
            const Outputs none = evaluate(Kernel::Tables, bare, 6.0, pol);
            const Outputs zero = evaluate(Kernel::Tables, thin, 6.0, pol);
            EXPECT_NEAR(none.R, zero.R, 1e-15);
            EXPECT_EQ(none.GD, 0.0);
            const LComplex ref = physicalReflection(bare, 6.0, pol);
            EXPECT_NEAR(none.R, double(std::norm(ref)), 1e-15);
        }
}

}  // namespace
