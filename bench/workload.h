// The benchmarks' workload: a chirped stack around 800 nm over K = 1000
// wavenumbers.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "stack/stack.h"

using namespace coat;

namespace bench {

const std::size_t K = 1000;

// A chirped stack around 800 nm whose layer phases spread over 0.5 to 3.2 rad
// across the grid, as in a dispersive mirror.
struct Workload {
    std::vector<double> k, d, n, nPrime;
    StackGrid grid;

    explicit Workload(std::size_t L)
    {
        for (std::size_t i = 0; i < K; ++i) {
            k.push_back(6.6 + 3.0 * double(i) / double(K - 1));
            const double t[3] = {2.3, 1.45, 1.52}, tp[3] = {0.02, 0.004, 0.005};
            n.insert(n.end(), t, t + 3);
            nPrime.insert(nPrime.end(), tp, tp + 3);
        }
        for (std::size_t j = 0; j < L; ++j) {
            const double target = 0.6 + 2.1 * double(j % 17) / 16.0;  // phase at k = 8.1
            d.push_back(target / (8.1 * (j % 2 ? 1.45 : 2.3)));
        }
        grid = {k.data(), K, d.data(), L, 1.0, n.data(), nPrime.data(), 0.2};
    }
    std::size_t L() const { return d.size(); }
};

}  // namespace bench
