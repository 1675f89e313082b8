// One way to run a walk over the grid. The lane groups of a call are cut
// into at most MAX_CHUNKS chunks, as many whatever the thread count, and
// shared among threads (platform/threads.h); each thread makes its tables
// once, outside the compiled variant, and reuses them for every group; the
// walk is compiled per variant (platform/dispatch.h), jet order and kind; a
// sum over wavenumbers (a merit's gradient or needle function) is kept per
// chunk and added up in chunk order, so every output is the same bit for bit
// at any thread count.
//
// A walk is a class template Walk<D, Lossless> with
//   template <class V> struct Tables { explicit Tables(const Context&); ... };
//   template <class Trig, class V>
//   static void group(const Context&, Tables<V>&, const GroupOf<V>&, double* sum);
// called for every lane group, whose lanes hold wavenumbers first ..
// first + count - 1 (a short last group repeats its last wavenumber in the
// lanes beyond); `sum`, when the call keeps one, is the chunk's own.
#pragma once

#include <cstddef>
#include <type_traits>
#include <vector>

#include "numeric/lanes.h"
#include "platform/dispatch.h"
#include "platform/threads.h"

namespace coat {

// One lane group: its first wavenumber and how many of its lanes are real.
template <class V>
struct GroupOf {
    std::size_t first, count;
};

// How a call runs: the order of its jets, its kind of walk, its cost in
// units of threads.h (layer steps x (order + 1) x wavenumbers), and the sum
// over wavenumbers it keeps, if any (sumLength entries, cleared by the
// runner, then the chunks' partial sums added in order).
struct RunShape {
    std::size_t K;
    int order;  // 0 to 3
    bool lossless;
    double work;
    double* sum;
    std::size_t sumLength;
};

namespace run_detail {

// The part compiled per variant: the lane-group loop of a chunk.
template <class Walk>
struct Groups {
    template <class Variant, class Context, class Tables>
    static void run(const Context& context, Tables& tables, std::size_t K, std::size_t begin,
                    std::size_t end, double* sum)
    {
        using V = typename Variant::Lanes;
        constexpr std::size_t lanes = laneCountOf<V>;
        for (std::size_t group = begin; group < end; ++group) {
            const std::size_t first = group * lanes;
            const GroupOf<V> g = {first, K - first < lanes ? K - first : lanes};
            Walk::template group<typename Variant::Trig, V>(context, tables, g, sum);
        }
    }
};

template <class Walk, class Variant, class Context>
void share(Variant variant, const Context& context, const RunShape& shape)
{
    using V = typename Variant::Lanes;
    using Tables = typename Walk::template Tables<V>;
    const std::size_t groups = (shape.K + laneCountOf<V> - 1) / laneCountOf<V>;
    const std::size_t chunks = chunkCount(groups), n = shape.sum ? shape.sumLength : 0;
    std::vector<double> partial(n * chunks, 0.0);
    shareGroups(
        groups, shape.work, [&] { return Tables(context); },
        [&](Tables& t, std::size_t begin, std::size_t end, std::size_t c) {
            runKernel<Groups<Walk>>(variant, context, t, shape.K, begin, end,
                                    n ? &partial[n * c] : nullptr);
        });
    for (std::size_t c = 0; c < chunks; ++c)
        for (std::size_t j = 0; j < n; ++j) shape.sum[j] += partial[n * c + j];
}

template <template <int, bool> class Walk, int D, class Variant, class Context>
void ofOrder(Variant variant, const Context& context, const RunShape& shape)
{
    if (shape.lossless)
        share<Walk<D, true>>(variant, context, shape);
    else
        share<Walk<D, false>>(variant, context, shape);
}

}  // namespace run_detail

// Walk<order, lossless> over every lane group of the call.
template <template <int, bool> class Walk, class Context>
void runOverGrid(const Context& context, const RunShape& shape, KernelPath path)
{
    for (std::size_t j = 0; shape.sum && j < shape.sumLength; ++j) shape.sum[j] = 0;
    if (shape.K == 0) return;
    withVariant(path, [&](auto variant) {
        switch (shape.order) {
        case 0: return run_detail::ofOrder<Walk, 0>(variant, context, shape);
        case 1: return run_detail::ofOrder<Walk, 1>(variant, context, shape);
        case 2: return run_detail::ofOrder<Walk, 2>(variant, context, shape);
        default: return run_detail::ofOrder<Walk, 3>(variant, context, shape);
        }
    });
}

}  // namespace coat
