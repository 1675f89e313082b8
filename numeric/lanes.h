// Lanes: several wavenumbers carried side by side through the same layer walk.
//
// Each lane of a vector goes through exactly the arithmetic a double would
// (the same IEEE operations in the same order), so lanes never mix and a NaN
// stays in its own wavenumber. Only the sines and cosines may come from a
// vector routine (platform/trig.h), within a few ulp of the C library's.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstring>

#include "numeric/complex.h"
#include "numeric/raw_lanes.h"

namespace coat {

// N doubles with the arithmetic of each applied lane by lane. A struct with
// its alignment fixed, so that code compiled for different instruction sets
// agrees on where a lane vector may sit in memory. The raw vector is the one
// compiler-specific piece of the number types: numeric/raw_lanes.h.
template <std::size_t N>
struct alignas(8 * N) LanesOf {
    static constexpr std::size_t COUNT = N;
    typename RawLanes<N>::type v;

    double operator[](std::size_t l) const { return v[l]; }
    // Lane l alone, written as bytes: GCC takes a subscripted store for a
    // read of the whole vector, and would warn of lanes not yet filled.
    void set(std::size_t l, double x)
    {
        std::memcpy(reinterpret_cast<char*>(&v) + l * sizeof x, &x, sizeof x);
    }
};

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
inline constexpr std::size_t laneCountOf<double> = 1;

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

// Lane by lane through the C library: correctly rounded (sqrt) or its exp,
// the same in every lane as for a double.
template <std::size_t N>
inline LanesOf<N> sqrt(const LanesOf<N>& x)
{
    LanesOf<N> y;
    for (std::size_t l = 0; l < N; ++l) y.set(l, std::sqrt(x[l]));
    return y;
}
template <std::size_t N>
inline LanesOf<N> exp(const LanesOf<N>& x)
{
    LanesOf<N> y;
    for (std::size_t l = 0; l < N; ++l) y.set(l, std::exp(x[l]));
    return y;
}

// closingScaleOf (numeric/complex.h) lane by lane.
template <std::size_t N>
inline LanesOf<N> closingScaleOf(const ComplexOf<LanesOf<N>>& f)
{
    LanesOf<N> s;
    for (std::size_t l = 0; l < N; ++l) s.set(l, closingScaleOf(laneOf(f, l)));
    return s;
}

}  // namespace coat
