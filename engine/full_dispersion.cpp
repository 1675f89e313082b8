#include "engine/full_dispersion.h"

namespace coat {

std::vector<int> alternatingMaterials(std::size_t L)
{
    std::vector<int> m(L);
    for (std::size_t j = 0; j < L; ++j) m[j] = int(j % 2);
    return m;
}

LayeredStack alternatingStack(const FullDispersionGrid& grid, Polarization pol,
                              const std::vector<int>& materials)
{
    LayeredStack s;
    s.k = grid.stack.k;
    s.K = grid.stack.K;
    s.d = grid.stack.d;
    s.L = grid.stack.L;
    s.material = materials.data();
    s.M = 2;
    s.na = grid.stack.na;
    s.theta = grid.stack.theta;
    s.n = {grid.stack.n, nullptr, grid.nStride};
    s.nPrime = {grid.stack.nPrime, nullptr, grid.nPrimeStride};
    s.nSecond = {grid.nSecond, nullptr, grid.nSecondStride};
    s.pol = pol;
    return s;
}

void fullDispersionOverGrid(const FullDispersionGrid& grid, Polarization pol,
                            const FullDispersionOutputs& out, KernelPath path)
{
    const std::vector<int> materials = alternatingMaterials(grid.stack.L);
    ResponseRequest request = {};
    request.value[QUANTITY_R] = out.R;
    request.value[QUANTITY_GD] = out.GD;
    request.value[QUANTITY_GDD] = out.GDD;
    request.gradient[QUANTITY_R] = out.dR;
    request.gradient[QUANTITY_GD] = out.dGD;
    request.gradient[QUANTITY_GDD] = out.dGDD;
    request.walk = WalkChoice::Lossless;
    responseOverGrid(alternatingStack(grid, pol, materials), request, path);
}

}  // namespace coat
