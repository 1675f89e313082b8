// Running the module kernels on a TestStack at one wavenumber.
#pragma once

#include <vector>

#include "delay/delay.h"
#include "delay/layer_tables.h"
#include "dispersion/dispersion.h"
#include "engine/full_dispersion.h"
#include "gradient/gradient.h"
#include "reference.h"

struct IndexSlopes {
    double nA = 0, nB = 0, nS = 0;  // dn/dk in um
};

struct Outputs {
    double R, GD, GDD;
    std::vector<double> dR, dGD;
};

enum class Kernel { Reflectance, Delay, Tables, Dispersion, Gradient };

inline Outputs evaluate(Kernel kernel, const TestStack& s, double k, Polarization pol,
                        IndexSlopes slopes = {}, KernelPath path = fastestKernelPath())
{
    const double n[3] = {s.nA, s.nB, s.nS};
    const double np[3] = {slopes.nA, slopes.nB, slopes.nS};
    const StackGrid grid = {&k, 1, s.d.data(), s.d.size(), s.na, n, np, s.theta};
    Outputs out = {0, 0, 0, std::vector<double>(s.d.size()), std::vector<double>(s.d.size())};
    switch (kernel) {
    case Kernel::Reflectance:
        reflectanceOverGrid(grid, &out.R, path);
        break;
    case Kernel::Delay:
        delayOverGrid(grid, pol, &out.R, &out.GD, path);
        break;
    case Kernel::Tables:
        physicalClosingDelayOverGrid(grid, pol, &out.R, &out.GD, path);
        break;
    case Kernel::Dispersion:
        dispersionOverGrid(grid, pol, &out.R, &out.GD, &out.GDD, path);
        break;
    case Kernel::Gradient:
        gradientOverGrid(grid, pol, &out.R, &out.GD, out.dR.data(), out.dGD.data(), path);
        break;
    }
    return out;
}

// A stack of alternating quarter-wave-ish layers with uneven thicknesses, so
// that no symmetry hides a fault.
inline TestStack unevenStack(std::size_t L, double theta, double nS = 1.52)
{
    TestStack s = {2.3, 1.45, nS, 1.0, theta, {}};
    for (std::size_t j = 0; j < L; ++j)
        s.d.push_back((j % 2 ? 0.138 : 0.087) * (1 + 0.37 * std::sin(1.3 * double(j) + 0.4)));
    return s;
}

// n' (um) and n'' (um^2) of A, B and the substrate, 3 per wavenumber for K
// wavenumbers: different at every wavenumber and in every material, so that a
// kernel reading another wavenumber's (its lane group's first, say) fails.
inline std::vector<double> slopeColumns(std::size_t K)
{
    std::vector<double> np;
    for (std::size_t i = 0; i < K; ++i) {
        const double x = double(i);
        np.insert(np.end(), {0.021 + 0.006 * std::sin(1.3 * x), 0.0043 + 0.003 * std::cos(0.9 * x),
                             0.0051 + 0.004 * std::sin(2.3 * x)});
    }
    return np;
}
inline std::vector<double> curvatureColumns(std::size_t K)
{
    std::vector<double> npp;
    for (std::size_t i = 0; i < K; ++i) {
        const double x = double(i);
        npp.insert(npp.end(), {0.0042 + 0.003 * std::cos(1.1 * x),
                               0.0009 + 0.0008 * std::sin(1.9 * x),
                               -0.0007 + 0.0005 * std::cos(2.9 * x)});
    }
    return npp;
}

// A quarter-wave mirror of L layers of 2.3 / 1.45 about k0, each thickness
// off by up to 4 % (no symmetry hides a fault). In its stop band the rows of
// every walk grow like (2.3/1.45)^(L/2): past 2^64 from about 200 layers on.
inline TestStack mirrorStack(std::size_t L, double k0, double theta)
{
    TestStack s = unevenStack(L, theta);
    const double PI = 3.14159265358979323846;
    for (std::size_t j = 0; j < L; ++j)
        s.d[j] = PI / 2 / (k0 * normalIndex(j % 2 ? s.nB : s.nA, s.na, s.theta)) *
                 (1 + 0.04 * std::sin(2.1 * double(j)));
    return s;
}

// T of the stack at k by the jet engine, |t|^2 Y_S / Y_a with |t| = 1/|w_1|:
// below 2^-140 the rows have passed 2^64 by a margin.
inline double transmittanceOf(const TestStack& s, double k, Polarization pol)
{
    const double n[3] = {s.nA, s.nB, s.nS};
    const FullDispersionGrid g = {{&k, 1, s.d.data(), s.d.size(), s.na, n, nullptr, s.theta},
                                  nullptr, 0, 0, 0};
    const std::vector<int> materials = alternatingMaterials(s.d.size());
    double T = 0;
    ResponseRequest request = {};
    request.value[QUANTITY_T] = &T;
    responseOverGrid(alternatingStack(g, pol, materials), request);
    return T;
}
