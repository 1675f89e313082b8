// Full dispersion: R, GD, GDD of the physical stack with indices following
// n(k) everywhere, and their thickness gradients.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"
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

// Central differences in d_j of the module's own R, GD and GDD; a layer of
// zero thickness by a forward difference (a thickness cannot go below zero).
TEST(FullDispersion, GradientsMatchDifferencesOfItsOwnOutputs)
{
    const double H = 1e-6, k = 8.1;
    for (std::size_t L : {1, 2, 7})
        for (Polarization pol : BOTH) {
            std::vector<double> d = unevenStack(L, 0.5).d;
            if (L == 7) d[3] = 0;
            const FullOutputs o = evaluateFull(d, GLASSES, 0.5, k, pol);
            double sR = 0, sGD = 0, sGDD = 0;
            for (std::size_t j = 0; j < L; ++j) {
                sR = std::fmax(sR, std::fabs(o.dR[j]));
                sGD = std::fmax(sGD, std::fabs(o.dGD[j]));
                sGDD = std::fmax(sGDD, std::fabs(o.dGDD[j]));
            }
            for (std::size_t j = 0; j < L; ++j) {
                // At d_j = 0 the second-order one-sided difference (-3 f0 + 4 f1 - f2) / 2H.
                const bool oneSided = d[j] == 0;
                std::vector<double> up = d, down = d;
                up[j] += H;
                down[j] += oneSided ? 2 * H : -H;
                const FullOutputs p = evaluateFull(up, GLASSES, 0.5, k, pol);
                const FullOutputs m = evaluateFull(down, GLASSES, 0.5, k, pol);
                auto slope = [&](double f0, double fp, double fm) {
                    return oneSided ? (-3 * f0 + 4 * fp - fm) / (2 * H) : (fp - fm) / (2 * H);
                };
                EXPECT_NEAR(o.dR[j], slope(o.R, p.R, m.R), 1e-6 * sR) << L << " layer " << j;
                EXPECT_NEAR(o.dGD[j], slope(o.GD, p.GD, m.GD), 1e-6 * sGD) << L << " layer " << j;
                EXPECT_NEAR(o.dGDD[j], slope(o.GDD, p.GDD, m.GDD), 1e-5 * sGDD)
                    << L << " layer " << j;
            }
        }
}

// Without index dispersion and with an even layer count the frozen-interface
// modules are exact: coatdisp's R, GD, GDD and coatdelaygrad's gradients.
// The same numbers come out whichever outputs are asked for, on every path.
TEST(FullDispersion, WithoutDispersionAgreesWithTheOtherModules)
{
    Dispersion flat = GLASSES;
    for (int x = 0; x < 3; ++x) flat.np[x] = flat.npp[x] = 0;
    for (std::size_t L : {2, 12, 40})
        for (Polarization pol : BOTH) {
            const TestStack s = unevenStack(L, 0.45);
            const FullOutputs o = evaluateFull(s.d, flat, 0.45, 7.4, pol);
            const Outputs disp = evaluate(Kernel::Dispersion, s, 7.4, pol);
            const Outputs grad = evaluate(Kernel::Gradient, s, 7.4, pol);
            EXPECT_NEAR(o.R, disp.R, 1e-14);
            EXPECT_NEAR(o.GD, disp.GD, 1e-12 * (1 + std::fabs(disp.GD)));
            EXPECT_NEAR(o.GDD, disp.GDD, 1e-11 * (1 + std::fabs(disp.GDD)));
            for (std::size_t j = 0; j < L; ++j) {
                EXPECT_NEAR(o.dR[j], grad.dR[j], 1e-12 * (1 + std::fabs(grad.dR[j])));
                EXPECT_NEAR(o.dGD[j], grad.dGD[j], 1e-10 * (1 + std::fabs(grad.dGD[j])));
            }
            for (KernelPath path : {KernelPath::Portable, fastestKernelPath()}) {
                const FullOutputs q = evaluateFull(s.d, GLASSES, 0.45, 7.4, pol, path);
                const FullOutputs full = evaluateFull(s.d, GLASSES, 0.45, 7.4, pol);
                EXPECT_NEAR(q.GDD, full.GDD, 1e-11 * (1 + std::fabs(full.GDD)));
                double R = 0, GD = 0;
                const double kk = 7.4;
                const FullDispersionGrid grid = {
                    {&kk, 1, s.d.data(), L, 1.0, GLASSES.n, GLASSES.np, 0.45}, GLASSES.npp, 3, 3,
                    3};
                fullDispersionOverGrid(grid, pol, {&R, &GD, nullptr, nullptr, nullptr, nullptr},
                                       path);
                EXPECT_NEAR(R, full.R, 1e-14);
                EXPECT_NEAR(GD, full.GD, 1e-12 * (1 + std::fabs(full.GD)));
            }
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
