// Sine and cosine from xsimd (a header-only library of vector routines, with
// a full-range argument reduction: within about 2 ulp over every phase the
// kernels see), for targets without glibc's vector math library.
//
// Each instruction set has a unit of its own, compiled with that set's flags
// and only called from code that has checked the processor first. xsimd's
// non-template helpers (its argument reduction) are inline functions: so that
// the linker cannot pick a copy compiled for a wider instruction set for a
// narrower caller, every unit but the baseline one renames the library's
// namespace to one of its own before including this header.
#pragma once

#include <cstddef>

#include <xsimd/xsimd.hpp>

namespace coat {

template <std::size_t N>
void vectorSinCos(const double* x, double* s, double* c);
void librarySinCos(double x, double* s, double* c);

template <class Arch>
inline void xsimdSinCos(const double* x, double* s, double* c)
{
    using Batch = xsimd::batch<double, Arch>;
    const auto sc = xsimd::sincos(Batch::load_aligned(x));
    sc.first.store_aligned(s);
    sc.second.store_aligned(c);
}

}  // namespace coat
