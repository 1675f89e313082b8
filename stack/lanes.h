// Lanes: several wavenumbers carried side by side through the same layer walk.
//
// Each lane of a vector goes through exactly the arithmetic a double would
// (the same IEEE operations in the same order), so lanes never mix and a NaN
// stays in its own wavenumber. Only the sines and cosines may come from a
// vector routine (VectorTrig), within a few ulp of the C library's.
#pragma once

#include <cstddef>

#include "stack/complex.h"

// N doubles with the arithmetic of each applied lane by lane. A struct with
// its alignment fixed, so that code compiled for different instruction sets
// agrees on where a lane vector may sit in memory.
template <std::size_t N>
struct RawLanes;  // GCC's vector of N doubles
template <>
struct RawLanes<4> {
    typedef double type __attribute__((vector_size(32)));
};
template <>
struct RawLanes<8> {
    typedef double type __attribute__((vector_size(64)));
};

template <std::size_t N>
struct alignas(8 * N) LanesOf {
    static constexpr std::size_t COUNT = N;
    typename RawLanes<N>::type v;

    double operator[](std::size_t l) const { return v[l]; }
    void set(std::size_t l, double x) { v[l] = x; }
};
using Lanes = LanesOf<4>;      // one AVX2 register, or two SSE2 halves
using WideLanes = LanesOf<8>;  // one AVX-512 register

#define LANES_OPERATOR(op)                                                                    \
    template <std::size_t N>                                                                  \
    inline LanesOf<N> operator op(const LanesOf<N>& a, const LanesOf<N>& b)                   \
    {                                                                                         \
        return {a.v op b.v};                                                                  \
    }                                                                                         \
    template <std::size_t N>                                                                  \
    inline LanesOf<N> operator op(const LanesOf<N>& a, double b)                              \
    {                                                                                         \
        return {a.v op b};                                                                    \
    }                                                                                         \
    template <std::size_t N>                                                                  \
    inline LanesOf<N> operator op(double a, const LanesOf<N>& b)                              \
    {                                                                                         \
        return {a op b.v};                                                                    \
    }
LANES_OPERATOR(+)
LANES_OPERATOR(-)
LANES_OPERATOR(*)
LANES_OPERATOR(/)
#undef LANES_OPERATOR
template <std::size_t N>
inline LanesOf<N> operator-(const LanesOf<N>& a)
{
    return {-a.v};
}

// How many wavenumbers a value of type V carries.
template <class V>
constexpr std::size_t laneCountOf = V::COUNT;
template <>
constexpr std::size_t laneCountOf<double> = 1;

inline double laneOf(double x, std::size_t) { return x; }
template <std::size_t N>
inline double laneOf(const LanesOf<N>& x, std::size_t l)
{
    return x[l];
}
inline Complex laneOf(const ComplexOf<double>& x, std::size_t) { return x; }
template <std::size_t N>
inline Complex laneOf(const ComplexOf<LanesOf<N>>& x, std::size_t l)
{
    return {x.re[l], x.im[l]};
}

inline void setLane(double& x, std::size_t, double value) { x = value; }
template <std::size_t N>
inline void setLane(LanesOf<N>& x, std::size_t l, double value)
{
    x.set(l, value);
}

// The first `count` lanes of v into out[0..count-1].
inline void storeLanes(double* out, std::size_t count, double v)
{
    if (count) out[0] = v;
}
template <std::size_t N>
inline void storeLanes(double* out, std::size_t count, const LanesOf<N>& v)
{
    for (std::size_t l = 0; l < count; ++l) out[l] = v[l];
}

// sin and cos from the C library, one value at a time.
struct ExactTrig {
    static void sinCos(double x, double* s, double* c)
    {
#if defined(__GLIBC__)
        ::sincos(x, s, c);
#else
        *s = std::sin(x);
        *c = std::cos(x);
#endif
    }
    template <std::size_t N>
    static void sinCos(const LanesOf<N>& x, LanesOf<N>* s, LanesOf<N>* c)
    {
        for (std::size_t l = 0; l < N; ++l) {
            double sl, cl;
            sinCos(x[l], &sl, &cl);
            s->set(l, sl);
            c->set(l, cl);
        }
    }
};

// All lanes at once through the C library's vector routines (within 4 ulp of
// the scalar ones): four lanes with AVX2, eight with AVX-512. Only for code
// running where that instruction set is present.
void vectorSinCos(const double* x, double* s, double* c);
void wideVectorSinCos(const double* x, double* s, double* c);
struct VectorTrig {
    static void sinCos(const Lanes& x, Lanes* s, Lanes* c)
    {
        vectorSinCos(reinterpret_cast<const double*>(&x), reinterpret_cast<double*>(s),
                     reinterpret_cast<double*>(c));
    }
    static void sinCos(const WideLanes& x, WideLanes* s, WideLanes* c)
    {
        wideVectorSinCos(reinterpret_cast<const double*>(&x), reinterpret_cast<double*>(s),
                         reinterpret_cast<double*>(c));
    }
};

// Which compiled variant of the grid kernels runs; each runs wherever the
// ones before it do.
enum class KernelPath {
    Portable,  // any x86-64: four lanes in SSE2 halves, the C library's scalar sin/cos
    Avx2,      // four lanes in AVX2, vector sin/cos
    Avx512,    // eight lanes in AVX-512, vector sin/cos
};

// The fastest variant this processor runs.
KernelPath fastestKernelPath();
