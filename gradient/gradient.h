// Exact derivatives of R and GD with respect to every layer thickness, from
// one forward and one backward sweep over the layer tables.
//
// The full product is (substrate-side product behind layer j) x (ambient-side
// product through layer j). Only layer j's propagation depends on d_j, so each
// thickness derivative needs the two partial products that meet at layer j:
// the forward sweep keeps the ambient-side rows (and their k- and mixed
// derivatives), the backward sweep the substrate-side columns. Work per
// wavenumber is linear in L.
#pragma once

#include <cstddef>
#include <vector>

#include "delay/layer_tables.h"

struct GradientTables {
    std::vector<StackRow> mixed;               // d/d(d_j) of the derivative row after layer j
    std::vector<StackRow> backward;            // entries 1..L: first column of the product
                                               // from the exit interface to layer j's interface
    std::vector<StackRow> backwardDerivative;  // its k-derivative; entry L stays zero

    explicit GradientTables(std::size_t L)
        : mixed(L), backward(L + 1), backwardDerivative(L + 1, StackRow{{0, 0}, {0, 0}})
    {
    }
};

struct ReflectanceAndDelay {
    double R;
    double GD;  // fs
};

// R and GD of one wavenumber (the table walk's values, number for number) and,
// where dR or dGD is not null, the thickness gradients: dR[j] = dR/d(d_j) per
// thickness unit, dGD[j] = dGD/d(d_j) in fs per thickness unit. `c` must have
// been formed with the exit material of this L; L >= 1.
ReflectanceAndDelay delayWithGradient(LayerTables& t, GradientTables& gt,
                                      const InterfaceCoefficients& c,
                                      const PhaseRateDerivatives& dc, const double* d, double* dR,
                                      double* dGD);

// All four outputs over the grid: R and GD as the table walk gives them, and
// the L x K gradients, element (j, i) at j + L i (dR, dGD may be null; with
// both null no gradient work is done). With no layers: the bare substrate,
// and no gradient entries.
void gradientOverGrid(const StackGrid& grid, Polarization pol, LayerTables& t, GradientTables& gt,
                      double* R, double* GD, double* dR, double* dGD);
