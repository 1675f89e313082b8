// Inputs 1 to 8 of the full-dispersion modules, (k, d, n_a, N, Np, Npp,
// theta, pol): every one checked strictly, before any output is created,
// with module:reason identifiers and messages that name the input, what was
// given and what was expected.
#pragma once

#include <cstddef>

#include "fulldispersion/full_dispersion.h"
#include "gateways/gateway.h"

enum FullDispersionInput { K_IN, D_IN, NA_IN, N_IN, NP_IN, NPP_IN, THETA_IN, POL_IN, Z_IN };

// Exactly `count` inputs, listed by `names` in the message.
void requireInputCount(const Gateway& g, int count, const char* names);

// A real, full double array.
void requireRealDouble(const Gateway& g, int input);

// The number of elements of a vector (row, column or empty); anything else
// is an error.
std::size_t vectorLength(const Gateway& g, int input);

// Name of an input in messages, as "wavenumbers k".
const char* inputName(int input);

struct FullDispersionCall {
    FullDispersionGrid grid;
    Polarization pol;
};

// Checks and reads inputs 1 to 8.
FullDispersionCall readFullDispersionInputs(const Gateway& g);
