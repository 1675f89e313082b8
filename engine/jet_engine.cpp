#include "engine/jet_engine.h"

namespace {

// The first `count` lanes of a per-layer value into column entries
// out[j + L l], l = 0 .. count-1.
template <class V>
inline void storeColumn(double* out, std::size_t j, std::size_t L, std::size_t count, const V& v)
{
    for (std::size_t l = 0; l < count; ++l) out[j + L * l] = laneOf(v, l);
}

template <class V>
inline void storeSpectrum(const FullDispersionOutputs& out, std::size_t first, std::size_t count,
                          const FullSpectrumOf<V>& r)
{
    if (out.R) storeLanes(out.R + first, count, r.R);
    if (out.GD) storeLanes(out.GD + first, count, r.GD);
    if (out.GDD) storeLanes(out.GDD + first, count, r.GDD);
}

// Spectra alone: the forward walk, no table kept.
template <class Trig, class V, int D>
void spectrumGroups(const FullDispersionGrid& grid, Polarization pol,
                    const FullDispersionOutputs& out)
{
    forEachJetLaneGroup<V, D>(grid, pol, [&](std::size_t first, std::size_t count,
                                             const InterfaceJetsOf<V, D>& jets) {
        const JetRowOf<V, D> closing = forwardJetWalk<Trig>(
            jets, grid.stack.d, grid.stack.L,
            [](std::size_t, const JetRowOf<V, D>&, const ComplexJetOf<V, D>&) {});
        storeSpectrum(out, first, count,
                      spectrumOf<V, D>(scaleJetRowBy(closingScaleOfJets(closing), closing)));
    });
}

// Spectra and gradients: forward sweep into the tables, then the backward
// sweep meets them layer by layer.
template <class Trig, class V, int D>
void gradientGroups(const FullDispersionGrid& grid, Polarization pol,
                    StackJetTablesOf<V, D>& t, const FullDispersionOutputs& out)
{
    const std::size_t L = grid.stack.L;
    forEachJetLaneGroup<V, D>(grid, pol, [&](std::size_t first, std::size_t count,
                                             const InterfaceJetsOf<V, D>& jets) {
        forwardJetSweep<Trig>(t, jets, grid.stack.d);
        const FullSpectrumOf<V> r = spectrumOf<V, D>(t.closing);
        storeSpectrum(out, first, count, r);
        const ComplexJetOf<V, D> inverseE = inverse(t.closing.b);
        const ComplexJetOf<V, D> inverseF = inverse(t.closing.a);
        const std::size_t at = L * first;
        backwardJetSweep(t, [&](std::size_t j, const JetRowOf<V, D>&, const JetRowOf<V, D>& H) {
            const LayerDerivativesOf<V> g =
                layerDerivatives(H, t.layers[j].inside, jets.beta[slotOfLayer(j).material],
                                 inverseE, inverseF, r);
            if (out.dR) storeColumn(out.dR + at, j, L, count, g.dR);
            if (out.dGD) storeColumn(out.dGD + at, j, L, count, g.dGD);
            if (out.dGDD) storeColumn(out.dGDD + at, j, L, count, g.dGDD);
        });
    });
}

// The walks of order D, as the variants compile them.
template <int D>
struct Spectrum {
    template <class Variant>
    static void run(const FullDispersionGrid& grid, Polarization pol,
                    const FullDispersionOutputs& out)
    {
        spectrumGroups<typename Variant::Trig, typename Variant::Lanes, D>(grid, pol, out);
    }
};
template <int D>
struct Gradient {
    template <class Variant, class V>
    static void run(const FullDispersionGrid& grid, Polarization pol, StackJetTablesOf<V, D>& t,
                    const FullDispersionOutputs& out)
    {
        gradientGroups<typename Variant::Trig>(grid, pol, t, out);
    }
};

// With a gradient the tables of order D are obtained once for the call, here
// outside the compiled variant, and reused by every group.
template <int D, class Variant>
void runOrder(Variant variant, const FullDispersionGrid& grid, Polarization pol,
              const FullDispersionOutputs& out)
{
    if (!(out.dR || out.dGD || out.dGDD) || grid.stack.L == 0)
        return runKernel<Spectrum<D>>(variant, grid, pol, out);
    StackJetTablesOf<typename Variant::Lanes, D> t(grid.stack.L);
    runKernel<Gradient<D>>(variant, grid, pol, t, out);
}

}  // namespace

void fullDispersionOverGrid(const FullDispersionGrid& grid, Polarization pol,
                            const FullDispersionOutputs& out, KernelPath path)
{
    withVariant(path, [&](auto variant) {
        switch (jetOrderFor(out)) {
        case 0: return runOrder<0>(variant, grid, pol, out);
        case 1: return runOrder<1>(variant, grid, pol, out);
        default: return runOrder<2>(variant, grid, pol, out);
        }
    });
}
