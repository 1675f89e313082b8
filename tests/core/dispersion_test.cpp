// Group-delay dispersion by second-order forward differentiation.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"

namespace {

const Polarization BOTH[] = {Polarization::TE, Polarization::TM};
const double C2 = SPEED_OF_LIGHT * SPEED_OF_LIGHT;

// Second differences: step 1e-3 rad/um in long double gives a truncation
// near 1e-7 of the curvature and a rounding near 1e-13; 1e-5 relative.
const double CURVATURE_STEP = 1e-3;
const double CURVATURE_TOLERANCE = 1e-5;

TEST(Dispersion, MatchesPhaseDifferencesWithoutDispersion)
{
    for (std::size_t L : {2, 8, 24})
        for (Polarization pol : BOTH) {
            const TestStack s = unevenStack(L, 0.5);
            const double k = 7.6;
            const Outputs out = evaluate(Kernel::Dispersion, s, k, pol);
            auto eta = [&](double n) { return admittance(n, normalIndex(n, s.na, s.theta), pol); };
            const long double closing = L % 2 ? eta(s.nS) * eta(s.nA) / eta(s.nB) : eta(s.nS);
            auto rho = [&](double kk) { return physicalReflection(s, kk, pol, &closing); };
            EXPECT_LT(relativeDifference(out.GD, phaseSlope(rho, k, 1e-5) / SPEED_OF_LIGHT), 1e-7);
            EXPECT_LT(relativeDifference(out.GDD, phaseCurvature(rho, k, CURVATURE_STEP) / C2),
                      CURVATURE_TOLERANCE)
                << "L=" << L;
        }
}

// The phases follow delta_j(k) = k (q + q' (k - k_i)) d_j, the interfaces stay
// frozen at k_i; an odd stack is closed with B to substrate. R is the
// textbook one (1e-13 on R <= 1: the rounding of 40 layer products).
TEST(Dispersion, MaterialDispersionEntersThroughLinearisedLayerPhases)
{
    const IndexSlopes slopes = {0.021, 0.0043, 0.0051};
    const long double layerSlopes[2] = {slopes.nA, slopes.nB};
    for (std::size_t L : {3, 14, 40})
        for (Polarization pol : BOTH) {
            const TestStack s = unevenStack(L, 0.45);
            const double k = 8.2;
            const Outputs out = evaluate(Kernel::Dispersion, s, k, pol, slopes);
            auto eta = [&](double n) { return admittance(n, normalIndex(n, s.na, s.theta), pol); };
            const long double closing = L % 2 ? eta(s.nS) * eta(s.nA) / eta(s.nB) : eta(s.nS);
            auto rho = [&](double kk) {
                return frozenInterfaceReflection(s, kk, k, layerSlopes, pol, &closing);
            };
            EXPECT_NEAR(out.R, double(std::norm(rho(k))), 1e-13) << L;
            EXPECT_LT(relativeDifference(out.GD, phaseSlope(rho, k, 1e-5) / SPEED_OF_LIGHT), 1e-7)
                << L;
            EXPECT_LT(relativeDifference(out.GDD, phaseCurvature(rho, k, CURVATURE_STEP) / C2),
                      CURVATURE_TOLERANCE)
                << L;
        }
}

TEST(Dispersion, NormalIncidenceTEAndTMAgreeAndSubstrateSlopeDoesNothing)
{
    const TestStack s = unevenStack(13, 0.0);
    IndexSlopes slopes = {0.02, 0.004, 0.0};
    const Outputs te = evaluate(Kernel::Dispersion, s, 8.1, Polarization::TE, slopes);
    const Outputs tm = evaluate(Kernel::Dispersion, s, 8.1, Polarization::TM, slopes);
    // TM's admittance ratios are the reciprocals of TE's: equal up to rounding.
    EXPECT_NEAR(te.R, tm.R, 1e-14);
    EXPECT_NEAR(te.GD, tm.GD, 1e-13 * std::fabs(te.GD));
    EXPECT_NEAR(te.GDD, tm.GDD, 1e-12 * std::fabs(te.GDD));
    slopes.nS = 0.3;
    const Outputs moved = evaluate(Kernel::Dispersion, s, 8.1, Polarization::TE, slopes);
    EXPECT_EQ(moved.R, te.R);
    EXPECT_EQ(moved.GD, te.GD);
    EXPECT_EQ(moved.GDD, te.GDD);
}

TEST(Dispersion, NoLayersAndNoReflection)
{
    const TestStack bare = {2.3, 1.45, 1.9, 1.0, 0.3, {}};
    const Outputs out = evaluate(Kernel::Dispersion, bare, 7.0, Polarization::TM);
    EXPECT_EQ(out.GD, 0.0);
    EXPECT_EQ(out.GDD, 0.0);
    const TestStack matched = {2.3, 1.45, 1.45, 1.0, 0.3, {}};
    const Outputs none = evaluate(Kernel::Dispersion, matched, 7.0, Polarization::TE);
    EXPECT_EQ(none.R, 0.0);
    EXPECT_TRUE(std::isnan(none.GD));
    EXPECT_TRUE(std::isnan(none.GDD));
}

// One layer of A with n_B = n_A: the slot-3 closing is then the physical
// A-to-substrate interface, and rho is the two-interface (Airy) formula
// s (a + b z)/(1 + a b z), z = exp(2 i q_A k d), whose k-derivatives are
// closed-form.
TEST(Dispersion, SingleLayerMatchesAiryFormula)
{
    for (double theta : {0.0, 0.8})
        for (Polarization pol : BOTH) {
            const double nA = 2.1, nS = 1.5, na = 1.0, d = 0.31, k = 6.3;
            const TestStack s = {nA, nA, nS, na, theta, {d}};
            const Outputs out = evaluate(Kernel::Dispersion, s, k, pol);

            const long double q = normalIndex(nA, na, theta);
            const long double etaA = admittance(nA, q, pol);
            const long double etaAmb = admittance(na, na * std::cos((long double)theta), pol);
            const long double etaS = admittance(nS, normalIndex(nS, na, theta), pol);
            const long double a = (etaAmb - etaA) / (etaAmb + etaA);
            const long double b = (etaA - etaS) / (etaA + etaS);
            const LComplex i(0, 1);
            const LComplex z = std::exp(2.0L * i * q * (long double)k * (long double)d);
            const LComplex dz = 2.0L * i * q * (long double)d;  // z'/z
            const LComplex den = 1.0L + a * b * z;
            const LComplex r = (a + b * z) / den;
            const LComplex r1 = b * (1 - a * a) * dz * z / (den * den);
            const LComplex r2 = r1 * (dz - 2.0L * a * b * dz * z / den);
            const double gd = double(std::imag(r1 / r)) / SPEED_OF_LIGHT;
            const double gdd = double(std::imag(r2 / r - (r1 / r) * (r1 / r))) / C2;
            const double R = double(std::norm(r));
            EXPECT_NEAR(out.R, R, 1e-15);
            EXPECT_LT(relativeDifference(out.GD, gd), 1e-13);
            EXPECT_LT(relativeDifference(out.GDD, gdd), 1e-12);
        }
}

}  // namespace
