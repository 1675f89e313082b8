// Lanes: several wavenumbers carried side by side through the same layer walk.
//
// Each lane of a vector goes through exactly the arithmetic a double would
// (the same IEEE operations in the same order), so lanes never mix and a NaN
// stays in its own wavenumber. Only the sines and cosines may come from a
// vector routine (VectorTrig), within a few ulp of the C library's.
#pragma once

#include <cstddef>

#include "stack/complex.h"

constexpr std::size_t LANE_COUNT = 4;

// Four doubles with the arithmetic of each applied lane by lane. A struct
// with its alignment fixed, so that code compiled for SSE2 and for AVX2 agrees
// on where a lane vector may sit in memory.
struct alignas(32) Lanes {
    typedef double Raw __attribute__((vector_size(32)));
    Raw v;

    double operator[](std::size_t l) const { return v[l]; }
    void set(std::size_t l, double x) { v[l] = x; }
};

#define LANES_OPERATOR(op)                                                              \
    inline Lanes operator op(const Lanes& a, const Lanes& b) { return {a.v op b.v}; } \
    inline Lanes operator op(const Lanes& a, double b) { return {a.v op b}; }         \
    inline Lanes operator op(double a, const Lanes& b) { return {a op b.v}; }
LANES_OPERATOR(+)
LANES_OPERATOR(-)
LANES_OPERATOR(*)
LANES_OPERATOR(/)
#undef LANES_OPERATOR
inline Lanes operator-(const Lanes& a) { return {-a.v}; }

inline double laneOf(double x, std::size_t) { return x; }
inline double laneOf(const Lanes& x, std::size_t l) { return x[l]; }
inline Complex laneOf(const ComplexOf<double>& x, std::size_t) { return x; }
inline Complex laneOf(const ComplexOf<Lanes>& x, std::size_t l) { return {x.re[l], x.im[l]}; }

inline void setLane(double& x, std::size_t, double value) { x = value; }
inline void setLane(Lanes& x, std::size_t l, double value) { x.set(l, value); }

// The first `count` lanes of v into out[0..count-1].
inline void storeLanes(double* out, std::size_t count, double v)
{
    if (count) out[0] = v;
}
inline void storeLanes(double* out, std::size_t count, const Lanes& v)
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
    static void sinCos(const Lanes& x, Lanes* s, Lanes* c)
    {
        for (std::size_t l = 0; l < LANE_COUNT; ++l) {
            double sl, cl;
            sinCos(x[l], &sl, &cl);
            s->set(l, sl);
            c->set(l, cl);
        }
    }
};

// All lanes at once through the C library's vector routines (AVX2; within
// 4 ulp of the scalar ones). Only for code running where AVX2 is present.
void vectorSinCos(const double* x, double* s, double* c);
struct VectorTrig {
    static void sinCos(const Lanes& x, Lanes* s, Lanes* c)
    {
        vectorSinCos(reinterpret_cast<const double*>(&x), reinterpret_cast<double*>(s),
                     reinterpret_cast<double*>(c));
    }
};

// Which compiled variant of the grid kernels runs.
enum class KernelPath {
    Portable,  // any x86-64: lanes in SSE2 halves, the C library's scalar sin/cos
    Avx2,      // AVX2 lanes and vector sin/cos
};

// The fastest variant this processor runs.
KernelPath fastestKernelPath();
