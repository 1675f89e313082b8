// The vector sine and cosine, in a unit of its own compiled for AVX2: it is
// only called from code that has checked the processor first. It includes no
// project header, so that no shared inline function is compiled here with
// instructions other machines lack.
#include <immintrin.h>

extern "C" __m256d _ZGVdN4v_sin(__m256d);
extern "C" __m256d _ZGVdN4v_cos(__m256d);

void vectorSinCos(const double* x, double* s, double* c)
{
    const __m256d v = _mm256_load_pd(x);
    _mm256_store_pd(s, _ZGVdN4v_sin(v));
    _mm256_store_pd(c, _ZGVdN4v_cos(v));
}
