// Needle derivatives against the stack with a short needle actually inserted.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "fixtures.h"
#include "profile/alternating_needles.h"

namespace {

const Polarization BOTH[] = {Polarization::TE, Polarization::TM};

// n, n' (um) and n''/um^2 of A, B and the substrate: every interface and
// phase follows k.
const double N[3] = {2.3, 1.45, 1.52}, NP[3] = {0.021, 0.0043, 0.0051},
             NPP[3] = {0.0042, 0.0009, -0.0007};

struct Spectra {
    std::vector<double> R, GD, GDD;  // one per wavenumber, or per depth and wavenumber
};

FullDispersionGrid gridOf(const double& k, const std::vector<double>& d, double theta)
{
    return {{&k, 1, d.data(), d.size(), 1.0, N, NP, theta}, NPP, 0, 0, 0};
}

Spectra stackAt(const std::vector<double>& d, double k, double theta, Polarization pol)
{
    Spectra s = {{0}, {0}, {0}};
    fullDispersionOverGrid(gridOf(k, d, theta), pol,
                           {s.R.data(), s.GD.data(), s.GDD.data(), nullptr, nullptr, nullptr});
    return s;
}

Spectra needles(const std::vector<double>& d, const std::vector<double>& z, double k, double theta,
                Polarization pol, KernelPath path = fastestKernelPath())
{
    std::vector<DepthSite> sites(z.size());
    EXPECT_EQ(firstDepthOutside(d.data(), d.size(), z.data(), z.size()), z.size());
    locateDepths(d.data(), d.size(), z.data(), z.size(), sites.data());
    Spectra s = {std::vector<double>(z.size()), std::vector<double>(z.size()),
                 std::vector<double>(z.size())};
    needleOverGrid(gridOf(k, d, theta), pol, sites.data(), z.size(),
                   {s.R.data(), s.GD.data(), s.GDD.data()}, path);
    return s;
}

// The stack with a needle of thickness t at depth z, built as the
// conventions say: inside a layer it splits it; on a boundary it is a layer
// of the shallower material in front of the deeper one; at the bottom a new
// last layer.
std::vector<double> withNeedle(const std::vector<double>& d, double z, double t)
{
    double front = 0;
    for (std::size_t j = 0; j < d.size(); ++j) {
        if (z < front + d[j]) {
            std::vector<double> out(d.begin(), d.begin() + j);
            for (double x : {z - front, t, front + d[j] - z}) out.push_back(x);
            out.insert(out.end(), d.begin() + j + 1, d.end());
            return out;
        }
        front += d[j];
    }
    std::vector<double> out = d;
    out.push_back(t);
    return out;
}

// Central differences in t (step 1e-6 um; negative t is as good an
// analytic continuation as any) on inside-layer depths in A and B, the
// surface, every boundary and the bottom, for odd and even stacks.
TEST(Needle, MatchesTheStackWithTheNeedleInserted)
{
    const double h = 1e-6, k = 8.3, theta = 0.6;
    for (std::size_t L : {5, 8})
        for (Polarization pol : BOTH) {
            const std::vector<double> d = unevenStack(L, theta).d;
            const double total = std::accumulate(d.begin(), d.end(), 0.0);
            std::vector<double> z = {0.0, 0.3 * d[0], d[0] + 0.71 * d[1], total - 0.2 * d[L - 1]};
            double boundary = 0;  // every boundary, where the needle thickens the shallower layer
            for (std::size_t j = 0; j < L; ++j) z.push_back(boundary += d[j]);
            const Spectra n = needles(d, z, k, theta, pol);
            double sR = 0, sGD = 0, sGDD = 0;
            for (std::size_t p = 0; p < z.size(); ++p) {
                sR = std::fmax(sR, std::fabs(n.R[p]));
                sGD = std::fmax(sGD, std::fabs(n.GD[p]));
                sGDD = std::fmax(sGDD, std::fabs(n.GDD[p]));
            }
            for (std::size_t p = 0; p < z.size(); ++p) {
                const Spectra up = stackAt(withNeedle(d, z[p], h), k, theta, pol);
                const Spectra down = stackAt(withNeedle(d, z[p], -h), k, theta, pol);
                EXPECT_NEAR(n.R[p], (up.R[0] - down.R[0]) / (2 * h), 1e-6 * sR) << L << " z " << p;
                EXPECT_NEAR(n.GD[p], (up.GD[0] - down.GD[0]) / (2 * h), 1e-6 * sGD)
                    << L << " z " << p;
                EXPECT_NEAR(n.GDD[p], (up.GDD[0] - down.GDD[0]) / (2 * h), 1e-5 * sGDD)
                    << L << " z " << p;
            }
        }
}

// Depths outside [0, sum(d)] are refused by position; a total summed in
// another order counts as the bottom; no layers is a zero layer of A.
TEST(Needle, DepthRangeAndEmptyStack)
{
    const std::vector<double> d = {0.1, 0.2, 0.3};
    DepthSite s[3];
    const double bad[3] = {0.1, 0.6 + 1e-9, 0.2};
    EXPECT_EQ(firstDepthOutside(d.data(), 3, bad, 3), 1u);
    const double nan[2] = {0.0, NAN};
    EXPECT_EQ(firstDepthOutside(d.data(), 3, nan, 2), 1u);
    const double ends[2] = {-0.0, std::nextafter(0.1 + 0.2 + 0.3, 1.0)};
    ASSERT_EQ(firstDepthOutside(d.data(), 3, ends, 2), 2u);
    locateDepths(d.data(), 3, ends, 2, s);
    EXPECT_EQ(s[1].layer, 2u);
    EXPECT_EQ(s[1].back, 0.0);
    const double k = 8.0;
    const Spectra bare = needles({}, {0.0}, k, 0.4, Polarization::TM);
    const double h = 1e-6;
    const Spectra up = stackAt({0.0, h}, k, 0.4, Polarization::TM);
    const Spectra down = stackAt({0.0, -h}, k, 0.4, Polarization::TM);
    EXPECT_NEAR(bare.GDD[0], (up.GDD[0] - down.GDD[0]) / (2 * h), 1e-5 * std::fabs(bare.GDD[0]));
    EXPECT_NEAR(bare.R[0], (up.R[0] - down.R[0]) / (2 * h), 1e-6 * std::fabs(bare.R[0]));
}

}  // namespace
