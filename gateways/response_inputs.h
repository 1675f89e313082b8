// Inputs 1 to 9 of the modules over any stack, (k, d, m, n_a, N, Np, Npp,
// theta, pol), and their lists of names and weights: every one checked
// strictly, before any output is created, with module:reason identifiers
// and messages that name the input, what was given and what was expected.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/engine.h"
#include "gateways/gateway.h"
#include "gateways/names.h"

namespace coat {

enum ResponseInput {
    RK_IN,
    RD_IN,
    RM_IN,
    RNA_IN,
    RN_IN,
    RNP_IN,
    RNPP_IN,
    RTHETA_IN,
    RPOL_IN,
    RESPONSE_INPUTS
};

// Names of inputs 1 to 9 in messages, as "wavenumbers k".
extern const char* const RESPONSE_NAMES[];

// The engine's view of the call; `materials` holds the 0-based material
// numbers the stack points to.
struct ResponseCall {
    LayeredStack stack;
    std::vector<int> materials;
};

// Checks and reads inputs 1 to 9, allocating nothing (a host error may leave
// the gateway without running destructors); numberMaterials then fills
// call.materials, once every input is checked.
void readResponseInputs(const Gateway& g, ResponseCall& call);
void numberMaterials(const Gateway& g, ResponseCall& call);

}  // namespace coat
