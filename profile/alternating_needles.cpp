#include "profile/alternating_needles.h"

#include <vector>

#include "profile/profile.h"

namespace coat {

void needleOverGrid(const FullDispersionGrid& grid, Polarization pol, const DepthSite* sites,
                    std::size_t P, const NeedleOutputs& out, KernelPath path)
{
    if (P == 0 || grid.stack.K == 0 || !(out.nR || out.nGD || out.nGDD)) return;
    const std::size_t L = grid.stack.L;
    const std::vector<int> materials = alternatingMaterials(L);
    std::vector<int> needle(P);
    for (std::size_t p = 0; p < P; ++p) needle[p] = L ? 1 - materials[sites[p].layer] : 1;
    ProfileRequest request = {};
    request.needle[QUANTITY_R] = out.nR;
    request.needle[QUANTITY_GD] = out.nGD;
    request.needle[QUANTITY_GDD] = out.nGDD;
    request.walk = WalkChoice::Lossless;
    profileOverGrid(alternatingStack(grid, pol, materials), sites, needle.data(), P, request, path);
}

}  // namespace coat
