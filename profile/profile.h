// The field inside any stack and needles of any material at any depth, from
// the jet engine's tables (engine/jet_engine.h): after the two sweeps each
// depth costs O(1).
//
// The field. The true amplitudes just in front of layer j's back are
//   (U, W) = e^(i Phi_(<=j)) w^(j+1) / w_1,   Phi_(<=j) = sum over i <= j of beta_i d_i,
// (the factors e^(-i beta d) the sweep leaves out, and the incident wave 1),
// so at a distance a behind the layer's front and b in front of its back the
// tangential field (TE: E; TM: H) and its companion are
//   F = U e^(-i beta b) + W e^(i beta b) = P (w_1' + E_b w_2'),
//   G = U e^(-i beta b) - W e^(i beta b) = P (w_1' - E_b w_2'),
//   P = e^(i (Phi_(<j) + beta a)) / w_1,   E_b = e^(2 i beta b),
// both factors bounded however lossy the layers. |E|^2 relative to the
// incident wave's: TE |F|^2; TM n_a^2 (|q/n^2|^2 |G|^2 + |n_a sin theta / n^2|^2 |F|^2),
// the tangential and normal components of E in the medium at the depth
// (from Ampere's law with H = F, in units where the incident |E| is 1).
// Just inside the substrate F = G = t.
//
// The field's thickness gradient. The field at a depth is held at its
// distance a behind the front of its layer j (and, tied to a fraction f of
// that layer, at a = f d_j). The ambient amplitudes are (1, r) and the
// depth's are A^-1 (1, r), with A the matrix of the layers above it and of
// the part a of its own: d_i for i >= j leaves A alone, so the field moves
// by psi dr/dd_i, psi = A^-1 (0, 1) the field of a wave leaving the stack
// alone. From below, the field is t times a field that the layers above do
// not touch: for i < j, d|E|^2/dd_i = 2 |E|^2 Re d log t/dd_i. A fraction f
// adds f d|E|^2/dz to layer j's. Just inside the substrate every layer is
// above. Both dr/dd_i and d log t/dd_i are the engine's, from its adjoint
// rows, so each depth costs O(L) for its L derivatives.
//
// Needles: needle/needle.h, for a needle of any material; where it is the
// material of the layer holding the depth the outputs are 0 (no needle).
#pragma once

#include <cstddef>

#include "engine/jet_engine.h"
#include "geometry/depth.h"

// What a call asks; any pointer may be null. E2 and the needle outputs are
// P x K, element (p, i) at p + P i; dE2 is L x P x K, element (j, p, i) at
// j + L (p + P i), d E2(p, i) / dd_j with depth p held in its layer (above);
// fraction, where given, ties depth p to that fraction of its layer's
// thickness, and then a depth at the back of the last layer is in that
// layer, not the substrate; ng, with weights (1 x K, stride 1, or one for
// all, stride 0), the P needle function of sum over X and i of
// weight_X(i) X(i).
struct ProfileRequest {
    double* E2;
    double* dE2;
    const double* fraction;
    double* needle[QUANTITY_COUNT];
    const double* weight[QUANTITY_COUNT];
    std::size_t weightStride[QUANTITY_COUNT];
    double* ng;
};

// Every asked-for output for the P depths at sites[0..P-1] (located in s by
// locateDepths), with needles of materials needleMaterial[0..P-1] (0-based;
// may be null when no needle output is asked for). With no layers every
// depth is the top of the substrate, and a needle sits between the ambient
// and the substrate.
void profileOverGrid(const LayeredStack& s, const DepthSite* sites, const int* needleMaterial,
                     std::size_t P, const ProfileRequest& request,
                     KernelPath path = fastestKernelPath());
