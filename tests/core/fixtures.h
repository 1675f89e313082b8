// Running the module kernels on a TestStack at one wavenumber.
#pragma once

#include <vector>

#include "delay/delay.h"
#include "delay/layer_tables.h"
#include "dispersion/dispersion.h"
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
