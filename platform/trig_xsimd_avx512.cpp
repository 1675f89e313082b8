// Eight lanes with AVX-512 (this unit is compiled with -mavx512f).
#define xsimd coat_xsimd_avx512
// GCC 12 warns inside its own avx512fintrin.h, whose rounding intrinsics start
// from a deliberately undefined register (_mm512_undefined_pd).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "platform/trig_xsimd.h"

namespace coat {

template <>
void vectorSinCos<8>(const double* x, double* s, double* c)
{
    xsimdSinCos<xsimd::avx512f>(x, s, c);
}

}  // namespace coat
