// Inputs 1 to 9 of the modules over any stack, (k, d, m, n_a, N, Np, Npp,
// theta, pol), and their lists of names and weights: every one checked
// strictly, before any output is created, with module:reason identifiers
// and messages that name the input, what was given and what was expected.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/engine.h"
#include "gateways/gateway.h"

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

// The names of the real quantities, in the order of enum Quantity.
extern const char* const QUANTITY_NAMES[QUANTITY_COUNT];

// The names a cell array (or one character row) of input `input` holds, as
// positions in valid[0..validCount-1], each once, in the order first given;
// an unknown name is an error listing the valid ones. Everything is checked
// before the result is allocated.
std::vector<int> readNames(const Gateway& g, int input, const char* inputName,
                           const char* const* valid, int validCount);
// The 1 x 1 output struct with a field valid[n] for each of `names`.
mxArray* createStructOf(const std::vector<int>& names, const char* const* valid);
// Whether input `input`'s names hold `name` (no check, no allocation).
bool namesHold(const Gateway& g, int input, const char* name);

// The weights of a struct input: per quantity, the 1 x K (stride 1) or scalar
// (stride 0) weights of the fields it has, null for the others.
void readWeights(const Gateway& g, int input, std::size_t K, const double* weight[],
                 std::size_t stride[]);

// A real 1 x K double row (complex r or t) created as output field data.
mxArray* createComplexRow(std::size_t K, double** re, double** im);
