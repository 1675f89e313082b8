// The field and needles at a depth, from the sweep's state at the back of the
// layer holding it (engine/sweep.h).
//
// At a depth in layer j (material x), a behind its front and b before its
// back, the state is that of the back taken up through a thickness b:
//   F_d = F - 2 sigma_b W,  W_d = E_b W,  H_d = Y_x (F_d - 2 W_d),
// F_d the tangential field (TE: E; TM: H) and H_d its companion (TM: the
// tangential E), both continuous across interfaces.
//
// A needle of material y and thickness t inserted there changes the state
// below it, per unit t at t = 0, by
//   (dF, dH) = i (beta_y F_d - (beta / Y)_y H_d, beta_y H_d - (beta Y)_y F_d)
// (the layer matrix of y with its factor e^(i beta_y t), which t keeps). Of
// r the change is the determinant identity's
//   dr/dt = i (prod_(i<j) E_i) E_a ((beta Y)_y F_d^2 - (beta / Y)_y H_d^2) / (2 Y_a w_1^2),
// of log t it is i beta_y less the transmission row at the depth times
// (dF, dW), dW = (dF - dH / Y_x) / 2. Where y = x the needle only thickens
// the layer: no needle, and the outputs are 0.
#pragma once

#include "engine/sweep.h"

namespace coat {

// The state at a depth, from the back's through a thickness of phase factor
// sigma_b: (F_d, W_d), and the companion field H_d = Y_x (F_d - 2 W_d).
template <class V, int D>
struct DepthFieldOf {
    FieldOf<V, D> state;
    ComplexJetOf<V, D> H;
};

template <class V, int D, class Y>
inline DepthFieldOf<V, D> fieldAtDepth(const FieldOf<V, D>& back, const ComplexJetOf<V, D>& sigmaB,
                                       const Y& admittance)
{
    const ComplexJetOf<V, D> twoT = 2.0 * (sigmaB * back.W);
    const ComplexJetOf<V, D> F = back.F - twoT, W = back.W - twoT;
    return {{F, W}, admittance * (F - 2.0 * W)};
}

// (beta Y)_y F_d^2 - (beta / Y)_y H_d^2: dr/dt up to the factor in front.
template <class V, int D, bool Lossless>
inline ComplexJetOf<V, D> needleOfReflection(const MediaJetsOf<V, D, Lossless>& jets, int y,
                                             const DepthFieldOf<V, D>& at)
{
    const std::size_t m = std::size_t(y);
    return jets.betaTimesY[m] * (at.state.F * at.state.F) - jets.betaOverY[m] * (at.H * at.H);
}

// d log t/dt of a needle of material y at a depth in medium x, from the
// transmission row there.
template <class V, int D, bool Lossless>
inline ComplexJetOf<V, D> needleOfTransmission(const MediaJetsOf<V, D, Lossless>& jets, int y,
                                               int x, const DepthFieldOf<V, D>& at,
                                               const FieldOf<V, D>& row)
{
    const std::size_t m = std::size_t(y);
    const ComplexJetOf<V, D> beta = asComplexJet(jets.beta[m]), F = at.state.F;
    const ComplexJetOf<V, D> dF = timesI(beta * F - jets.betaOverY[m] * at.H);
    const ComplexJetOf<V, D> dH = timesI(beta * at.H - jets.betaTimesY[m] * F);
    const ComplexJetOf<V, D> dW = 0.5 * (dF - dH / asComplexJet(jets.admittance[std::size_t(x)]));
    return timesI(beta) - (row.F * dF + row.W * dW);
}

}  // namespace coat
