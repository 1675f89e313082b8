// Full dispersion: R, GD, GDD of the physical stack with indices following
// n(k) everywhere, and their thickness gradients.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"
#include "engine/closing.h"
#include "engine/full_dispersion.h"

namespace {

const Polarization BOTH[] = {Polarization::TE, Polarization::TM};

// n, n' (um) and n'' (um^2) of A, B and the substrate.
struct Dispersion {
    double n[3], np[3], npp[3];
};
const Dispersion GLASSES = {{2.3, 1.45, 1.52}, {0.021, 0.0043, 0.0051}, {0.0042, 0.0009, -0.0007}};

struct FullOutputs {
    double R, GD, GDD;
    std::vector<double> dR, dGD, dGDD;
};

FullOutputs evaluateFull(const std::vector<double>& d, const Dispersion& m, double theta,
                         double k, Polarization pol, KernelPath path = fastestKernelPath())
{
    const std::size_t L = d.size();
    FullOutputs o = {0, 0, 0, std::vector<double>(L), std::vector<double>(L),
                     std::vector<double>(L)};
    const FullDispersionGrid grid = {{&k, 1, d.data(), L, 1.0, m.n, m.np, theta}, m.npp, 3, 3, 3};
    fullDispersionOverGrid(grid, pol, {&o.R, &o.GD, &o.GDD, o.dR.data(), o.dGD.data(),
                                       o.dGDD.data()},
                           path);
    return o;
}

// The textbook reflection of the physical stack in long double at k + x, each
// index taken at k + x from its Taylor polynomial about k.
LComplex textbookAt(const std::vector<double>& d, const Dispersion& m, double theta, double k,
                    long double x, Polarization pol)
{
    long double n[3];
    for (int i = 0; i < 3; ++i) n[i] = m.n[i] + m.np[i] * x + m.npp[i] * x * x / 2;
    const long double na = 1.0L, kx = k + x;
    const long double t = na * std::sin((long double)theta);
    std::vector<TextbookLayer> layers;
    for (std::size_t j = 0; j < d.size(); ++j) {
        const long double nj = n[j % 2], q = std::sqrt(nj * nj - t * t);
        layers.push_back({admittance(nj, q, pol), kx * q * d[j]});
    }
    const long double etaA = admittance(na, na * std::cos((long double)theta), pol);
    const long double etaS = admittance(n[2], std::sqrt(n[2] * n[2] - t * t), pol);
    const LComplex r = textbookReflection(etaA, layers, etaS);
    return pol == Polarization::TE ? std::conj(r) : -std::conj(r);
}

// Against the textbook matrices with n(k), the phase differentiated by the
// five-point stencils (step 1e-3: truncation near 1e-12, rounding in long
// double near 1e-13 of the GDD).
TEST(FullDispersion, MatchesTextbookMatricesWithDispersiveIndices)
{
    const double c = SPEED_OF_LIGHT, h = 1e-3, k = 7.7;
    for (std::size_t L : {0, 1, 2, 5, 12, 31})
        for (Polarization pol : BOTH)
            for (double theta : {0.0, 0.6}) {
                const std::vector<double> d = unevenStack(L, theta).d;
                const FullOutputs o = evaluateFull(d, GLASSES, theta, k, pol);
                const LComplex r0 = textbookAt(d, GLASSES, theta, k, 0, pol);
                long double phase[5];
                for (int s = -2; s <= 2; ++s)
                    phase[s + 2] = std::arg(textbookAt(d, GLASSES, theta, k, s * h, pol) / r0);
                const long double slope =
                    (-phase[4] + 8 * phase[3] - 8 * phase[1] + phase[0]) / (12 * h);
                const long double second =
                    (-phase[4] + 16 * phase[3] - 30 * phase[2] + 16 * phase[1] - phase[0]) /
                    (12 * h * h);
                const double GD = double(slope / c), GDD = double(second / (c * c));
                const double scale = 1 + std::fabs(GD);
                EXPECT_NEAR(o.R, double(std::norm(r0)), 1e-14) << L << " " << theta;
                EXPECT_NEAR(o.GD, GD, 1e-10 * scale) << L << " " << theta;
                EXPECT_NEAR(o.GDD, GDD, 1e-8 * (1 + std::fabs(GDD))) << L << " " << theta;
            }
}

// Central differences in d_j of the module's own R, GD and GDD over a grid of
// K = 5 wavenumbers (a full lane group and a short one, or one short group)
// whose n' and n'' differ per wavenumber; a layer of zero thickness by a
// one-sided difference (a thickness cannot go below zero). Step 1e-6 um,
// 1e-6 (1e-5 for GDD) of the wavenumber's largest entry (seen: 8e-8, at the
// one-sided difference). The 320-layer mirror's rows pass 2^64 at every
// wavenumber, so its gradients come from rescaled closing rows, and its GD
// keeps about 9 digits: step 1e-4 um, 1e-4 (1e-3 for GDD; seen: 7e-6, the
// truncation); its first layers carry the gradient and are all checked.
void expectFullGradientsMatchDifferences(std::vector<double> d, const Dispersion& m,
                                         double theta, Polarization pol, double H,
                                         double tolerance)
{
    const std::vector<double> k = {6.9, 7.25, 7.5, 7.8, 8.05};
    const std::size_t K = k.size(), L = d.size();
    std::vector<double> n;
    for (std::size_t i = 0; i < K; ++i) n.insert(n.end(), m.n, m.n + 3);
    const std::vector<double> np = slopeColumns(K), npp = curvatureColumns(K);
    struct Run {
        std::vector<double> R, GD, GDD, dR, dGD, dGDD;
    };
    auto run = [&](const std::vector<double>& dd, bool gradients) {
        Run r = {std::vector<double>(K), std::vector<double>(K), std::vector<double>(K),
                 std::vector<double>(L * K), std::vector<double>(L * K),
                 std::vector<double>(L * K)};
        const FullDispersionGrid grid = {
            {k.data(), K, dd.data(), L, 1.0, n.data(), np.data(), theta}, npp.data(), 3, 3, 3};
        fullDispersionOverGrid(grid, pol,
                               {r.R.data(), r.GD.data(), r.GDD.data(),
                                gradients ? r.dR.data() : nullptr,
                                gradients ? r.dGD.data() : nullptr,
                                gradients ? r.dGDD.data() : nullptr});
        return r;
    };
    const Run o = run(d, true);
    for (std::size_t j = 0; j < L; j += L > 12 && j >= 5 ? L / 7 : 1) {
        // At d_j = 0 the second-order one-sided difference (-3 f0 + 4 f1 - f2) / 2H.
        const bool oneSided = d[j] == 0;
        std::vector<double> up = d, down = d;
        up[j] += H;
        down[j] += oneSided ? 2 * H : -H;
        const Run p = run(up, false), q = run(down, false);
        auto slope = [&](double f0, double fp, double fm) {
            return oneSided ? (-3 * f0 + 4 * fp - fm) / (2 * H) : (fp - fm) / (2 * H);
        };
        for (std::size_t i = 0; i < K; ++i) {
            double sR = 1, sGD = 0, sGDD = 0;  // dR on a scale of at least 1/um (a mirror's R is 1)
            for (std::size_t x = L * i; x < L * (i + 1); ++x) {
                sR = std::fmax(sR, std::fabs(o.dR[x]));
                sGD = std::fmax(sGD, std::fabs(o.dGD[x]));
                sGDD = std::fmax(sGDD, std::fabs(o.dGDD[x]));
            }
            const std::size_t x = j + L * i;
            EXPECT_NEAR(o.dR[x], slope(o.R[i], p.R[i], q.R[i]), tolerance * sR)
                << L << " layer " << j << " k=" << k[i];
            EXPECT_NEAR(o.dGD[x], slope(o.GD[i], p.GD[i], q.GD[i]), tolerance * sGD)
                << L << " layer " << j << " k=" << k[i];
            EXPECT_NEAR(o.dGDD[x], slope(o.GDD[i], p.GDD[i], q.GDD[i]), 10 * tolerance * sGDD)
                << L << " layer " << j << " k=" << k[i];
        }
    }
}

TEST(FullDispersion, GradientsMatchDifferencesOfItsOwnOutputsAlsoWhereRowsPass2To64)
{
    for (Polarization pol : BOTH) {
        for (std::size_t L : {1, 2, 7}) {
            std::vector<double> d = unevenStack(L, 0.5).d;
            if (L == 7) d[3] = 0;
            expectFullGradientsMatchDifferences(d, GLASSES, 0.5, pol, 1e-6, 1e-6);
        }
        const TestStack mirror = mirrorStack(320, 7.5, 0.3);
        for (double k : {6.9, 8.05}) ASSERT_LT(transmittanceOf(mirror, k, pol), 0x1p-140) << k;
        expectFullGradientsMatchDifferences(mirror.d, GLASSES, 0.3, pol, 1e-4, 1e-4);
    }
}

// The same numbers come out whichever outputs are asked for (the jets are
// then of lower order): R to rounding, GD to the rounding of its sums.
TEST(FullDispersion, FewerOutputsGiveTheSameNumbers)
{
    for (std::size_t L : {2, 12, 41})
        for (Polarization pol : BOTH) {
            const TestStack s = unevenStack(L, 0.45);
            const FullOutputs full = evaluateFull(s.d, GLASSES, 0.45, 7.4, pol);
            double R = 0, GD = 0;
            const double kk = 7.4;
            const FullDispersionGrid grid = {
                {&kk, 1, s.d.data(), L, 1.0, GLASSES.n, GLASSES.np, 0.45}, GLASSES.npp, 3, 3, 3};
            fullDispersionOverGrid(grid, pol, {&R, &GD, nullptr, nullptr, nullptr, nullptr});
            EXPECT_NEAR(R, full.R, 1e-14);
            EXPECT_NEAR(GD, full.GD, 1e-12 * (1 + std::fabs(full.GD)));
        }
}

// The tables join to the closing at every layer: the adjoint row of t meets
// the amplitudes behind each layer in c w = 1 (as a jet: 1, 0, 0), that of r
// in 0; on the lossless and on the general walk. And a stack whose rows grow
// to 1e200 keeps every output finite.
template <bool Lossless>
void checkTablesJoin(const LayeredStack& st)
{
    const InterfacePlan plan = planInterfaces(st);
    MediaJetsOf<double, 2, Lossless> jets(st.M, plan.near.size());
    fillMediaJets(jets, st, plan, 0, 1);
    SweepTablesOf<double, 2> t(st.L, true);
    const ClosingOf<double, 2> c =
        closingOf<ExactTrig>(sweepIntoTables<ExactTrig>(t, jets, st, plan), jets, true);
    const AmplitudesOf<double, 2> starts[2] = {c.startR, c.startT};
    std::size_t visited = 0;
    sweepFromAmbient(starts, t, jets, st, plan, 2,
                     [&](std::size_t j, const AmplitudesOf<double, 2>(&mu)[2]) {
                         ++visited;
                         for (int a = 0; a < 2; ++a) {
                             const ComplexJetOf<double, 2> join =
                                 mu[a].u * t.behind[j].u + mu[a].w * t.layers[j].u;
                             for (int n = 0; n <= 2; ++n) {
                                 const Complex x = coefficient(join, n);
                                 EXPECT_NEAR(x.re, a == 1 && n == 0 ? 1.0 : 0.0, 1e-12)
                                     << Lossless << " " << j << " " << a << " " << n;
                                 EXPECT_NEAR(x.im, 0.0, 1e-12) << j << " " << a << " " << n;
                             }
                         }
                     });
    EXPECT_EQ(visited, st.L);
}

TEST(FullDispersion, TablesJoinToTheClosingAndLongStacksStayFinite)
{
    const TestStack s = unevenStack(9, 0.3);
    const double k = 7.9;
    const FullDispersionGrid grid = {
        {&k, 1, s.d.data(), s.d.size(), 1.0, GLASSES.n, GLASSES.np, 0.3}, GLASSES.npp, 3, 3, 3};
    const std::vector<int> materials = alternatingMaterials(s.d.size());
    for (Polarization pol : BOTH) {
        checkTablesJoin<true>(alternatingStack(grid, pol, materials));
        checkTablesJoin<false>(alternatingStack(grid, pol, materials));
    }

    std::vector<double> d;
    for (std::size_t j = 0; j < 2000; ++j) d.push_back(j % 2 ? 0.138 : 0.087);
    const Dispersion contrast = {{2.3, 1.45, 1.52}, {0.03, 0.004, 0.005}, {0.01, 0.001, 0}};
    for (Polarization pol : BOTH) {
        const FullOutputs o = evaluateFull(d, contrast, 0.2, 7.6, pol);
        EXPECT_TRUE(std::isfinite(o.GD) && std::isfinite(o.GDD)) << o.GD << " " << o.GDD;
        EXPECT_NEAR(o.R, 1.0, 1e-12);
        for (std::size_t j = 0; j < d.size(); ++j)
            ASSERT_TRUE(std::isfinite(o.dR[j] + o.dGD[j] + o.dGDD[j])) << j;
    }
}

}  // namespace
