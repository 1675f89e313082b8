// Per-wavenumber kernels of every module over K = 1000 wavenumbers and
// L = 10, 100, 1000 layers, beside the floor every layer step must pay: one
// sine and one cosine of the same layer phases.
//
// Reported per layer and wavenumber: the counter "per_layer" is seconds per
// (layer x wavenumber); bench/run.sh turns it into ns and ratios.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "delay/delay.h"
#include "delay/layer_tables.h"
#include "dispersion/dispersion.h"
#include "gradient/gradient.h"

namespace {

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
            const double target = 0.7 + 1.6 * double(j % 17) / 16.0;  // phase at k = 8.1
            d.push_back(target / (8.1 * (j % 2 ? 1.45 : 2.3)));
        }
        grid = {k.data(), K, d.data(), L, 1.0, n.data(), nPrime.data(), 0.2};
    }
    std::size_t L() const { return d.size(); }
};

void reportPerLayer(benchmark::State& state, std::size_t L)
{
    state.counters["per_layer"] = benchmark::Counter(
        double(K * L), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Floor_SinCos(benchmark::State& state)
{
    const Workload w(state.range(0));
    const double tau = tangentialIndexSquared(w.grid.na, w.grid.theta);
    std::vector<double> phases;
    for (std::size_t i = 0; i < K; ++i) {
        const InterfaceCoefficients c =
            interfaceCoefficients(2.3, 1.45, 1.52, 1.0, tau, std::cos(0.2), w.k[i], Polarization::TE);
        for (std::size_t j = 0; j < w.L(); ++j)
            phases.push_back(c.beta[slotOfLayer(j).material] * w.d[j]);
    }
    for (auto _ : state) {
        double sum = 0;
        for (double p : phases) {
            double s, c;
            sinCos(p, &s, &c);
            sum += s + c;
        }
        benchmark::DoNotOptimize(sum);
    }
    reportPerLayer(state, w.L());
}

void Coatrefl2(benchmark::State& state)
{
    const Workload w(state.range(0));
    std::vector<double> R(K);
    for (auto _ : state) {
        reflectanceOverGrid(w.grid, R.data());
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

void Coatdelay2(benchmark::State& state)
{
    const Workload w(state.range(0));
    std::vector<double> R(K), GD(K);
    for (auto _ : state) {
        delayOverGrid(w.grid, Polarization::TE, R.data(), GD.data());
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

void CoatdelayChecked(benchmark::State& state)
{
    const Workload w(state.range(0));
    std::vector<double> R(K), GD(K);
    LayerTables t(w.L());
    for (auto _ : state) {
        tableDelayOverGrid(w.grid, Polarization::TE, t, R.data(), GD.data());
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

void Coatdisp(benchmark::State& state)
{
    const Workload w(state.range(0));
    std::vector<double> R(K), GD(K), GDD(K);
    for (auto _ : state) {
        dispersionOverGrid(w.grid, Polarization::TE, R.data(), GD.data(), GDD.data());
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

void Coatdelaygrad(benchmark::State& state)
{
    const Workload w(state.range(0));
    std::vector<double> R(K), GD(K), dR(K * w.L()), dGD(K * w.L());
    LayerTables t(w.L());
    GradientTables gt(w.L());
    for (auto _ : state) {
        gradientOverGrid(w.grid, Polarization::TE, t, gt, R.data(), GD.data(), dR.data(),
                         dGD.data());
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

#define LAYER_COUNTS ->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond)
BENCHMARK(Floor_SinCos) LAYER_COUNTS;
BENCHMARK(Coatrefl2) LAYER_COUNTS;
BENCHMARK(Coatdelay2) LAYER_COUNTS;
BENCHMARK(CoatdelayChecked) LAYER_COUNTS;
BENCHMARK(Coatdisp) LAYER_COUNTS;
BENCHMARK(Coatdelaygrad) LAYER_COUNTS;

}  // namespace

BENCHMARK_MAIN();
