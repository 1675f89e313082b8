// Accuracy and speed of the vector sine/cosine candidates against a 160-bit
// reference (MPFR): glibc's scalar sincos and libmvec, xsimd, SLEEF and
// Highway, each on AVX2 and AVX-512. Not part of the build: bench/trig_compare.sh
// compiles this file once per instruction set (UNIT_*) and runs it.
#include <cstddef>
#include <cstdlib>

using SinCosN = void (*)(const double* x, double* s, double* c, std::size_t n);

#if defined(UNIT_AVX2) || defined(UNIT_AVX512)
#include <immintrin.h>
#include <sleef.h>

#include <xsimd/xsimd.hpp>
#if defined(UNIT_AVX2)
#define W 4
#define VEC __m256d
#define LOAD _mm256_load_pd
#define STORE _mm256_store_pd
#define MVEC_SIN _ZGVdN4v_sin
#define MVEC_COS _ZGVdN4v_cos
#define SLEEF_U10 Sleef_sincosd4_u10avx2
#define SLEEF_U35 Sleef_sincosd4_u35avx2
#define ARCH xsimd::avx2
#define NAME(x) x##4
#else
#define W 8
#define VEC __m512d
#define LOAD _mm512_load_pd
#define STORE _mm512_store_pd
#define MVEC_SIN _ZGVeN8v_sin
#define MVEC_COS _ZGVeN8v_cos
#define SLEEF_U10 Sleef_sincosd8_u10avx512f
#define SLEEF_U35 Sleef_sincosd8_u35avx512f
#define ARCH xsimd::avx512f
#define NAME(x) x##8
#endif
extern "C" VEC MVEC_SIN(VEC);
extern "C" VEC MVEC_COS(VEC);
void NAME(mvec)(const double* x, double* s, double* c, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += W) {
        const VEC v = LOAD(x + i);
        STORE(s + i, MVEC_SIN(v));
        STORE(c + i, MVEC_COS(v));
    }
}
void NAME(xsimd)(const double* x, double* s, double* c, std::size_t n)
{
    using B = xsimd::batch<double, ARCH>;
    for (std::size_t i = 0; i < n; i += W) {
        const auto r = xsimd::sincos(B::load_aligned(x + i));
        r.first.store_aligned(s + i);
        r.second.store_aligned(c + i);
    }
}
void NAME(sleefU10)(const double* x, double* s, double* c, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += W) {
        const auto r = SLEEF_U10(LOAD(x + i));
        STORE(s + i, r.x);
        STORE(c + i, r.y);
    }
}
void NAME(sleefU35)(const double* x, double* s, double* c, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += W) {
        const auto r = SLEEF_U35(LOAD(x + i));
        STORE(s + i, r.x);
        STORE(c + i, r.y);
    }
}

#elif defined(UNIT_HWY4) || defined(UNIT_HWY8)
#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>
namespace hn = hwy::HWY_NAMESPACE;
#if defined(UNIT_HWY4)
void hwy4(const double* x, double* s, double* c, std::size_t n)
#else
void hwy8(const double* x, double* s, double* c, std::size_t n)
#endif
{
    const hn::ScalableTag<double> d;
    for (std::size_t i = 0; i < n; i += hn::Lanes(d)) {
        const auto v = hn::Load(d, x + i);
        hn::Store(hn::Sin(d, v), d, s + i);
        hn::Store(hn::Cos(d, v), d, c + i);
    }
}

#else  // the driver
#include <mpfr.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

void mvec4(const double*, double*, double*, std::size_t);
void mvec8(const double*, double*, double*, std::size_t);
void xsimd4(const double*, double*, double*, std::size_t);
void xsimd8(const double*, double*, double*, std::size_t);
void sleefU104(const double*, double*, double*, std::size_t);
void sleefU108(const double*, double*, double*, std::size_t);
void sleefU354(const double*, double*, double*, std::size_t);
void sleefU358(const double*, double*, double*, std::size_t);
void hwy4(const double*, double*, double*, std::size_t);
void hwy8(const double*, double*, double*, std::size_t);

void glibcScalar(const double* x, double* s, double* c, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) sincos(x[i], s + i, c + i);
}

// |y - exact| in units of the last place of the exact value.
double ulpError(double y, mpfr_t exact, mpfr_t scratch)
{
    mpfr_sub_d(scratch, exact, y, MPFR_RNDN);
    long e;
    mpfr_get_d_2exp(&e, exact, MPFR_RNDN);
    return std::fabs(mpfr_get_d(scratch, MPFR_RNDN)) / std::ldexp(1.0, std::max(e - 53, -1074L));
}

int main(int argc, char** argv)
{
    const std::size_t N = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200000;
    const struct {
        const char* name;
        SinCosN f;
    } candidates[] = {{"glibc sincos (scalar)", glibcScalar}, {"libmvec AVX2", mvec4},
                      {"libmvec AVX-512", mvec8},            {"xsimd 8.1 AVX2", xsimd4},
                      {"xsimd 8.1 AVX-512", xsimd8},         {"SLEEF 3.5 u10 AVX2", sleefU104},
                      {"SLEEF 3.5 u10 AVX-512", sleefU108},  {"SLEEF 3.5 u35 AVX2", sleefU354},
                      {"SLEEF 3.5 u35 AVX-512", sleefU358},  {"Highway 1.0 AVX2", hwy4},
                      {"Highway 1.0 AVX-512", hwy8}};
    const struct {
        const char* name;
        double lo, hi;
    } ranges[] = {{"[0.5, 3.2]", 0.5, 3.2}, {"[0, 1e4]", 0, 1e4}, {"[1e4, 2e4]", 1e4, 2e4}};
    std::mt19937_64 draw(1);
    std::vector<std::vector<double>> args;
    for (const auto& r : ranges) {
        std::uniform_real_distribution<double> u(r.lo, r.hi);
        args.emplace_back(N);
        for (double& x : args.back()) x = u(draw);
    }
    auto* x = static_cast<double*>(std::aligned_alloc(64, N * 8));
    auto* s = static_cast<double*>(std::aligned_alloc(64, N * 8));
    auto* c = static_cast<double*>(std::aligned_alloc(64, N * 8));
    mpfr_t X, S, C, T;
    mpfr_inits2(160, X, S, C, T, static_cast<mpfr_ptr>(nullptr));
    std::printf("| candidate | max ulp sin, cos on [0.5, 3.2] | on [0, 1e4] | on [1e4, 2e4] "
                "| ns per sin+cos, [0.5, 3.2] | [0, 1e4] |\n|---|---|---|---|---|---|\n");
    for (const auto& cand : candidates) {
        std::printf("| %s", cand.name);
        for (const auto& a : args) {
            std::copy(a.begin(), a.end(), x);
            cand.f(x, s, c, N);
            double worstS = 0, worstC = 0;
            for (std::size_t i = 0; i < N; ++i) {
                mpfr_set_d(X, x[i], MPFR_RNDN);
                mpfr_sin_cos(S, C, X, MPFR_RNDN);
                worstS = std::max(worstS, ulpError(s[i], S, T));
                worstC = std::max(worstC, ulpError(c[i], C, T));
            }
            std::printf(" | %.2f, %.2f", worstS, worstC);
        }
        for (std::size_t r = 0; r < 2; ++r) {  // best of 30 runs over 4096 values
            const std::size_t M = std::min<std::size_t>(4096, N / 8 * 8);
            std::copy(args[r].begin(), args[r].begin() + M, x);
            double best = 1e9;
            for (int rep = 0; rep < 30; ++rep) {
                const auto t0 = std::chrono::steady_clock::now();
                for (int k = 0; k < 50; ++k) cand.f(x, s, c, M);
                const auto t1 = std::chrono::steady_clock::now();
                best = std::min(best,
                                std::chrono::duration<double, std::nano>(t1 - t0).count() / (50.0 * M));
            }
            std::printf(" | %.2f", best);
        }
        std::printf(" |\n");
        std::fflush(stdout);
    }
}
#endif
