// The raw vector of N doubles under LanesOf<N>: the one place where the
// number types depend on the compiler.
//
// GCC and Clang: a vector extension type, so that each operation is one
// vector instruction in the variant compiled for its instruction set. Other
// compilers (MSVC): a plain array with the same lane-by-lane arithmetic, which
// gives the same numbers, lane by lane, at scalar speed.
#pragma once

#include <cstddef>

namespace coat {

#if defined(__GNUC__) || defined(__clang__)

template <std::size_t N>
struct RawLanes;
template <>
struct RawLanes<2> {
    typedef double type __attribute__((vector_size(16)));
};
template <>
struct RawLanes<4> {
    typedef double type __attribute__((vector_size(32)));
};
template <>
struct RawLanes<8> {
    typedef double type __attribute__((vector_size(64)));
};

#else

template <std::size_t N>
struct PlainLanes {
    double x[N];
    double& operator[](std::size_t l) { return x[l]; }
    double operator[](std::size_t l) const { return x[l]; }
};

#define PLAIN_LANES_OPERATOR(op)                                                        \
    template <std::size_t N>                                                            \
    inline PlainLanes<N> operator op(const PlainLanes<N>& a, const PlainLanes<N>& b)    \
    {                                                                                   \
        PlainLanes<N> r;                                                                \
        for (std::size_t l = 0; l < N; ++l) r.x[l] = a.x[l] op b.x[l];                  \
        return r;                                                                       \
    }                                                                                   \
    template <std::size_t N>                                                            \
    inline PlainLanes<N> operator op(const PlainLanes<N>& a, double b)                  \
    {                                                                                   \
        PlainLanes<N> r;                                                                \
        for (std::size_t l = 0; l < N; ++l) r.x[l] = a.x[l] op b;                       \
        return r;                                                                       \
    }                                                                                   \
    template <std::size_t N>                                                            \
    inline PlainLanes<N> operator op(double a, const PlainLanes<N>& b)                  \
    {                                                                                   \
        PlainLanes<N> r;                                                                \
        for (std::size_t l = 0; l < N; ++l) r.x[l] = a op b.x[l];                       \
        return r;                                                                       \
    }
PLAIN_LANES_OPERATOR(+)
PLAIN_LANES_OPERATOR(-)
PLAIN_LANES_OPERATOR(*)
PLAIN_LANES_OPERATOR(/)
#undef PLAIN_LANES_OPERATOR
template <std::size_t N>
inline PlainLanes<N> operator-(const PlainLanes<N>& a)
{
    PlainLanes<N> r;
    for (std::size_t l = 0; l < N; ++l) r.x[l] = -a.x[l];
    return r;
}

template <std::size_t N>
struct RawLanes {
    typedef PlainLanes<N> type;
};

#endif

}  // namespace coat
