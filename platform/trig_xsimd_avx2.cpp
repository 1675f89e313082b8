// Four lanes with AVX2 (this unit is compiled with -mavx2).
#define xsimd coat_xsimd_avx2
#include "platform/trig_xsimd.h"

namespace coat {

template <>
void vectorSinCos<4>(const double* x, double* s, double* c)
{
    xsimdSinCos<xsimd::avx2>(x, s, c);
}

}  // namespace coat
