// Which compiled variant of a grid kernel runs, and how a kernel file declares
// its variants. Everything that depends on the processor or the compiler sits
// here and in platform/*.cpp; the kernels above name no instruction set.
//
// A variant is a lane type (how many wavenumbers go through the layer walk
// side by side) and a sine/cosine (one value at a time, or all lanes at once),
// compiled for one instruction set:
//
//   Portable  4 lanes, scalar sin/cos, no instruction set beyond the
//             target's baseline; the same numbers as a one-wavenumber walk,
//             bit for bit
//   Avx2      x86-64: 4 lanes in AVX2, vector sin/cos
//   Avx512    x86-64: 8 lanes in AVX-512, vector sin/cos
//   Neon      aarch64: 2 lanes in NEON (the baseline there), vector sin/cos
//
// A kernel file writes its walk once, as a struct with a static member
// template run<Variant>, and hands it to runKernel:
//
//   namespace {
//   struct Reflectance {
//       template <class Variant>
//       static void run(const StackGrid& grid, double* R)
//       {
//           using V = typename Variant::Lanes;      // LanesOf<N>
//           using Trig = typename Variant::Trig;    // ExactTrig or VectorTrig
//           ...
//       }
//   };
//   }  // namespace
//   void reflectanceOverGrid(const StackGrid& grid, double* R, KernelPath path)
//   {
//       runKernel<Reflectance>(path, grid, R);
//   }
//
// run<Variant> is compiled once per variant, for that variant's instruction
// set and with every call inside it inlined (so that no shared inline function
// is emitted with instructions other processors lack). The arguments pass by
// reference. Keep the struct in an anonymous namespace.
//
// A build defining COAT_PLAIN_VARIANTS (the sanitized one, cmake/sanitize.cmake)
// leaves that inlining to the compiler: only the entry of a variant, and what
// the compiler chooses to inline into it, is compiled for its instruction set;
// what stays a call is compiled for the target's baseline, which every
// processor runs. Each variant computes with the same walk, lanes and
// sine/cosine; the instrumented build takes a fraction of the time.
//
// What must be set up outside the compiled variant (tables sized for its lane
// type, which cost more as locals of the flattened walk) goes through
// withVariant, which calls f(Variant{}) in ordinary code:
//
//   withVariant(path, [&](auto variant) {
//       LayerTablesOf<typename decltype(variant)::Lanes> t(grid.L);
//       runKernel<TableDelay>(variant, grid, pol, t, R, GD);
//   });
#pragma once

#include <cstddef>

#include "platform/trig.h"
#include "numeric/lanes.h"

namespace coat {

enum class KernelPath {
    Portable,
    Avx2,
    Avx512,
    Neon,
};
const std::size_t KERNEL_PATH_COUNT = 4;

// The fastest variant this build runs on this processor.
KernelPath fastestKernelPath();
// Whether this build has the variant and this processor runs it.
bool kernelPathRuns(KernelPath path);
// A short name for tables: "portable", "AVX2", "AVX-512", "NEON".
const char* kernelPathName(KernelPath path);

// A variant's lane type and sine/cosine; each variant a type of its own.
template <std::size_t N, class SinCos>
struct VariantOf {
    using Lanes = LanesOf<N>;
    using Trig = SinCos;
};
struct PortableVariant : VariantOf<4, ExactTrig> {};
struct Avx2Variant : VariantOf<4, VectorTrig> {};
struct Avx512Variant : VariantOf<8, VectorTrig> {};
struct NeonVariant : VariantOf<2, VectorTrig> {};

// Kernel::run<Variant>(args...), compiled for the variant's instruction set.
// Only the variants this build has are defined; withVariant reaches no other.
#if defined(COAT_PLAIN_VARIANTS)
#define COAT_VARIANT_INLINING
#else
#define COAT_VARIANT_INLINING __attribute__((flatten))
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define COAT_HAS_X86_VARIANTS 1
template <class Kernel, class... Args>
COAT_VARIANT_INLINING void runKernel(PortableVariant, Args&&... args)
{
    Kernel::template run<PortableVariant>(args...);
}
template <class Kernel, class... Args>
__attribute__((target("avx2"))) COAT_VARIANT_INLINING
void runKernel(Avx2Variant, Args&&... args)
{
    Kernel::template run<Avx2Variant>(args...);
}
template <class Kernel, class... Args>
__attribute__((target("avx512f"))) COAT_VARIANT_INLINING
void runKernel(Avx512Variant, Args&&... args)
{
    Kernel::template run<Avx512Variant>(args...);
}
#elif defined(__aarch64__)
#define COAT_HAS_NEON_VARIANT 1
template <class Kernel, class... Args>
COAT_VARIANT_INLINING void runKernel(PortableVariant, Args&&... args)
{
    Kernel::template run<PortableVariant>(args...);
}
template <class Kernel, class... Args>
COAT_VARIANT_INLINING void runKernel(NeonVariant, Args&&... args)
{
    Kernel::template run<NeonVariant>(args...);
}
#else
template <class Kernel, class... Args>
void runKernel(PortableVariant, Args&&... args)
{
    Kernel::template run<PortableVariant>(args...);
}
#endif

// f(Variant{}) for the variant of `path`; a path this build lacks runs the
// portable variant.
template <class F>
void withVariant(KernelPath path, F&& f)
{
    switch (path) {
#if defined(COAT_HAS_X86_VARIANTS)
    case KernelPath::Avx2: return f(Avx2Variant{});
    case KernelPath::Avx512: return f(Avx512Variant{});
#elif defined(COAT_HAS_NEON_VARIANT)
    case KernelPath::Neon: return f(NeonVariant{});
#endif
    default: return f(PortableVariant{});
    }
}

// Kernel::run<Variant>(args...) for the variant of `path`.
template <class Kernel, class... Args>
void runKernel(KernelPath path, Args&&... args)
{
    withVariant(path, [&](auto variant) { runKernel<Kernel>(variant, args...); });
}

}  // namespace coat
