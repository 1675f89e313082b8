#include "platform/dispatch.h"

#include <initializer_list>

namespace coat {

bool kernelPathRuns(KernelPath path)
{
    switch (path) {
    case KernelPath::Portable: return true;
#if defined(COAT_HAS_X86_VARIANTS)
    case KernelPath::Avx2: __builtin_cpu_init(); return __builtin_cpu_supports("avx2");
    case KernelPath::Avx512: __builtin_cpu_init(); return __builtin_cpu_supports("avx512f");
#elif defined(COAT_HAS_NEON_VARIANT)
    case KernelPath::Neon: return true;  // the baseline of aarch64
#endif
    default: return false;
    }
}

KernelPath fastestKernelPath()
{
    for (KernelPath path : {KernelPath::Avx512, KernelPath::Avx2, KernelPath::Neon})
        if (kernelPathRuns(path)) return path;
    return KernelPath::Portable;
}

const char* kernelPathName(KernelPath path)
{
    switch (path) {
    case KernelPath::Portable: return "portable";
    case KernelPath::Avx2: return "AVX2";
    case KernelPath::Avx512: return "AVX-512";
    case KernelPath::Neon: return "NEON";
    }
    return "?";
}

}  // namespace coat
