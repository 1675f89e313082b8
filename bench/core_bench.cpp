// Per-wavenumber kernels of every module over K = 1000 wavenumbers and
// L = 10, 100, 1000 layers, beside the floor every layer step must pay: one
// sine and one cosine of the same layer phases.
//
// Reported per layer and wavenumber: the counter "per_layer" is seconds per
// (layer x wavenumber); bench/run.sh turns it into ns and ratios.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "delay/delay.h"
#include "delay/layer_tables.h"
#include "dispersion/dispersion.h"
#include "engine/full_dispersion.h"
#include "gradient/gradient.h"
#include "profile/alternating_needles.h"
#include "profile/profile.h"
#include "workload.h"

using namespace coat;

namespace {

using bench::K;
using bench::Workload;

// Second benchmark argument: the kernel path, 0 portable (scalar sin and
// cos), 1 AVX2, 2 AVX-512, 3 NEON (vector sin and cos).
KernelPath pathOf(benchmark::State& state)
{
    const KernelPath path = static_cast<KernelPath>(state.range(1));
    if (!kernelPathRuns(path)) state.SkipWithError("this build or processor lacks that path");
    return path;
}

void reportPerLayer(benchmark::State& state, std::size_t L)
{
    state.counters["per_layer"] = benchmark::Counter(
        double(K * L), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The layer phases the kernels see, wavenumber by wavenumber.
std::vector<double> layerPhases(const Workload& w)
{
    const double tau = tangentialIndexSquared(w.grid.na, w.grid.theta);
    std::vector<double> phases;
    for (std::size_t i = 0; i < K; ++i) {
        const InterfaceCoefficients c = interfaceCoefficients(
            2.3, 1.45, 1.52, w.grid.na, tau, std::cos(w.grid.theta), w.k[i], Polarization::TE);
        for (std::size_t j = 0; j < w.L(); ++j)
            phases.push_back(c.beta[slotOfLayer(j).material] * w.d[j]);
    }
    return phases;
}

// Called through pointers the compiler cannot see through, so that a sine
// and a cosine of one argument stay two calls instead of being merged.
double (*volatile sineCall)(double) = std::sin;
double (*volatile cosineCall)(double) = std::cos;

void Floor_SinPlusCos(benchmark::State& state)
{
    const Workload w(state.range(0));
    const std::vector<double> phases = layerPhases(w);
    double (*sine)(double) = sineCall;
    double (*cosine)(double) = cosineCall;
    for (auto _ : state) {
        double sum = 0;
        for (double p : phases) sum += sine(p) + cosine(p);
        benchmark::DoNotOptimize(sum);
    }
    reportPerLayer(state, w.L());
}

void Floor_SinCos(benchmark::State& state)
{
    const Workload w(state.range(0));
    const std::vector<double> phases = layerPhases(w);
    for (auto _ : state) {
        double sum = 0;
        for (double p : phases) {
            double s, c;
            ExactTrig::sinCos(p, &s, &c);
            sum += s + c;
        }
        benchmark::DoNotOptimize(sum);
    }
    reportPerLayer(state, w.L());
}

void Coatrefl2(benchmark::State& state)
{
    const Workload w(state.range(0));
    const KernelPath path = pathOf(state);
    std::vector<double> R(K);
    for (auto _ : state) {
        reflectanceOverGrid(w.grid, R.data(), path);
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

void Coatdelay2(benchmark::State& state)
{
    const Workload w(state.range(0));
    const KernelPath path = pathOf(state);
    std::vector<double> R(K), GD(K);
    for (auto _ : state) {
        delayOverGrid(w.grid, Polarization::TE, R.data(), GD.data(), path);
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

void CoatdelayChecked(benchmark::State& state)
{
    const Workload w(state.range(0));
    const KernelPath path = pathOf(state);
    std::vector<double> R(K), GD(K);
    for (auto _ : state) {
        physicalClosingDelayOverGrid(w.grid, Polarization::TE, R.data(), GD.data(), path);
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

void Coatdisp(benchmark::State& state)
{
    const Workload w(state.range(0));
    const KernelPath path = pathOf(state);
    std::vector<double> R(K), GD(K), GDD(K);
    for (auto _ : state) {
        dispersionOverGrid(w.grid, Polarization::TE, R.data(), GD.data(), GDD.data(), path);
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

void Coatdelaygrad(benchmark::State& state)
{
    const Workload w(state.range(0));
    const KernelPath path = pathOf(state);
    std::vector<double> R(K), GD(K), dR(K * w.L()), dGD(K * w.L());
    for (auto _ : state) {
        gradientOverGrid(w.grid, Polarization::TE, R.data(), GD.data(), dR.data(), dGD.data(),
                         path);
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

// Full dispersion: the outputs asked for set the work. Range 2: 0 for R, GD
// and GDD alone, 1 for all six outputs.
void Coatdispgrad(benchmark::State& state)
{
    const Workload w(state.range(0));
    const KernelPath path = pathOf(state);
    const bool gradients = state.range(2) != 0;
    std::vector<double> R(K), GD(K), GDD(K), dR(K * w.L()), dGD(K * w.L()), dGDD(K * w.L());
    const std::vector<double> nSecond(3 * K, 0.001);
    const FullDispersionGrid grid = {w.grid, nSecond.data(), 3, 3, 3};
    const FullDispersionOutputs out = {
        R.data(),  GD.data(), GDD.data(), gradients ? dR.data() : nullptr,
        gradients ? dGD.data() : nullptr, gradients ? dGDD.data() : nullptr};
    for (auto _ : state) {
        fullDispersionOverGrid(grid, Polarization::TE, out, path);
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

// Needle derivatives, all three outputs, at P depths spread over the whole
// stack (range 2), on the workload of Coatdispgrad.
void Coatneedle(benchmark::State& state)
{
    const Workload w(state.range(0));
    const KernelPath path = pathOf(state);
    const std::size_t P = state.range(2);
    const std::vector<double> nSecond(3 * K, 0.001);
    const FullDispersionGrid grid = {w.grid, nSecond.data(), 3, 3, 3};
    double total = 0;
    for (double t : w.d) total += t;
    std::vector<double> z(P);
    for (std::size_t p = 0; p < P; ++p) z[p] = total * (double(p) + 0.5) / double(P);
    std::vector<DepthSite> sites(P);
    locateDepths(w.d.data(), w.L(), z.data(), P, sites.data());
    std::vector<double> nR(P * K), nGD(P * K), nGDD(P * K);
    for (auto _ : state) {
        needleOverGrid(grid, Polarization::TE, sites.data(), P, {nR.data(), nGD.data(), nGDD.data()},
                       path);
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, w.L());
}

// coatresponse on the workload's stack, the question of range 2:
//   0  R, GD, GDD, real indices, A and B alternating (M = 2)
//   1  the same with absorbing layers (Im n of 1e-3 and 1e-4)
//   2  case 0 and TOD
//   3  R, GD, GDD, dR, dGD, dGDD, real (coatdispgrad's six)
//   4  g of a merit of R and GDD (weights per wavenumber), real
//   5  R and GDD alone, real: the values of that merit
//   6  case 0 with five materials in turn (M = 5)
//   7  R alone, real (what coatprofile's E2 alone compares with)
void Coatresponse(benchmark::State& state)
{
    const Workload w(state.range(0));
    const KernelPath path = pathOf(state);
    const int question = int(state.range(2));
    const std::size_t L = w.L(), M = question == 6 ? 5 : 2;
    std::vector<int> material(L);
    for (std::size_t j = 0; j < L; ++j) material[j] = int(j % M);
    std::vector<double> n(M + 1), nIm(M + 1, 0.0), np(M + 1), npp(M + 1, 0.001);
    for (std::size_t x = 0; x <= M; ++x) {
        n[x] = x == M ? 1.52 : (x % 2 ? 1.45 : 2.3) + 0.01 * double(x / 2);
        np[x] = x == M ? 0.005 : (x % 2 ? 0.004 : 0.02);
    }
    if (question == 1) {
        nIm[0] = 1e-3;
        nIm[1] = 1e-4;
    }
    LayeredStack s = {w.k.data(), K, w.d.data(), L, material.data(), M, 1.0, 0.2,
                      {n.data(), question == 1 ? nIm.data() : nullptr, 0},
                      {np.data(), nullptr, 0}, {npp.data(), nullptr, 0}, Polarization::TE};
    std::vector<double> values[QUANTITY_COUNT], gradients[QUANTITY_COUNT];
    std::vector<double> weights(K, 0.5), g(L);
    ResponseRequest request = {};
    auto value = [&](int q) { values[q].resize(K); request.value[q] = values[q].data(); };
    auto gradient = [&](int q) {
        gradients[q].resize(L * K);
        request.gradient[q] = gradients[q].data();
    };
    if (question <= 3 || question == 6)
        for (int q : {QUANTITY_R, QUANTITY_GD, QUANTITY_GDD}) value(q);
    if (question == 2) value(QUANTITY_TOD);
    if (question == 3)
        for (int q : {QUANTITY_R, QUANTITY_GD, QUANTITY_GDD}) gradient(q);
    if (question == 4) {
        for (int q : {QUANTITY_R, QUANTITY_GDD}) {
            request.weight[q] = weights.data();
            request.weightStride[q] = 1;
        }
        request.g = g.data();
    }
    if (question == 5)
        for (int q : {QUANTITY_R, QUANTITY_GDD}) value(q);
    if (question == 7) value(QUANTITY_R);
    for (auto _ : state) {
        responseOverGrid(s, request, path);
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, L);
}

// coatprofile on the workload's stack at P depths spread over it (range 2),
// the question of range 3:
//   0  E2 alone
//   1  the needle derivatives of R, GD and GDD (a needle of the other material)
//   2  ng of a merit of R and GDD
void Coatprofile(benchmark::State& state)
{
    const Workload w(state.range(0));
    const KernelPath path = pathOf(state);
    const std::size_t L = w.L(), P = std::size_t(state.range(2));
    const int question = int(state.range(3));
    std::vector<int> material(L);
    for (std::size_t j = 0; j < L; ++j) material[j] = int(j % 2);
    const double n[3] = {2.3, 1.45, 1.52}, np[3] = {0.02, 0.004, 0.005}, npp[3] = {0.001, 0.001, 0};
    const LayeredStack s = {w.k.data(), K, w.d.data(), L, material.data(), 2, 1.0, 0.2,
                            {n, nullptr, 0}, {np, nullptr, 0}, {npp, nullptr, 0},
                            Polarization::TE};
    double total = 0;
    for (double t : w.d) total += t;
    std::vector<double> z(P);
    for (std::size_t p = 0; p < P; ++p) z[p] = total * (double(p) + 0.5) / double(P);
    std::vector<DepthSite> sites(P);
    locateDepths(w.d.data(), L, z.data(), P, sites.data());
    std::vector<int> needle(P);
    for (std::size_t p = 0; p < P; ++p) needle[p] = 1 - material[sites[p].layer];
    std::vector<double> E2(P * K), nR(P * K), nGD(P * K), nGDD(P * K), ng(P), weights(K, 0.5);
    ProfileRequest request = {};
    if (question == 0) request.E2 = E2.data();
    if (question == 1) {
        request.needle[QUANTITY_R] = nR.data();
        request.needle[QUANTITY_GD] = nGD.data();
        request.needle[QUANTITY_GDD] = nGDD.data();
    }
    if (question == 2) {
        for (int q : {QUANTITY_R, QUANTITY_GDD}) {
            request.weight[q] = weights.data();
            request.weightStride[q] = 1;
        }
        request.ng = ng.data();
    }
    for (auto _ : state) {
        profileOverGrid(s, sites.data(), needle.data(), P, request, path);
        benchmark::ClobberMemory();
    }
    reportPerLayer(state, L);
}

// Threads (real time, COAT_THREADS set for the run): range 0 the kernel (0
// coatdispgrad with all six outputs, 1 coatresponse with R, GD, GDD and their
// gradients), range 1 the thread count, range 2 the call (0: K = 1000,
// L = 100; 1: K = 50, L = 20, below the threshold, on the calling thread).
void Threaded(benchmark::State& state)
{
    const bool small = state.range(2) != 0;
    const Workload w(small ? 20 : 100);
    const std::size_t Kc = small ? 50 : K, L = w.L();
    const std::string threads = std::to_string(state.range(1));
    setenv("COAT_THREADS", threads.c_str(), 1);
    std::vector<int> material(L);
    for (std::size_t j = 0; j < L; ++j) material[j] = int(j % 2);
    const std::vector<double> nSecond(3 * K, 0.001);
    StackGrid g = w.grid;
    g.K = Kc;
    const FullDispersionGrid grid = {g, nSecond.data(), 3, 3, 3};
    const LayeredStack s = alternatingStack(grid, Polarization::TE, material);
    std::vector<double> out[6];
    for (auto& o : out) o.resize(Kc * L);
    ResponseRequest request = {};
    const int qs[3] = {QUANTITY_R, QUANTITY_GD, QUANTITY_GDD};
    for (int i = 0; i < 3; ++i) {
        request.value[qs[i]] = out[i].data();
        request.gradient[qs[i]] = out[3 + i].data();
    }
    for (auto _ : state) {
        if (state.range(0) == 0)
            fullDispersionOverGrid(grid, Polarization::TE,
                                   {out[0].data(), out[1].data(), out[2].data(), out[3].data(),
                                    out[4].data(), out[5].data()});
        else
            responseOverGrid(s, request);
        benchmark::ClobberMemory();
    }
    unsetenv("COAT_THREADS");
}

#define FLOOR_LAYER_COUNTS ->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond)
BENCHMARK(Floor_SinPlusCos)->ArgName("L") FLOOR_LAYER_COUNTS;
BENCHMARK(Floor_SinCos)->ArgName("L") FLOOR_LAYER_COUNTS;
#define LAYER_COUNTS                                                          \
    ->ArgsProduct({{10, 100, 1000}, {0, 1, 2, 3}})->ArgNames({"L", "path"}) \
        ->Unit(benchmark::kMicrosecond)
BENCHMARK(Coatrefl2) LAYER_COUNTS;
BENCHMARK(Coatdelay2) LAYER_COUNTS;
BENCHMARK(CoatdelayChecked) LAYER_COUNTS;
BENCHMARK(Coatdisp) LAYER_COUNTS;
BENCHMARK(Coatdelaygrad) LAYER_COUNTS;
BENCHMARK(Coatdispgrad)
    ->ArgsProduct({{10, 100, 1000}, {0, 1, 2, 3}, {0, 1}})
    ->ArgNames({"L", "path", "gradients"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(Coatresponse)
    ->ArgsProduct({{100, 1000}, {0, 1, 2, 3}, {0, 1, 2, 3, 4, 5, 6, 7}})
    ->ArgNames({"L", "path", "question"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(Coatprofile)
    ->ArgsProduct({{100}, {0, 1, 2, 3}, {100, 1000}, {0, 1, 2}})
    ->ArgNames({"L", "path", "P", "question"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(Threaded)
    ->ArgsProduct({{0, 1}, {1, 2}, {0, 1}})
    ->ArgNames({"kernel", "threads", "small"})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(Coatneedle)
    ->ArgsProduct({{100}, {0, 1, 2, 3}, {100, 1000}})
    ->ArgNames({"L", "path", "P"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
