// The baseline instruction set of the target: SSE2 on x86-64, NEON on
// aarch64. One value at a time for ExactTrig where the C library is not
// glibc, and the two NEON lanes of the NEON variant.
#include "platform/trig_xsimd.h"

#include <cmath>

namespace coat {

void librarySinCos(double x, double* s, double* c)
{
#if defined(__aarch64__) || defined(__x86_64__)
#if defined(__aarch64__)
    using Baseline = xsimd::neon64;
#else
    using Baseline = xsimd::sse2;
#endif
    alignas(16) const double in[2] = {x, x};
    alignas(16) double sv[2], cv[2];
    xsimdSinCos<Baseline>(in, sv, cv);
    *s = sv[0];
    *c = cv[0];
#else
    *s = std::sin(x);
    *c = std::cos(x);
#endif
}

#if defined(__aarch64__)
template <>
void vectorSinCos<2>(const double* x, double* s, double* c)
{
    xsimdSinCos<xsimd::neon64>(x, s, c);
}
#endif

}  // namespace coat
