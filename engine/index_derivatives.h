// Derivatives of r and t by each material's index: a real shift dn of the
// index of material x at every wavenumber (n'(k) and n''(k) kept), the
// derivative a fit of measured spectra asks for when a film came out
// denser or lighter than the catalogue's.
//
// The index of x enters the walk in two places.
//   - The phase of each layer j of x: E_j = e^(2 i beta d_j), beta = k q,
//     q = sqrt(n^2 - tau), so dE_j = 2 i d_j (d beta/dn) E_j dn with
//     d beta/dn = k n / q: the thickness gradient's factor 2 i beta u_j with
//     d_j d beta/dn for beta,
//       dr += (d beta/dn) mu_2 2 i d_j u_j,
//       d log t += i d_j (d beta/dn) - (d beta/dn) nu_2 2 i d_j u_j.
//   - The interfaces it touches: D(m), m = Y_far / Y_near, with
//     dD/dm = (1/2) [[1, -1], [-1, 1]]. With rho the adjoint row in front of
//     the interface and x = (x_1, x_2) the amplitudes behind it,
//     d(row . w) = rho . dD/dm . x dm = (rho_1 - rho_2)(x_1 - x_2)/2 dm; and
//     since the row behind it is mu = rho D(m), mu_1 - mu_2 = m (rho_1 -
//     rho_2), so for the interface in front of layer j (x = (w_1^(j+1), u_j))
//       dr += (mu_1 - mu_2)(x_1 - x_2)/2 (dlog Y_far - dlog Y_near),
//     the same with nu and a minus for log t = i Phi - log w_1. The exit
//     interface (x = (1, 0), rho the row of the last layer past its phase)
//     gives (rho_1 - rho_2) m/2 (dlog Y_substrate - dlog Y_last). Here
//     dlog Y/dn = n / q^2 in TE (Y = q) and n / q^2 - 2 / n in TM (Y = q/n^2).
// The substrate's index enters at the exit alone, and in T through the
// factor Re Y_substrate / Y_ambient: dT gains T Re(Y_s dlog Y_s) / Re Y_s.
// Every factor is a jet in k, so GD, GDD and TOD get their exact
// derivatives; the rows and amplitudes are those of the thickness gradient
// (engine/sweep.h), in the same frames of rescaling.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/closing.h"
#include "engine/media.h"

namespace coat {

// Per medium (M + 2 slots, filled for the media of the plan) d beta/dn and
// d log Y/dn; per material and the substrate (M + 1) the sums of a lane
// group's dr and d log t.
template <class V, int D, bool Lossless>
struct IndexJetsOf {
    using Medium = MediumJetOf<V, D, Lossless>;
    std::vector<Medium> phaseRate, logAdmittance;
    std::vector<ComplexJetOf<V, D>> dr, dlogT;

    explicit IndexJetsOf(std::size_t M)
        : phaseRate(M + 2), logAdmittance(M + 2), dr(M + 1), dlogT(M + 1)
    {
    }
};

// Fills the factors of a lane group from the media jets (q = beta / k) and
// the indices, and clears the sums.
template <class V, int D, bool Lossless>
inline void fillIndexJets(IndexJetsOf<V, D, Lossless>& ij, const MediaJetsOf<V, D, Lossless>& jets,
                          const LayeredStack& s, const InterfacePlan& plan, std::size_t first,
                          std::size_t count)
{
    using Medium = MediumJetOf<V, D, Lossless>;
    constexpr std::size_t lanes = laneCountOf<V>;
    V kLanes{};
    for (std::size_t l = 0; l < lanes; ++l) setLane(kLanes, l, s.k[first + (l < count ? l : count - 1)]);
    const Medium inverseK = asMedium<Lossless>(inverse(variableJet<V, D>(kLanes)));
    for (const int x : plan.media) {
        if (x == int(s.M) + 1) continue;  // the ambient's index is no parameter
        const Medium index = indexJetOf<V, D, Lossless>(s, std::size_t(x), first, count);
        const Medium q = jets.beta[x] * inverseK;
        const Medium nOverQ = index * inverse(q);
        ij.phaseRate[x] = jets.beta[x] * (nOverQ * inverse(q));  // k n / q
        ij.logAdmittance[x] = nOverQ * inverse(q);
        if (s.pol == Polarization::TM) ij.logAdmittance[x] = ij.logAdmittance[x] - 2.0 * inverse(index);
    }
    for (std::size_t x = 0; x <= s.M; ++x) ij.dr[x] = ij.dlogT[x] = ComplexJetOf<V, D>{};
}

// Layer j of material x, thickness d, behind medium p (the ambient is
// M + 1): its phase and the interface in front of it, from its adjoint rows
// mu (of r) and nu (of t, or null) and the amplitudes behind that interface,
// (w_1^(j+1), u_j).
template <class V, int D, bool Lossless>
inline void addLayerIndexTerms(IndexJetsOf<V, D, Lossless>& ij, std::size_t M, int x, int p,
                               double d, const AmplitudesOf<V, D>& mu,
                               const AmplitudesOf<V, D>* nu, const ComplexJetOf<V, D>& u,
                               const ComplexJetOf<V, D>& w1)
{
    const ComplexJetOf<V, D> phase = ij.phaseRate[x] * timesI((2.0 * d) * u);
    const ComplexJetOf<V, D> jump = 0.5 * (w1 - u);
    const ComplexJetOf<V, D> across = (mu.u - mu.w) * jump;
    ij.dr[x] = ij.dr[x] + mu.w * phase + ij.logAdmittance[x] * across;
    if (p != int(M) + 1) ij.dr[p] = ij.dr[p] - ij.logAdmittance[p] * across;
    if (!nu) return;
    const ComplexJetOf<V, D> acrossT = (nu->u - nu->w) * jump;
    ij.dlogT[x] = ij.dlogT[x] + timesI(asComplexJet(d * ij.phaseRate[x])) - nu->w * phase -
                  ij.logAdmittance[x] * acrossT;
    if (p != int(M) + 1) ij.dlogT[p] = ij.dlogT[p] + ij.logAdmittance[p] * acrossT;
}

// The exit interface from medium p (the last layer's, or the ambient) into
// the substrate (medium M), with rho (and rhoT, or null) the rows in front of
// it and halfM its m/2.
template <class V, int D, bool Lossless>
inline void addExitIndexTerms(IndexJetsOf<V, D, Lossless>& ij, std::size_t M, int p,
                              const AmplitudesOf<V, D>& rho, const AmplitudesOf<V, D>* rhoT,
                              const MediumJetOf<V, D, Lossless>& halfM)
{
    const ComplexJetOf<V, D> across = halfM * (rho.u - rho.w);
    ij.dr[M] = ij.dr[M] + ij.logAdmittance[M] * across;
    if (p != int(M) + 1) ij.dr[p] = ij.dr[p] - ij.logAdmittance[p] * across;
    if (!rhoT) return;
    const ComplexJetOf<V, D> acrossT = halfM * (rhoT->u - rhoT->w);
    ij.dlogT[M] = ij.dlogT[M] - ij.logAdmittance[M] * acrossT;
    if (p != int(M) + 1) ij.dlogT[p] = ij.dlogT[p] + ij.logAdmittance[p] * acrossT;
}

// The derivatives of the quantities by material x's index (x = M: the
// substrate's), from the group's sums.
template <class V, int D, bool Lossless>
inline void indexDerivatives(const IndexJetsOf<V, D, Lossless>& ij,
                             const MediaJetsOf<V, D, Lossless>& jets, const ClosingOf<V, D>& c,
                             std::size_t M, std::size_t x, bool transmission, const bool* wanted,
                             V* out)
{
    quantityDerivatives(c, ij.dr[x], transmission ? &ij.dlogT[x] : nullptr, wanted, out);
    if (!transmission || x != M) return;
    // T = |t|^2 Re Y_s / Y_a, and Y_s is the substrate's: dT gains
    // |t|^2 Re(dY_s) / Y_a (no division by Re Y_s, which is 0 beyond the
    // critical angle).
    const ComplexJetOf<V, D> dy = asComplexJet(jets.admittance[M]) * asComplexJet(ij.logAdmittance[M]);
    out[QUANTITY_T] = out[QUANTITY_T] + norm2(c.t) * (dy.re.c[0] / jets.incidentAdmittanceRe);
    if (wanted[QUANTITY_A]) out[QUANTITY_A] = -out[QUANTITY_R] - out[QUANTITY_T];
}

}  // namespace coat
