// The number types under every kernel: jets (truncated Taylor series in k)
// against the closed-form coefficients of known functions, one lane or many;
// and the lanes of the grid kernels, which carry two, four or eight
// wavenumbers side by side. Each lane must get what the one-wavenumber walk
// gives: bit for bit on the portable path (the C library's sin and cos),
// within a few ulp where vector sin and cos are used, with NaN in exactly the
// same places either way, and no lane leaking into another (a short last
// group is padded).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numeric>
#include <vector>

#include "engine/full_dispersion.h"
#include "fixtures.h"
#include "numeric/jet.h"
#include "profile/alternating_needles.h"

namespace {

// ---- Jets -------------------------------------------------------------------

using C = std::complex<double>;
const int ORDER = 3;  // every coefficient a module uses, and one more
const double FACTORIAL[ORDER + 1] = {1, 1, 2, 6};

// A few roundings of a recurrence of ORDER terms; a wrong term errs by O(1).
const double JET_TOLERANCE = 1e-14;

// Per-lane parameters: lane l of any lane type takes entry l, a double entry 0.
// Branch cases of the decaying root first (a negative real part beside -0,
// every quadrant), each with its root on Im >= 0 written out.
const C ROOT_OF[8] = {{-4, -0.0}, {3, -4}, {-3, -4}, {3, 4}, {2, 0}, {-4, 0}, {5, -12}, {-5, 12}};
const C ROOT[8] = {{0, 2}, {-2, 1}, {-1, 2}, {2, 1}, {std::sqrt(2.0), 0}, {0, 2}, {-3, 2}, {2, 3}};
C rateOf(std::size_t l) { return {0.3 + 0.4 * double(l), 1.1 - 0.35 * double(l)}; }
C otherRateOf(std::size_t l) { return {-0.8 + 0.2 * double(l), 0.6}; }
C phaseOf(std::size_t l) { return {0.7 + 5.3 * double(l), 0.05 * double(l)}; }

template <class V, class F>
ComplexJetOf<V, ORDER> complexJet(F coefficientOf)  // coefficientOf(lane, n)
{
    ComplexJetOf<V, ORDER> z;
    for (int n = 0; n <= ORDER; ++n)
        for (std::size_t l = 0; l < laneCountOf<V>; ++l) {
            setLane(z.re.c[n], l, coefficientOf(l, n).real());
            setLane(z.im.c[n], l, coefficientOf(l, n).imag());
        }
    return z;
}
C power(C x, int n)
{
    C p = 1;
    for (int i = 0; i < n; ++i) p *= x;
    return p;
}
// x0 e^(a h): coefficients x0 a^n / n!.
template <class V, class X0, class A>
ComplexJetOf<V, ORDER> exponential(X0 x0, A a)
{
    return complexJet<V>([&](std::size_t l, int n) {
        return x0(l) * power(a(l), n) / FACTORIAL[n];
    });
}

template <class V, class F>
void expectCoefficients(const ComplexJetOf<V, ORDER>& z, F want, const char* what)
{
    for (int n = 0; n <= ORDER; ++n)
        for (std::size_t l = 0; l < laneCountOf<V>; ++l) {
            const C w = want(l, n), got(laneOf(z.re.c[n], l), laneOf(z.im.c[n], l));
            EXPECT_LE(std::abs(got - w), JET_TOLERANCE * std::fmax(1, std::abs(w)))
                << what << ": lane " << l << " of " << laneCountOf<V> << ", coefficient " << n
                << " is " << got << ", not " << w;
        }
}
template <class V, class F>
void expectCoefficients(const JetOf<V, ORDER>& x, F want, const char* what)
{
    expectCoefficients(ComplexJetOf<V, ORDER>{x, constantJet<V, ORDER>(V{})}, want, what);
}

template <class V>
void checkJets()
{
    const auto x0 = [](std::size_t l) { return ROOT_OF[l]; };
    const auto one = [](std::size_t) { return C(1); };
    const auto a = rateOf, b = otherRateOf;
    const auto re = [](C (*f)(std::size_t)) { return [f](std::size_t l) { return C(f(l).real()); }; };
    const ComplexJetOf<V, ORDER> x = exponential<V>(x0, a), y = exponential<V>(one, b);

    // Products: x0 e^(a h) e^(b h) = x0 e^((a + b) h), complex and real.
    expectCoefficients(x * y, [&](std::size_t l, int n) {
        return x0(l) * power(a(l) + b(l), n) / FACTORIAL[n];
    }, "complex product");
    expectCoefficients(exponential<V>(x0, re(a)).re * exponential<V>(one, re(b)).re,
                       [&](std::size_t l, int n) {
        return ROOT_OF[l].real() * power(a(l).real() + b(l).real(), n) / FACTORIAL[n];
    }, "real product");
    // Inverse and quotient: 1 / (x0 e^(a h)) = e^(-a h) / x0, and a real 1/(c + s h).
    expectCoefficients(inverse(x), [&](std::size_t l, int n) {
        return power(-a(l), n) / FACTORIAL[n] / x0(l);
    }, "complex inverse");
    expectCoefficients(y / x, [&](std::size_t l, int n) {
        return power(b(l) - a(l), n) / FACTORIAL[n] / x0(l);
    }, "complex quotient");
    JetOf<V, ORDER> linear = constantJet<V, ORDER>(V{});
    for (std::size_t l = 0; l < laneCountOf<V>; ++l) {
        setLane(linear.c[0], l, 1.5 + double(l));
        setLane(linear.c[1], l, 0.5 - 0.25 * double(l));
    }
    expectCoefficients(inverse(linear), [&](std::size_t l, int n) {
        return power(-(0.5 - 0.25 * double(l)), n) / power(1.5 + double(l), n + 1);
    }, "real inverse");
    // sqrt(c e^(s h)) = sqrt(c) e^(s h / 2) for c > 0; the decaying root of
    // x0 e^(a h) is y0 e^(a h / 2), y0 the root of x0 with Im >= 0.
    const ComplexJetOf<V, ORDER> positive =
        exponential<V>([](std::size_t l) { return C(0.5 + double(l)); }, re(a));
    expectCoefficients(sqrt(positive.re), [&](std::size_t l, int n) {
        return std::sqrt(0.5 + double(l)) * power(a(l).real() / 2, n) / FACTORIAL[n];
    }, "real sqrt");
    expectCoefficients(decayingRoot(x), [&](std::size_t l, int n) {
        return ROOT[l] * power(a(l) / 2.0, n) / FACTORIAL[n];
    }, "decaying root");
    // exp(i phi) of phi = p + r h: exp(i p) (i r)^n / n!; exp(-i delta) likewise.
    const auto p = phaseOf;
    const ComplexJetOf<V, ORDER> phi = complexJet<V>([&](std::size_t l, int n) {
        return n == 0 ? p(l) : n == 1 ? a(l) : C(0);
    });
    const C i(0, 1);
    expectCoefficients(expI<ExactTrig>(phi), [&](std::size_t l, int n) {
        return std::exp(i * p(l)) * power(i * a(l), n) / FACTORIAL[n];
    }, "exp(i phi)");
    expectCoefficients(expI<ExactTrig>(phi.re), [&](std::size_t l, int n) {
        return std::exp(i * p(l).real()) * power(i * a(l).real(), n) / FACTORIAL[n];
    }, "exp(i phi), real phi");
    expectCoefficients(propagationJet<ExactTrig>(phi.re), [&](std::size_t l, int n) {
        return std::exp(-i * p(l).real()) * power(-i * a(l).real(), n) / FACTORIAL[n];
    }, "exp(-i delta)");
    // log(x0 + x1 h) = log x0 + sum over n of (-1)^(n+1) (x1/x0)^n / n; log of
    // x0 e^(a h) is log x0 + a h. Coefficient 0 is left 0.
    const ComplexJetOf<V, ORDER> line = complexJet<V>([&](std::size_t l, int n) {
        return n == 0 ? x0(l) : n == 1 ? a(l) : C(0);
    });
    expectCoefficients(logCoefficients(line), [&](std::size_t l, int n) {
        return n == 0 ? C(0) : power(-a(l) / x0(l), n) * (-1.0 / n);
    }, "log of a line");
    expectCoefficients(logCoefficients(x), [&](std::size_t l, int n) {
        return n == 1 ? a(l) : C(0);
    }, "log of an exponential");
}

TEST(Jets, CoefficientsAreThoseOfKnownFunctionsInEveryLane)
{
    checkJets<double>();
    checkJets<LanesOf<2>>();
    checkJets<LanesOf<4>>();
    checkJets<LanesOf<8>>();
    // The scalar root keeps Im >= 0 where the principal root would not.
    for (std::size_t l = 0; l < 8; ++l) {
        const Complex r = decayingRoot(Complex{ROOT_OF[l].real(), ROOT_OF[l].imag()});
        EXPECT_EQ(r.re, ROOT[l].real()) << l;
        EXPECT_EQ(r.im, ROOT[l].imag()) << l;
    }
    // Nearly real values on both sides of either axis: the root of
    // a^2 - b^2 +- 2iab is +-(a + ib), each part within an ulp however small
    // b is (the half-angle form sqrt((|x| - Re x) / 2) loses b entirely below
    // about 1e-8 a); and a value whose (|x| + |Re x|) / 2 is subnormal.
    auto expectRoot = [](Complex x, Complex root) {
        const Complex r = decayingRoot(x);
        EXPECT_LE(std::fabs(r.re - root.re), 0x1p-52 * std::fabs(root.re)) << x.re << " " << x.im;
        EXPECT_LE(std::fabs(r.im - root.im), 0x1p-52 * std::fabs(root.im)) << x.re << " " << x.im;
    };
    const double a = 1.5;
    for (double b : {0x1p-10, 0x1p-30, 0x1p-60, 0x1p-600}) {
        expectRoot({a * a - b * b, 2 * a * b}, {a, b});
        expectRoot({b * b - a * a, 2 * a * b}, {b, a});
        expectRoot({a * a - b * b, -2 * a * b}, {-a, b});  // the principal root a - ib, negated
        expectRoot({b * b - a * a, -2 * a * b}, {-b, a});
    }
    const double tiny = std::sqrt(1.5) * 0x1p-537;
    expectRoot({0, 3 * 0x1p-1074}, {tiny, tiny});
}

// ---- Lanes of the grid kernels ---------------------------------------------

// Two full groups of four and a padded group of three; or one full group of
// eight and a padded one.
const std::size_t K = 11;

struct GridCase {
    std::vector<double> k, n, np, npp;
    TestStack s;
    StackGrid grid() const
    {
        return {k.data(), K, s.d.data(), s.d.size(), s.na, n.data(), np.data(), s.theta};
    }
    FullDispersionGrid fullGrid() const { return {grid(), npp.data(), 3, 3, 3}; }
    // Wavenumber i alone, as a grid of one.
    FullDispersionGrid fullGridAt(std::size_t i) const
    {
        return {{&k[i], 1, s.d.data(), s.d.size(), s.na, &n[3 * i], &np[3 * i], s.theta},
                &npp[3 * i], 3, 3, 3};
    }
};

// Indices, slopes and curvatures that change from wavenumber to wavenumber
// (a kernel reading another wavenumber's, or its lane group's first, is off
// by far more than rounding), with material B unable to propagate at
// wavenumber 5.
GridCase gridCase(std::size_t L)
{
    GridCase g;
    g.s = unevenStack(L, 0.6);
    for (std::size_t i = 0; i < K; ++i) {
        const double x = double(i);
        g.k.push_back(6.0 + 0.45 * x);
        const double nB = i == 5 ? 0.5 : 1.45 + 0.01 * x;
        const double t[3] = {2.3 - 0.02 * x, nB, 1.52};
        const double tp[3] = {0.02 + 0.003 * x, 0.004 - 0.0007 * x, 0.005 + 0.002 * x};
        const double tpp[3] = {0.004 - 0.0011 * x, 0.0009 + 0.0005 * x, -0.0007 + 0.0004 * x};
        g.n.insert(g.n.end(), t, t + 3);
        g.np.insert(g.np.end(), tp, tp + 3);
        g.npp.insert(g.npp.end(), tpp, tpp + 3);
    }
    return g;
}

struct Reference {
    std::vector<double> R, GD, GDD, dR, dGD;
    std::vector<double> delayGD;            // GD of the first-order walk
    std::vector<double> tableR, tableGD;    // of the table walk (physical closing)
    std::vector<double> reflectance;        // of the plain product, w (g a + h conj b)
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
        const ReflectionDerivative r1 = stackReflectionDerivative(c, dc, g.s.d.data(), L);
        ref.delayGD.push_back(groupDelayOf(r1.rho, r1.rhoPrime, reflectanceOf(r1.rho)));
        if (L == 0) continue;
        const InterfaceCoefficients ce = interfaceCoefficients(
            n[0], n[1], n[2], g.s.na, tangentialIndexSquaredOfProduct(g.s.na, g.s.theta), cosTheta,
            g.k[i], pol, exitMaterialOf(L));
        const std::size_t at = ref.dR.size();
        ref.dR.resize(at + L);
        ref.dGD.resize(at + L);
        const ReflectanceAndDelayOf<double> table = delayWithGradient(
            t, gt, ce, phaseRateDerivatives(n, np, ce.q, g.k[i]), g.s.d.data(), true,
            [&](std::size_t j, const LayerGradientOf<double>& lg) {
                ref.dR[at + j] = lg.dR;
                ref.dGD[at + j] = lg.dGD;
            });
        ref.tableR.push_back(table.R);
        ref.tableGD.push_back(table.GD);
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

// The outputs of the jet-engine kernels over the grid, or over wavenumber
// `at` of it alone: full dispersion (R, GD, GDD and their gradients), the
// needles at `sites`, and T and the GD of t of the general (absorbing) walk.
const char* const ENGINE_OUTPUTS[] = {"R", "GD", "GDD", "dR", "dGD", "dGDD",
                                      "needle R", "needle GD", "needle GDD", "T", "GD of t"};
using EngineOutputs = std::vector<double>[11];
const std::size_t WHOLE_GRID = std::size_t(-1);

void runEngine(EngineOutputs& o, const GridCase& g, Polarization pol,
               const std::vector<DepthSite>& sites, KernelPath path, std::size_t at)
{
    const std::size_t L = g.s.d.size(), P = sites.size(), Kr = at == WHOLE_GRID ? K : 1;
    const FullDispersionGrid grid = at == WHOLE_GRID ? g.fullGrid() : g.fullGridAt(at);
    const std::size_t sizes[11] = {1, 1, 1, L, L, L, P, P, P, 1, 1};
    for (int q = 0; q < 11; ++q) o[q].assign(sizes[q] * Kr, 0.0);
    fullDispersionOverGrid(grid, pol, {o[0].data(), o[1].data(), o[2].data(), o[3].data(),
                                       o[4].data(), o[5].data()},
                           path);
    needleOverGrid(grid, pol, sites.data(), P, {o[6].data(), o[7].data(), o[8].data()}, path);
    // The substrate and A absorb, differently at every wavenumber; B's
    // evanescent wavenumber is modelled.
    std::vector<double> im;
    for (std::size_t i = 0; i < Kr; ++i) {
        const double x = double(at == WHOLE_GRID ? i : at);
        im.insert(im.end(), {0.001 * x, 0.0, 0.02 + 0.003 * x});
    }
    const std::vector<int> materials = alternatingMaterials(L);
    LayeredStack s = alternatingStack(grid, pol, materials);
    s.n.im = im.data();
    ResponseRequest request = {};
    request.value[QUANTITY_T] = o[9].data();
    request.value[QUANTITY_GDT] = o[10].data();
    responseOverGrid(s, request, path);
}

// A lane's arithmetic is the same whatever its neighbours: the grid gives,
// bit for bit, what each wavenumber gives alone.
void expectEngineMatchesOneWavenumberRuns(const GridCase& g, Polarization pol, KernelPath path)
{
    const std::vector<double>& d = g.s.d;
    const double total = std::accumulate(d.begin(), d.end(), 0.0);
    std::vector<double> z = {0.0, total};
    if (!d.empty()) z.push_back(0.37 * d[0]);
    if (d.size() > 1) z.insert(z.end(), {d[0], d[0] + 0.6 * d[1]});
    std::vector<DepthSite> sites(z.size());
    locateDepths(d.data(), d.size(), z.data(), z.size(), sites.data());
    EngineOutputs grid, one, alone;
    runEngine(grid, g, pol, sites, path, WHOLE_GRID);
    for (std::size_t i = 0; i < K; ++i) {
        runEngine(alone, g, pol, sites, path, i);
        for (int q = 0; q < 11; ++q) one[q].insert(one[q].end(), alone[q].begin(), alone[q].end());
    }
    for (int q = 0; q < 11; ++q) expectMatches(grid[q], one[q], 0, ENGINE_OUTPUTS[q]);
}

void checkPath(KernelPath path, double tolerance)
{
    for (std::size_t L : {0, 1, 2, 5, 9})
        for (Polarization pol : {Polarization::TE, Polarization::TM}) {
            SCOPED_TRACE(testing::Message() << "L=" << L << (pol == Polarization::TE ? " TE" : " TM"));
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
            expectMatches(GD, ref.delayGD, tolerance, "GD of the delay walk");
            if (pol == Polarization::TM) {
                reflectanceOverGrid(grid, R.data(), path);
                expectMatches(R, ref.reflectance, tolerance, "R of the reflectance walk");
            }
            expectEngineMatchesOneWavenumberRuns(g, pol, path);
            if (L == 0) continue;
            physicalClosingDelayOverGrid(grid, pol, R.data(), GD.data(), path);
            expectMatches(R, ref.tableR, tolerance, "R of the table walk");
            expectMatches(GD, ref.tableGD, tolerance, "GD of the table walk");
            std::vector<double> dR(K * L), dGD(K * L);
            gradientOverGrid(grid, pol, R.data(), GD.data(), dR.data(), dGD.data(), path);
            expectMatches(R, ref.tableR, tolerance, "R of the gradient walk (the table walk's)");
            expectMatches(GD, ref.tableGD, tolerance, "GD of the gradient walk");
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
