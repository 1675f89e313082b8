// out = coatprofile(k, d, m, n_a, N, Np, Npp, theta, pol, z, want [, mu [, weights]]):
// the standing-wave field |E|^2 at depths z of any stack, its thickness
// gradient, and the needle derivatives of every real quantity for a thin
// layer of material mu inserted there. z is a vector of depths or a struct
// of depths tied to layers (layer, fraction). Every input is checked before
// any output is created.
#include <cmath>
#include <vector>

#include "gateways/response_inputs.h"
#include "profile/profile.h"

using namespace coat;

enum { Z_IN = RESPONSE_INPUTS, WANT_IN, MU_IN, WEIGHTS_IN };
// The names of profileVocabulary's own: E2, ng, dE2.
enum { NAME_E2, NAME_NG, NAME_DE2 };

// A field of the struct of tied depths: a real double vector of n elements
// (n = 0: any length, returned in n).
const double* tieField(const Gateway& g, const char* field, std::size_t& n)
{
    const mxArray* a = mxGetField(g.prhs[Z_IN], 0, field);
    const std::size_t count = a ? mxGetNumberOfElements(a) : 0;
    if (!a || !mxIsDouble(a) || mxIsComplex(a) || mxIsSparse(a) ||
        mxGetNumberOfDimensions(a) != 2 || (mxGetM(a) > 1 && mxGetN(a) > 1) ||
        (n && count != n))
        raiseError(g, "badDepths",
                   "Input 10 (depths z), given as a struct of depths tied to layers, needs fields "
                   "layer and fraction, real double vectors of one length; field %s is %s.",
                   field, !a ? "missing" : "not such a vector or of another length");
    n = count;
    return mxGetPr(a);
}

// Depths tied to layers: depth p in layer `layer`(p) (1..L) at `fraction`(p)
// (0..1) of its thickness, its back included.
void readTiedDepths(const Gateway& g, const LayeredStack& s, std::vector<DepthSite>& sites,
                    std::vector<double>& fractions)
{
    const mxArray* z = g.prhs[Z_IN];
    if (mxGetNumberOfElements(z) != 1)
        raiseError(g, "badDepths",
                   "Input 10 (depths z) must be a vector of depths or a 1x1 struct of depths "
                   "tied to layers; a struct array of %zu elements was given.",
                   mxGetNumberOfElements(z));
    std::size_t P = 0;
    const double* layer = tieField(g, "layer", P);
    const double* fraction = tieField(g, "fraction", P);
    sites.resize(P);
    fractions.assign(fraction, fraction + P);
    for (std::size_t p = 0; p < P; ++p) {
        if (!(layer[p] >= 1 && layer[p] <= double(s.L) && layer[p] == std::floor(layer[p])))
            raiseError(g, "badDepths",
                       "Input 10 (depths z): layer must hold layer numbers from 1 to L = %zu; "
                       "element %zu is %g.",
                       s.L, p + 1, layer[p]);
        if (!(fraction[p] >= 0 && fraction[p] <= 1))
            raiseError(g, "badDepths",
                       "Input 10 (depths z): fraction must lie between 0 (the layer's front) "
                       "and 1 (its back); element %zu is %g.",
                       p + 1, fraction[p]);
        const std::size_t j = std::size_t(layer[p]) - 1;
        const double front = fraction[p] * s.d[j];
        sites[p] = {j, front, s.d[j] - front};
    }
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const Gateway g = {"coatprofile", nlhs, plhs, nrhs, prhs};
    if (nrhs < 11 || nrhs > 13)
        raiseError(g, nrhs < 11 ? "notEnoughInputs" : "tooManyInputs",
                   "11 to 13 inputs expected (k, d, m, n_a, N, Np, Npp, theta, pol, z, want "
                   "[, mu [, weights]]); %d given.",
                   nrhs);
    requireAtMostOutputs(g, 1);
    ResponseCall call;
    readResponseInputs(g, call);
    const LayeredStack& s = call.stack;
    std::size_t P;
    std::vector<DepthSite> sites;
    std::vector<double> fractions;  // of depths tied to layers
    const bool tied = mxIsStruct(prhs[Z_IN]);
    if (tied) {
        readTiedDepths(g, s, sites, fractions);
        P = sites.size();
    } else {
        readDepths(g, Z_IN, "depths z", s.d, s.L, &P);
    }
    const double* mu = nullptr;
    bool mus = false;  // one needle material per depth
    if (nrhs >= 12) {
        requireRealDouble(g, MU_IN, "needle materials mu", "");
        const std::size_t n = vectorLength(g, MU_IN, "needle materials mu");
        if (n != 1 && n != P)
            raiseError(g, "badNeedleMaterial",
                       "Input 12 (needle materials mu) must be a scalar or hold one material per "
                       "depth: 1 or %zu expected, %zu given.",
                       P, n);
        mu = mxGetPr(prhs[MU_IN]);
        mus = n == P && P != 1;
        for (std::size_t p = 0; p < n; ++p)
            if (!(mu[p] >= 1 && mu[p] <= double(s.M) && mu[p] == std::floor(mu[p])))
                raiseError(g, "badNeedleMaterial",
                           "Input 12 (needle materials mu) must hold integers from 1 to M = %zu; "
                           "element %zu is %g.",
                           s.M, p + 1, mu[p]);
    }
    ProfileRequest request = {};
    const bool weighted = nrhs == 13;
    if (weighted) readWeights(g, WEIGHTS_IN, s.K, request.weight, request.weightStride);
    const Vocabulary v = profileVocabulary();
    const NameSet names = readNames(g, WANT_IN, "names want", v);
    bool needles = names.holds(v, NameKind::Own, NAME_NG);
    for (int q = 0; q < QUANTITY_COUNT; ++q) needles = needles || names.holds(v, NameKind::Needle, q);
    if (needles && !mu)
        raiseError(g, "missingNeedleMaterial",
                   "The needle outputs need input 12 (needle materials mu), the material of the "
                   "needle at each depth; none was given.");
    if (names.holds(v, NameKind::Own, NAME_NG) && !weighted)
        raiseError(g, "missingWeights",
                   "The name 'ng' (the weighted needle function) needs input 13 (weights), a "
                   "struct of weights of the quantities; none was given.");

    runGuarded(g, [&] {
        numberMaterials(g, call);
        if (!tied) {
            sites.resize(P);
            locateDepths(call.stack.d, call.stack.L, mxGetPr(prhs[Z_IN]), P, sites.data());
        }
        if (tied) request.fraction = fractions.data();
        std::vector<int> needle(mu ? P : 0);
        for (std::size_t p = 0; p < needle.size(); ++p) needle[p] = int(mu[mus ? p : 0]) - 1;
        mxArray* out = createStructOf(names, v);
        for (int i = 0; i < names.count; ++i) {
            const int n = names.name[i], q = v.quantity[n];
            const bool ng = v.kind[n] == NameKind::Own && q == NAME_NG;
            const bool dE2 = v.kind[n] == NameKind::Own && q == NAME_DE2;
            const mwSize dims[3] = {mwSize(call.stack.L), mwSize(P), mwSize(call.stack.K)};
            mxArray* a = dE2 ? mxCreateNumericArray(3, dims, mxDOUBLE_CLASS, mxREAL)
                             : mxCreateUninitNumericMatrix(P, ng ? 1 : call.stack.K,
                                                           mxDOUBLE_CLASS, mxREAL);
            if (ng)
                request.ng = mxGetPr(a);
            else if (dE2)
                request.dE2 = mxGetPr(a);
            else if (v.kind[n] == NameKind::Own)
                request.E2 = mxGetPr(a);
            else
                request.needle[q] = mxGetPr(a);
            mxSetField(out, 0, v.text[n], a);
        }
        plhs[0] = out;
        profileOverGrid(call.stack, sites.data(), mu ? needle.data() : nullptr, P, request);
    });
}
