// Reflection coefficient of the compact lossless product.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fixtures.h"

namespace {

const double PI = 3.14159265358979323846;

Complex rhoOf(const TestStack& s, double k, Polarization pol)
{
    const double tau = tangentialIndexSquared(s.na, s.theta);
    return stackReflection(k, s.nA, s.nB, s.nS, s.d.data(), s.d.size(), s.na, tau,
                           std::cos(s.theta), pol);
}

TEST(SlotOfLayer, AmbientInterfaceFirstThenAlternating)
{
    EXPECT_EQ(slotOfLayer(0).slot, SLOT_AMBIENT_A);
    EXPECT_EQ(slotOfLayer(0).material, MATERIAL_A);
    for (std::size_t j = 1; j < 9; ++j) {
        EXPECT_EQ(slotOfLayer(j).slot, j % 2 ? SLOT_A_B : SLOT_B_A);
        EXPECT_EQ(slotOfLayer(j).material, j % 2 ? MATERIAL_B : MATERIAL_A);
    }
}

// At normal incidence N quarter-wave pairs on n_S reflect
// rho = (Y - n_a)/(Y + n_a), Y = (n_A/n_B)^(2N) n_S, in TM; TE has the
// opposite sign. 1e-13: the product of 2N layer matrices rounds a few ulp.
TEST(StackReflection, QuarterWaveStackMatchesClosedForm)
{
    const double k = 2 * PI / 0.8;
    for (int pairs : {1, 3, 8}) {
        TestStack s = {2.3, 1.45, 1.52, 1.0, 0.0, {}};
        for (int p = 0; p < pairs; ++p) {
            s.d.push_back(PI / 2 / (k * s.nA));
            s.d.push_back(PI / 2 / (k * s.nB));
        }
        const double Y = std::pow(s.nA / s.nB, 2 * pairs) * s.nS;
        const double expected = (Y - s.na) / (Y + s.na);
        const Complex tm = rhoOf(s, k, Polarization::TM);
        const Complex te = rhoOf(s, k, Polarization::TE);
        EXPECT_NEAR(tm.re, expected, 1e-13) << pairs << " pairs";
        EXPECT_NEAR(tm.im, 0.0, 1e-13);
        EXPECT_NEAR(te.re, -expected, 1e-13);
        EXPECT_NEAR(te.im, 0.0, 1e-13);
    }
}

// Without layers only the B-to-substrate interface is evaluated, and
// material A plays no part (an evanescent A leaves rho finite).
TEST(StackReflection, NoLayersIsTheBToSubstrateInterfaceAlone)
{
    for (Polarization pol : {Polarization::TE, Polarization::TM}) {
        const TestStack s = {0.3, 1.45, 1.9, 1.0, 0.6, {}};
        const InterfaceCoefficients c = interfaceCoefficients(
            s.nA, s.nB, s.nS, s.na, tangentialIndexSquared(s.na, s.theta), std::cos(s.theta), 5.0,
            pol);
        const double m3 = c.m[SLOT_EXIT];
        const Complex rho = rhoOf(s, 5.0, pol);
        EXPECT_DOUBLE_EQ(rho.re, -(1 - m3) / (1 + m3));
        EXPECT_EQ(rho.im, 0.0);
        EXPECT_TRUE(std::isnan(c.q[MATERIAL_A]));
    }
}

// At normal incidence every m is exactly 1 and rho exactly 0; at oblique
// incidence n_a cos(theta) and sqrt(n^2 - tau) differ by an ulp or so.
TEST(StackReflection, EqualIndicesReflectNothing)
{
    for (double theta : {0.0, 0.4, 1.2}) {
        TestStack s = unevenStack(9, theta);
        s.nA = s.nB = s.nS = s.na = 1.7;
        const double tolerance = theta == 0 ? 0.0 : 1e-15;
        for (Polarization pol : {Polarization::TE, Polarization::TM}) {
            const Complex rho = rhoOf(s, 7.3, pol);
            EXPECT_LE(std::fabs(rho.re), tolerance) << theta;
            EXPECT_LE(std::fabs(rho.im), tolerance) << theta;
        }
    }
}

TEST(StackReflection, NormalIncidenceTEIsMinusTM)
{
    const TestStack s = unevenStack(11, 0.0);
    const Complex te = rhoOf(s, 6.1, Polarization::TE);
    const Complex tm = rhoOf(s, 6.1, Polarization::TM);
    EXPECT_NEAR(te.re, -tm.re, 1e-15);
    EXPECT_NEAR(te.im, -tm.im, 1e-15);
}

// For an even L the compact product is the textbook characteristic-matrix
// method: rho = conj(r) (TE) or -conj(r) (TM). 1e-13 absolute on |rho| <= 1
// leaves room for the rounding of 40 layer products.
TEST(StackReflection, EvenStackMatchesTextbookMethod)
{
    for (std::size_t L : {2, 10, 40})
        for (double theta : {0.0, 0.7})
            for (Polarization pol : {Polarization::TE, Polarization::TM})
                for (double k : {5.0, 7.9, 11.3}) {
                    const TestStack s = unevenStack(L, theta);
                    const Complex rho = rhoOf(s, k, pol);
                    const Complex ref = toComplex(physicalReflection(s, k, pol));
                    EXPECT_NEAR(rho.re, ref.re, 1e-13) << "L=" << L << " k=" << k;
                    EXPECT_NEAR(rho.im, ref.im, 1e-13) << "L=" << L << " k=" << k;
                }
}

// For an odd L the B-to-substrate coefficients close the stack behind an A
// layer: as if the substrate's admittance were eta_S eta_A / eta_B, which is
// not the physical stack.
TEST(StackReflection, OddStackIsClosedWithBToSubstrate)
{
    for (Polarization pol : {Polarization::TE, Polarization::TM}) {
        const TestStack s = unevenStack(7, 0.5);
        auto eta = [&](double n) { return admittance(n, normalIndex(n, s.na, s.theta), pol); };
        const long double closing = eta(s.nS) * eta(s.nA) / eta(s.nB);
        const Complex rho = rhoOf(s, 8.0, pol);
        const Complex ref = toComplex(physicalReflection(s, 8.0, pol, &closing));
        EXPECT_NEAR(rho.re, ref.re, 1e-13);
        EXPECT_NEAR(rho.im, ref.im, 1e-13);
        const Complex physical = toComplex(physicalReflection(s, 8.0, pol));
        EXPECT_GT(std::fabs(norm2(rho) - norm2(physical)), 1e-3);
    }
}

// A material that cannot propagate at one wavenumber spoils that
// wavenumber only; the loop goes on.
TEST(ReflectanceOverGrid, EvanescentMaterialGivesNaNAtThatWavenumberOnly)
{
    const TestStack s = unevenStack(6, 0.9);
    const double k[3] = {6.0, 7.0, 8.0};
    const double n[9] = {2.3, 1.45, 1.52, 2.3, 0.5, 1.52, 2.3, 1.45, 1.52};
    const StackGrid grid = {k, 3, s.d.data(), s.d.size(), s.na, n, nullptr, s.theta};
    double R[3];
    reflectanceOverGrid(grid, R);
    EXPECT_TRUE(std::isfinite(R[0]));
    EXPECT_TRUE(std::isnan(R[1]));
    EXPECT_TRUE(std::isfinite(R[2]));
    EXPECT_NEAR(R[0], reflectanceOf(rhoOf(s, 6.0, Polarization::TM)), 1e-14);
}

// Values of no physical stack still keep IEEE semantics: a zero normal index
// gives infinities and NaN, never a trap.
TEST(ComplexHelpers, ProductAndQuotientAreTheTextbookFormulas)
{
    const Complex x = {1.5, -2.0}, y = {0.25, 4.0};
    const Complex p = x * y;
    EXPECT_EQ(p.re, 1.5 * 0.25 - (-2.0) * 4.0);
    EXPECT_EQ(p.im, 1.5 * 4.0 + (-2.0) * 0.25);
    const Complex q = p / y;
    EXPECT_NEAR(q.re, x.re, 1e-15);
    EXPECT_NEAR(q.im, x.im, 1e-15);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(modulus({inf, std::nan("")}), inf);
    EXPECT_TRUE(std::isnan((Complex{1, 0} / Complex{0, 0}).re));
}

}  // namespace
