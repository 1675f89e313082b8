// Numerical robustness of the grid kernels at the edges of their use: stacks
// of 2000 layers up to 50 um thick, wavenumbers over three decades, grazing
// incidence, materials at the edge of propagation, and no reflection at all.
// And the accuracy of the compact lossless product on long stacks, against
// the textbook characteristic matrices in arithmetic wider than double.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "double_double.h"
#include "fixtures.h"
#include "platform/threads.h"

namespace {

const Polarization BOTH[] = {Polarization::TE, Polarization::TM};
const double PI = 3.14159265358979323846;

struct GridOutputs {
    std::vector<double> R, GD, GDD, dR, dGD;
};

// One kernel over a grid, with the triples n (3K) and slopes np (3K).
GridOutputs runGrid(Kernel kernel, const TestStack& s, const std::vector<double>& k,
                    const std::vector<double>& n, const std::vector<double>& np,
                    Polarization pol)
{
    const std::size_t K = k.size(), L = s.d.size();
    const StackGrid grid = {k.data(), K, s.d.data(), L, s.na, n.data(), np.data(), s.theta};
    GridOutputs out = {std::vector<double>(K), std::vector<double>(K), std::vector<double>(K),
                       std::vector<double>(L * K), std::vector<double>(L * K)};
    switch (kernel) {
    case Kernel::Reflectance:
        reflectanceOverGrid(grid, out.R.data());
        break;
    case Kernel::Delay:
        delayOverGrid(grid, pol, out.R.data(), out.GD.data());
        break;
    case Kernel::Tables:
        physicalClosingDelayOverGrid(grid, pol, out.R.data(), out.GD.data());
        break;
    case Kernel::Dispersion:
        dispersionOverGrid(grid, pol, out.R.data(), out.GD.data(), out.GDD.data());
        break;
    case Kernel::Gradient:
        gradientOverGrid(grid, pol, out.R.data(), out.GD.data(), out.dR.data(), out.dGD.data());
        break;
    }
    return out;
}

std::vector<double> triples(const TestStack& s, std::size_t K)
{
    std::vector<double> n;
    for (std::size_t i = 0; i < K; ++i) n.insert(n.end(), {s.nA, s.nB, s.nS});
    return n;
}

// K wavenumbers spaced evenly in log from lo to hi.
std::vector<double> logGrid(double lo, double hi, std::size_t K)
{
    std::vector<double> k(K);
    for (std::size_t i = 0; i < K; ++i)
        k[i] = lo * std::pow(hi / lo, double(i) / double(K - 1));
    return k;
}

const Kernel ALL_KERNELS[] = {Kernel::Reflectance, Kernel::Delay, Kernel::Tables,
                              Kernel::Dispersion, Kernel::Gradient};

bool hasDelay(Kernel kernel) { return kernel != Kernel::Reflectance; }

const char* nameOf(Kernel kernel)
{
    switch (kernel) {
    case Kernel::Reflectance: return "reflectance";
    case Kernel::Delay: return "delay";
    case Kernel::Tables: return "tables";
    case Kernel::Dispersion: return "dispersion";
    case Kernel::Gradient: return "gradient";
    }
    return "?";
}

// The reference's arithmetic: long double where it is wider than double
// (80-bit on x86-64, 128-bit on aarch64 Linux), double-double (about 106
// bits) where it is not (Apple silicon, MSVC).
using WideReal = std::conditional_t<(std::numeric_limits<long double>::digits > 53), long double,
                                    DoubleDouble>;
inline void sinCos(long double x, long double* s, long double* c)
{
    *s = std::sin(x);
    *c = std::cos(x);
}
inline double leading(long double x) { return double(x); }
inline double leading(const DoubleDouble& x) { return x.hi; }

// R and GD of the physical stack in the arithmetic Real, rounded to double at
// the end: the textbook matrices M_j = [[cos, i sin/eta], [i eta sin, cos]]
// and their k-derivatives delta_j' [[-sin, i cos/eta], [i eta cos, -sin]],
// with the admittances frozen at k and delta_j' = (q + q' k) d_j,
// q' = n' n / q.
struct WideDelay {
    double R, GD;
};
template <class Real = WideReal>
WideDelay textbookDelay(const TestStack& s, double k, Polarization pol, IndexSlopes slopes = {})
{
    using std::sqrt;
    using RC = ComplexOf<Real>;
    Real sinTheta, cosTheta;
    sinCos(Real(s.theta), &sinTheta, &cosTheta);
    const Real tangential = Real(s.na) * sinTheta;
    auto normal = [&](double n) { return sqrt(Real(n) * n - tangential * tangential); };
    auto eta = [&](double n, const Real& q) {
        return pol == Polarization::TE ? q : Real(n) * n / q;
    };
    const Real etaA = eta(s.na, Real(s.na) * cosTheta);
    // Per material: normal index q, admittance, 1/admittance, delta'/d.
    struct Material {
        Real q, eta, inverseEta, rate;
    } materials[2];
    const double n[2] = {s.nA, s.nB}, np[2] = {slopes.nA, slopes.nB};
    for (int x = 0; x < 2; ++x) {
        const Real q = normal(n[x]), e = eta(n[x], q);
        materials[x] = {q, e, Real(1.0) / e, q + Real(np[x]) * n[x] / q * k};
    }
    RC B = {Real(1.0), Real(0.0)}, C = {eta(s.nS, normal(s.nS)), Real(0.0)};
    RC dB = {Real(0.0), Real(0.0)}, dC = dB;
    for (std::size_t j = s.d.size(); j-- > 0;) {
        const Material& m = materials[j % 2];
        const Real deltaPrime = m.rate * s.d[j];
        Real sn, c;
        sinCos(Real(k) * m.q * s.d[j], &sn, &c);
        const Real snOverEta = sn * m.inverseEta, cOverEta = c * m.inverseEta;
        const RC nextDB = c * dB + timesI(snOverEta * dC) +
                          deltaPrime * (timesI(cOverEta * C) - sn * B);
        const RC nextDC = timesI((m.eta * sn) * dB) + c * dC +
                          deltaPrime * (timesI((m.eta * c) * B) - sn * C);
        const RC nextB = c * B + timesI(snOverEta * C);
        const RC nextC = timesI((m.eta * sn) * B) + c * C;
        B = nextB, C = nextC, dB = nextDB, dC = nextDC;
        // Long reflecting stacks grow like (n_A/n_B)^(L/2): a common power of
        // two (exact) keeps the squares of the quotients below in the range
        // of double-double.
        if (std::fmax(std::fabs(leading(B.re)), std::fabs(leading(B.im))) > 0x1p64) {
            for (RC* x : {&B, &C, &dB, &dC}) *x = Real(0x1p-64) * *x;
        }
    }
    const RC den = etaA * B + C;
    const RC r = (etaA * B - C) / den;
    const RC rPrime =
        ((Real(2.0) * etaA) * (dB * C - B * dC)) / (den * den);
    // arg(rho) = -arg(r) (+ pi in TM).
    return {double(norm2(r)), -double((rPrime / r).im) / SPEED_OF_LIGHT};
}

// Material dispersion of A, B and the substrate at wavenumber i of a grid's
// slopes np (slopeColumns: dn/dk in um, different at every wavenumber).
IndexSlopes slopesAt(const std::vector<double>& np, std::size_t i)
{
    return {np[3 * i], np[3 * i + 1], np[3 * i + 2]};
}

// Thicknesses of the long stacks: alternating quarter-wave-like layers, or
// layers drawn evenly from 0 to 50 um (seeded, the same every run).
TestStack longStack(std::size_t L, double theta, bool thick)
{
    TestStack s = unevenStack(L, theta);
    if (thick) {
        std::mt19937 draw(20240611);
        for (double& d : s.d) d = 50.0 * (double(draw()) / 4294967296.0);
    }
    return s;
}

const char* polName(Polarization pol) { return pol == Polarization::TE ? "TE" : "TM"; }

struct Worst {
    double error = 0;
    std::string where;
    void see(double e, const std::string& at)
    {
        if (!(e <= error)) error = e, where = at;  // a NaN error is the worst of all
    }
};

// Every kernel that closes this L physically, for the polarizations it takes.
template <class Each>
void forEachPhysicalKernel(std::size_t L, Polarization pol, Each each)
{
    for (Kernel kernel : ALL_KERNELS) {
        const bool slot3 = kernel != Kernel::Tables && kernel != Kernel::Gradient;
        if (L % 2 && slot3) continue;  // slot 3 closes an odd stack unphysically
        if (kernel == Kernel::Reflectance && pol == Polarization::TE) continue;
        each(kernel);
    }
}

// How far the compact product in double is from the exact answer for the same
// (double) inputs, over 0.1 to 100 rad/um, with material dispersion. R stays
// as accurate as the data allows (worst seen: 4e-11 relative; a 1-ulp change
// of every thickness alone moves R by up to 2e-10). GD loses more on long,
// strongly reflecting stacks: there e f' and f e' agree to about 6 digits and
// their difference, which carries the phase slope, keeps only what is left.
// Worst of all are 2000 layers up to 50 um at k = 0.168 rad/um, where R is 1
// to many digits and GD is set by the last digits of the layer sines and
// cosines: changing each of them at random by 1 ulp moves GD there by up to
// 8e-5 relative (100 draws), so what any double evaluation gets depends on
// its sine's roundings (seen: 2e-6 with glibc's and libmvec's, 5e-5 with
// xsimd's), while 1 ulp of any one input moves GD by 1e-13 and the same
// recurrence in long double is good to 1e-9. The bounds leave a factor of 5
// or more over what was seen, or over that spread.
TEST(LongStackAccuracy, CompactProductAgainstWideTextbook)
{
    const std::vector<double> k = logGrid(0.1, 100, 121);
    std::printf("reference in %s\n", std::is_same<WideReal, long double>::value
                                          ? "long double"
                                          : "double-double (long double is no wider than double)");
    // Where long double is wide enough, the double-double reference that other
    // targets use is checked against it: 20 layers up to 50 um, phases to
    // 1e4 rad, where long double's own phase rounding (5e-16 relative) is
    // all that separates them (seen: 1e-14).
    if (std::is_same<WideReal, long double>::value) {
        const TestStack s = longStack(20, 0.7, true);
        const std::vector<double> np = slopeColumns(k.size());
        for (Polarization pol : BOTH)
            for (std::size_t i = 0; i < k.size(); ++i) {
                const WideDelay wide = textbookDelay<long double>(s, k[i], pol, slopesAt(np, i));
                const WideDelay dd = textbookDelay<DoubleDouble>(s, k[i], pol, slopesAt(np, i));
                EXPECT_LT(relativeDifference(dd.R, wide.R), 1e-13) << k[i];
                EXPECT_LT(relativeDifference(dd.GD, wide.GD), 1e-13) << k[i];
            }
    }

    struct Case {
        std::size_t L;
        bool thick;
        double rBound, gdBound;
    };
    const Case cases[] = {{20, false, 5e-10, 5e-10},  {20, true, 5e-10, 5e-10},
                          {200, false, 5e-10, 1e-10}, {200, true, 5e-10, 2e-8},
                          {800, false, 5e-10, 2e-8},  {2000, false, 5e-10, 1e-9},
                          {2000, true, 5e-10, 5e-4},  {1999, true, 5e-10, 5e-4}};
    Worst overallR, overallGD;
    for (const Case& c : cases) {
        Worst worstR, worstGD;
        for (double theta : {0.0, 0.7})
            for (Polarization pol : BOTH) {
                const TestStack s = longStack(c.L, theta, c.thick);
                const std::vector<double> n = triples(s, k.size()), np = slopeColumns(k.size());
                std::vector<WideDelay> ref;
                for (std::size_t i = 0; i < k.size(); ++i)
                    ref.push_back(textbookDelay(s, k[i], pol, slopesAt(np, i)));
                forEachPhysicalKernel(c.L, pol, [&](Kernel kernel) {
                    const GridOutputs out = runGrid(kernel, s, k, n, np, pol);
                    for (std::size_t i = 0; i < k.size(); ++i) {
                        char at[200];
                        std::snprintf(at, sizeof at,
                                      "L=%zu, %s, %s kernel, theta=%.1f, %s, k=%.4g (R=%.9g, "
                                      "GD=%.5g fs)",
                                      c.L, c.thick ? "up to 50 um" : "quarter-wave", nameOf(kernel),
                                      theta, polName(pol), k[i], ref[i].R,
                                      ref[i].GD);
                        worstR.see(double(std::fabs(out.R[i] - ref[i].R) / ref[i].R), at);
                        if (hasDelay(kernel)) {
                            worstGD.see(double(std::fabs(out.GD[i] - ref[i].GD) /
                                               std::fabs(ref[i].GD)),
                                        at);
                        }
                    }
                });
            }
        std::printf("L=%4zu %-12s worst relative error R %.2g, GD %.2g\n", c.L,
                    c.thick ? "up to 50 um" : "quarter-wave", worstR.error, worstGD.error);
        EXPECT_LT(worstR.error, c.rBound) << worstR.where;
        EXPECT_LT(worstGD.error, c.gdBound) << worstGD.where;
        overallR.see(worstR.error, worstR.where);
        overallGD.see(worstGD.error, worstGD.where);
    }
    std::printf("compact product vs wide reference, worst relative error of R: %.2g at %s\n",
                overallR.error, overallR.where.c_str());
    std::printf("compact product vs wide reference, worst relative error of GD: %.2g at %s\n",
                overallGD.error, overallGD.where.c_str());
}

// Everything a kernel returns over a grid is finite (GDD too, unless told
// otherwise), and R lies in [0, 1] up to the rounding of the product:
// `aboveOne` allowed over 1 (measured: 4e-16 for 40 layers, 9e-12 for 2000
// random layers up to 50 um that reflect all but 1e-11 or less).
void expectFiniteAndBounded(const GridOutputs& out, Kernel kernel, const std::string& what,
                            bool withGDD = true, double aboveOne = 1e-13)
{
    for (std::size_t i = 0; i < out.R.size(); ++i) {
        ASSERT_TRUE(out.R[i] >= 0 && out.R[i] <= 1 + aboveOne)
            << what << " i=" << i << " R=" << out.R[i];
        if (hasDelay(kernel)) {
            ASSERT_TRUE(std::isfinite(out.GD[i])) << what << " i=" << i;
        }
        if (kernel == Kernel::Dispersion && withGDD) {
            ASSERT_TRUE(std::isfinite(out.GDD[i])) << what << " i=" << i;
        }
    }
    if (kernel == Kernel::Gradient) {
        for (std::size_t e = 0; e < out.dR.size(); ++e)
            ASSERT_TRUE(std::isfinite(out.dR[e]) && std::isfinite(out.dGD[e])) << what << " e=" << e;
    }
}

// 2000 layers up to 50 um thick (phases up to 1e4 rad per layer), wavenumbers
// from 0.1 to 100 rad/um, oblique and normal incidence, with material
// dispersion: R, GD, GDD and the gradients are finite everywhere, and R is
// within the rounding allowed such stacks above 1 (the allowance of
// LongReflectingStacksStayFinite; on this grid libmvec's sine gives up to
// 1 + 5.7e-14, xsimd's on aarch64 1 + 1.6e-13).
TEST(ThickStacks, EveryOutputFiniteFromFarInfraredToUltraviolet)
{
    const std::vector<double> k = logGrid(0.1, 100, 61);
    for (std::size_t L : {2000, 1999})
        for (double theta : {0.0, 1.2})
            for (Polarization pol : BOTH) {
                const TestStack s = longStack(L, theta, true);
                for (Kernel kernel : ALL_KERNELS) {
                    if (kernel == Kernel::Reflectance && pol == Polarization::TE) continue;
                    const GridOutputs out =
                        runGrid(kernel, s, k, triples(s, k.size()), slopeColumns(k.size()), pol);
                    expectFiniteAndBounded(
                        out, kernel, std::string(nameOf(kernel)) + " L=" + std::to_string(L), true,
                        5e-11);
                }
            }
}

// A quarter-wave stack of 2000 layers reflects all but ~1e-300 in its stop
// bands, and the random 2000-layer stack above nearly as much at some
// wavenumbers: finite physical answers. The compact row (f, e) grows there
// like (n_A/n_B)^(L/2), and the quotients form up to |f|^6; without the
// power-of-two scaling of the closing rows GDD overflowed to NaN from about
// 500 quarter-wave layers, GD from about 800, R from about 1600.
TEST(ThickStacks, LongReflectingStacksStayFinite)
{
    const std::vector<double> k = logGrid(0.1, 100, 241);
    for (bool thick : {false, true})
        for (std::size_t L : {2000, 1999})
            for (double theta : {0.0, 0.7})
                for (Polarization pol : BOTH) {
                    const TestStack s = longStack(L, theta, thick);
                    forEachPhysicalKernel(L, pol, [&](Kernel kernel) {
                        const GridOutputs out = runGrid(kernel, s, k, triples(s, k.size()),
                                                        slopeColumns(k.size()), pol);
                        expectFiniteAndBounded(out, kernel,
                                               std::string(nameOf(kernel)) + " L=" +
                                                   std::to_string(L) +
                                                   (thick ? " up to 50 um" : " quarter-wave"),
                                               true, 5e-11);
                    });
                }
}

// GD, GDD and both gradient columns of wavenumber i are NaN, as the kernel
// gives them.
void expectNaNDerivatives(const GridOutputs& out, Kernel kernel, std::size_t i, std::size_t L,
                          const std::string& what)
{
    if (hasDelay(kernel)) {
        EXPECT_TRUE(std::isnan(out.GD[i])) << what;
    }
    if (kernel == Kernel::Dispersion) {
        EXPECT_TRUE(std::isnan(out.GDD[i])) << what;
    }
    if (kernel == Kernel::Gradient) {
        for (std::size_t j = 0; j < L; ++j)
            EXPECT_TRUE(std::isnan(out.dR[j + L * i]) && std::isnan(out.dGD[j + L * i])) << what;
    }
}

// Towards grazing incidence every output stays finite, and 1 - R vanishes
// like cos(theta) (the ambient admittance n_a cos(theta) goes to 0 in TE, its
// inverse to infinity in TM): at 1e-9 rad from grazing 1 - R is below 1e-7.
TEST(GrazingIncidence, FiniteAndTotallyReflectingInTheLimit)
{
    const std::vector<double> k = logGrid(0.1, 100, 13);
    const std::vector<double> np = slopeColumns(k.size());
    for (double fromGrazing : {1e-3, 1e-6, 1e-9, 0.0})
        for (Polarization pol : BOTH) {
            const TestStack s = unevenStack(40, PI / 2 - fromGrazing);
            for (Kernel kernel : ALL_KERNELS) {
                if (kernel == Kernel::Reflectance && pol == Polarization::TE) continue;
                const GridOutputs out = runGrid(kernel, s, k, triples(s, k.size()), np, pol);
                const std::string what = std::string(nameOf(kernel)) + " " + polName(pol) +
                                         " at " + std::to_string(fromGrazing) + " from grazing";
                expectFiniteAndBounded(out, kernel, what);
                if (fromGrazing <= 1e-9) {
                    for (double R : out.R) EXPECT_GT(R, 1 - 1e-7) << what;
                }
            }
        }
}

// Material B at the edge of propagation, n_B^2 one ulp or so from tau (in
// both roundings of tau the kernels use). Just above, B still propagates at a
// normal index near 2e-8: the outputs are finite and R is the textbook one to
// the m eps ~ 1e-8 that interface ratios near 1e8 allow. Just below, B is
// evanescent: every output of that wavenumber is NaN, and its lane neighbours
// keep their own values.
TEST(EdgeOfPropagation, JustAboveIsFiniteJustBelowIsNaNAtThatWavenumberOnly)
{
    const double na = 1.6, theta = std::asin(1.45 / 1.6), s = std::sin(theta);
    const double tauNested = s * (s * (na * na)), tauSquared = (na * s) * (na * s);
    auto propagates = [&](double n) { return n * n - tauNested > 0 && n * n - tauSquared > 0; };
    auto evanescent = [&](double n) { return n * n - tauNested < 0 && n * n - tauSquared < 0; };
    double above = 1.45, below = 1.45;
    while (!propagates(above)) above = std::nextafter(above, 2.0);
    while (!evanescent(below)) below = std::nextafter(below, 1.0);
    ASSERT_LT(std::sqrt(above * above - tauNested), 1e-7);

    const std::vector<double> k = {6.1, 6.6, 7.3, 7.9, 8.4, 9.0, 9.5};
    const std::size_t edge = 2;  // a wavenumber inside the first lane group
    for (Polarization pol : BOTH)
        for (bool justAbove : {true, false}) {
            TestStack st = unevenStack(12, theta);
            st.na = na;
            st.nB = 1.6;  // elsewhere B propagates well
            std::vector<double> n = triples(st, k.size());
            const std::vector<double> np = slopeColumns(k.size());
            n[3 * edge + 1] = justAbove ? above : below;
            TestStack atEdge = st;
            atEdge.nB = n[3 * edge + 1];
            forEachPhysicalKernel(st.d.size(), pol, [&](Kernel kernel) {
                const GridOutputs out = runGrid(kernel, st, k, n, np, pol);
                const GridOutputs clean = runGrid(kernel, st, k, triples(st, k.size()), np, pol);
                const std::string what = std::string(nameOf(kernel)) + " " + polName(pol);
                const std::size_t L = st.d.size();
                for (std::size_t i = 0; i < k.size(); ++i) {
                    if (i != edge) {
                        EXPECT_EQ(out.R[i], clean.R[i]) << what << " i=" << i;
                        continue;
                    }
                    if (justAbove) {
                        const double ref = double(std::norm(physicalReflection(atEdge, k[i], pol)));
                        EXPECT_NEAR(out.R[i], ref, 1e-7) << what;
                        EXPECT_TRUE(std::isfinite(out.GD[i]) && std::isfinite(out.GDD[i])) << what;
                        for (std::size_t j = 0; j < L; ++j) {
                            EXPECT_TRUE(std::isfinite(out.dR[j + L * i]) &&
                                        std::isfinite(out.dGD[j + L * i]))
                                << what;
                        }
                    } else {
                        EXPECT_TRUE(std::isnan(out.R[i])) << what;
                        expectNaNDerivatives(out, kernel, i, L, what);
                    }
                }
            });
        }
}

// rho = 0 exactly (every index equal, normal incidence): R = 0, and GD, GDD
// and both gradients are 0/0 = NaN at that wavenumber; the others of its lane
// group are untouched.
TEST(NoReflection, GivesNaNDerivativesAtThatWavenumberOnly)
{
    const std::vector<double> k = {6.1, 6.6, 7.3, 7.9, 8.4, 9.0, 9.5, 9.9, 10.4};
    const std::vector<double> np = slopeColumns(k.size());
    for (std::size_t matched : {0, 5, 8})
        for (Polarization pol : BOTH) {
            const TestStack s = unevenStack(10, 0.0);
            std::vector<double> n = triples(s, k.size());
            for (int x = 0; x < 3; ++x) n[3 * matched + x] = s.na;
            for (Kernel kernel : ALL_KERNELS) {
                if (kernel == Kernel::Reflectance && pol == Polarization::TE) continue;
                const GridOutputs out = runGrid(kernel, s, k, n, np, pol);
                const GridOutputs clean = runGrid(kernel, s, k, triples(s, k.size()), np, pol);
                const std::size_t L = s.d.size();
                const std::string what = std::string(nameOf(kernel)) + " " + polName(pol);
                for (std::size_t i = 0; i < k.size(); ++i) {
                    if (i != matched) {
                        EXPECT_EQ(out.R[i], clean.R[i]) << what;
                        EXPECT_EQ(out.GD[i], clean.GD[i]) << what;
                        continue;
                    }
                    EXPECT_EQ(out.R[i], 0.0) << what;
                    expectNaNDerivatives(out, kernel, i, L, what);
                }
            }
        }
}

}  // namespace

// The shared chunks: each done exactly once, by a valid worker, at any thread
// count and call after call; a task that throws stops the call, and its
// exception reaches the caller once every thread has left the task.
TEST(Threads, EveryChunkOnceAndAFailureReachesTheCaller)
{
    for (std::size_t threads : {1, 2, 3, 7, 70}) {
        for (std::size_t chunks : {1, 5, 64}) {
            std::vector<std::atomic<int>> done(chunks);
            std::atomic<bool> badWorker(false);
            runChunks(chunks, threads, [&](std::size_t c, std::size_t worker) {
                if (worker >= threads) badWorker = true;
                ++done[c];
            });
            EXPECT_FALSE(badWorker);
            for (std::size_t c = 0; c < chunks; ++c)
                EXPECT_EQ(done[c], 1) << threads << " threads, chunk " << c << " of " << chunks;
        }
        std::atomic<int> inside(0);
        EXPECT_THROW(runChunks(64, threads,
                               [&](std::size_t c, std::size_t) {
                                   ++inside;
                                   if (c == 37) throw std::runtime_error("chunk 37");
                                   --inside;
                               }),
                     std::runtime_error);
        EXPECT_EQ(inside, 1);  // only the failed task, none still running
    }
    stopThreads();
    int sum = 0;
    runChunks(4, 2, [&](std::size_t c, std::size_t) { if (c == 3) sum = 3; });
    EXPECT_EQ(sum, 3);
}
