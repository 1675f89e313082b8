// The vector sines and cosines of glibc's vector math library (libmvec), four
// lanes with AVX2 and eight with AVX-512. Each function is compiled for its
// own instruction set and only called from code that has checked the
// processor first; the unit includes no project header beyond the
// declarations, so that no shared inline function is compiled here with
// instructions other machines lack.
#include <cstddef>
#include <immintrin.h>

// The target attribute belongs on the declarations too: a vector argument is
// passed in an AVX register only between functions compiled for AVX.
extern "C" __attribute__((target("avx2"))) __m256d _ZGVdN4v_sin(__m256d);
extern "C" __attribute__((target("avx2"))) __m256d _ZGVdN4v_cos(__m256d);
extern "C" __attribute__((target("avx512f"))) __m512d _ZGVeN8v_sin(__m512d);
extern "C" __attribute__((target("avx512f"))) __m512d _ZGVeN8v_cos(__m512d);

namespace coat {

template <std::size_t N>
void vectorSinCos(const double* x, double* s, double* c);

template <>
__attribute__((target("avx2"))) void vectorSinCos<4>(const double* x, double* s, double* c)
{
    const __m256d v = _mm256_load_pd(x);
    _mm256_store_pd(s, _ZGVdN4v_sin(v));
    _mm256_store_pd(c, _ZGVdN4v_cos(v));
}

template <>
__attribute__((target("avx512f"))) void vectorSinCos<8>(const double* x, double* s, double* c)
{
    const __m512d v = _mm512_load_pd(x);
    _mm512_store_pd(s, _ZGVeN8v_sin(v));
    _mm512_store_pd(c, _ZGVeN8v_cos(v));
}

}  // namespace coat
