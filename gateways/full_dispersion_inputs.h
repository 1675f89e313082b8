// Inputs 1 to 8 of the full-dispersion modules, (k, d, n_a, N, Np, Npp,
// theta, pol): every one checked strictly, before any output is created,
// with module:reason identifiers and messages that name the input, what was
// given and what was expected.
#pragma once

#include <cstddef>

#include "engine/full_dispersion.h"
#include "gateways/gateway.h"

namespace coat {

enum FullDispersionInput { K_IN, D_IN, NA_IN, N_IN, NP_IN, NPP_IN, THETA_IN, POL_IN, Z_IN };

// Names of inputs in messages, as "wavenumbers k".
extern const char* const FULL_DISPERSION_NAMES[];

// A real, full double array ("absorbing layers are not modelled").
void requireRealInput(const Gateway& g, int input);

struct FullDispersionCall {
    FullDispersionGrid grid;
    Polarization pol;
};

// Checks and reads inputs 1 to 8.
FullDispersionCall readFullDispersionInputs(const Gateway& g);

}  // namespace coat
