// Sine and cosine of the layer phases, which reach about 1e4 rad in thick
// stacks. Every target gets them to a few ulp over that whole range, so that
// the same tests pass everywhere with the same tolerances.
//
// ExactTrig: one value at a time. The C library's sincos where that is glibc
// (within 1 ulp); elsewhere xsimd's vector routine on one lane, since some C
// libraries (MinGW-w64's) reduce large arguments the x87 way and are off by
// hundreds of ulp near 1e4 rad.
//
// VectorTrig: all lanes of a vector at once, for the vector variants of
// platform/dispatch.h. Only called from code compiled for the instruction set
// that lane count stands for (2: NEON, 4: AVX2, 8: AVX-512).
#pragma once

#include <cmath>
#include <cstddef>

#include "numeric/lanes.h"

namespace coat {

// xsimd's sine and cosine of one value (platform/trig_xsimd.cpp).
void librarySinCos(double x, double* s, double* c);

// The vector routine of N lanes, in the unit compiled for its instruction set.
template <std::size_t N>
void vectorSinCos(const double* x, double* s, double* c);

struct ExactTrig {
    static void sinCos(double x, double* s, double* c)
    {
#if defined(__GLIBC__)
        ::sincos(x, s, c);
#else
        librarySinCos(x, s, c);
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

struct VectorTrig {
    template <std::size_t N>
    static void sinCos(const LanesOf<N>& x, LanesOf<N>* s, LanesOf<N>* c)
    {
        vectorSinCos<N>(reinterpret_cast<const double*>(&x), reinterpret_cast<double*>(s),
                        reinterpret_cast<double*>(c));
    }
};

}  // namespace coat
