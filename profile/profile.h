// The field inside any stack and needles of any material at any depth, from
// the engine's tables (engine/sweep.h): after the two sweeps each
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
// Needles: profile/needle.h, for a needle of any material; where it is the
// material of the layer holding the depth the outputs are 0 (no needle).
#pragma once

#include <cstddef>

#include "engine/engine.h"
#include "geometry/depth.h"

namespace coat {

// What a call asks; any pointer may be null. E2 and the needle outputs are
// P x K, element (p, i) at p + P i; ng, with weights (1 x K, stride 1, or one
// for all, stride 0), the P needle function of sum over X and i of
// weight_X(i) X(i).
struct ProfileRequest {
    double* E2;
    double* needle[QUANTITY_COUNT];
    const double* weight[QUANTITY_COUNT];
    std::size_t weightStride[QUANTITY_COUNT];
    double* ng;
    WalkChoice walk;
};

// Every asked-for output for the P depths at sites[0..P-1] (located in s by
// locateDepths), with needles of materials needleMaterial[0..P-1] (0-based;
// may be null when no needle output is asked for). With no layers every
// depth is the top of the substrate, and a needle sits between the ambient
// and the substrate.
void profileOverGrid(const LayeredStack& s, const DepthSite* sites, const int* needleMaterial,
                     std::size_t P, const ProfileRequest& request,
                     KernelPath path = fastestKernelPath());

}  // namespace coat
