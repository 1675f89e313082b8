#include "geometry/depth.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace coat {

namespace {

// A total summed in another order may exceed the running sum by its
// rounding: up to that much beyond it is the bottom of the stack.
double depthSlack(double total, std::size_t L) { return total * double(L) * std::ldexp(1.0, -52); }

}  // namespace

std::size_t firstDepthOutside(const double* d, std::size_t L, const double* z, std::size_t P)
{
    double total = 0;
    for (std::size_t j = 0; j < L; ++j) total += d[j];
    const double slack = depthSlack(total, L);
    for (std::size_t p = 0; p < P; ++p)
        if (!(z[p] >= 0 && z[p] <= total + slack)) return p;  // NaN too
    return P;
}

void locateDepths(const double* d, std::size_t L, const double* z, std::size_t P,
                  DepthSite* sites)
{
    // Boundaries as the running sum that cumsum(d) gives, so that a depth
    // taken from it falls exactly on a boundary.
    std::vector<double> boundary(L + 1);
    boundary[0] = 0;
    for (std::size_t j = 0; j < L; ++j) boundary[j + 1] = boundary[j] + d[j];
    const double total = boundary[L];
    for (std::size_t p = 0; p < P; ++p) {
        const double depth = std::fmin(z[p], total);
        // The deepest layer whose front is at or above the depth.
        const std::size_t j =
            L < 2 ? 0
                  : std::size_t(std::upper_bound(boundary.begin() + 1, boundary.begin() + L, depth) -
                                (boundary.begin() + 1));
        sites[p] = {j, depth - boundary[j], L ? boundary[j + 1] - depth : 0.0};
    }
}

}  // namespace coat
