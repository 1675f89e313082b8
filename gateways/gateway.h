// What every module's gateway shares: reading and checking the inputs,
// creating the outputs, the polarization selector and the error calls.
//
// A broken promise of the caller must become a host error, never a read past
// an array or a write into an output slot the host did not give: either one
// takes the user's whole session down. Every check runs before any output is
// created.
#pragma once

#include <cstddef>
#include <new>
#include <stdexcept>

#include "mex.h"
#include "stack/stack.h"

// Input positions (0-based, as in prhs) shared by every module.
enum StackInput { IN_GRID = 0, IN_THICKNESS = 1, IN_AMBIENT = 2, IN_TRIPLES = 3 };
// The modules with derivative triples.
enum DelayInput { IN_DERIVATIVES = 4, IN_ANGLE = 5, IN_SELECTOR = 6 };

struct Gateway {
    const char* module;
    int nlhs;
    mxArray** plhs;
    int nrhs;
    const mxArray* const* prhs;
};

// Raises the host error `module:reason` with a printf-style message and does
// not return. The hosts put the module name in front of the message.
[[noreturn]] void raiseError(const Gateway& g, const char* reason, const char* format, ...);

void requireInputs(const Gateway& g, int count);
void requireAtMostOutputs(const Gateway& g, int count);

// How K and L are taken: from the columns of input 1 and the rows of input 2,
// or from their element counts (rows or columns both work).
enum class Counting { ColumnsAndRows, Elements };

enum class Derivatives { Without, With };

// Checks and reads the wavenumber grid, thickness vector, ambient index,
// material triples, derivative triples (when taken) and angle of incidence:
// full (non-sparse) double arrays, non-empty scalars, counts that fit the
// element counts, 3K elements in each triple input. Complex arrays are
// accepted; their real part is read.
StackGrid readStackInputs(const Gateway& g, Counting counting, Derivatives derivatives);

// TM exactly when the first two characters are "TM"; anything else is TE.
// Read in place at any length and shape; a non-character input is an error.
Polarization readSelector(const Gateway& g, int input);

// Creates output `slot` (0-based) as a real rows x cols double matrix when
// the host gave that slot (it gives max(nlhs, 1)), and returns its data; null
// when the caller did not ask for it, so that nothing is stored past the
// given slots. Its elements are not cleared: the caller writes every one.
double* createOutput(const Gateway& g, int slot, std::size_t rows, std::size_t cols);

// Runs work that allocates per-call tables. An allocation failure must not
// escape the gateway as a C++ exception (that aborts the host): the tables
// are released as the work's scope is left, and only then is the host error
// raised.
template <class Work>
void runGuarded(const Gateway& g, Work&& work)
{
    bool outOfMemory = false;
    try {
        work();
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    } catch (const std::length_error&) {
        outOfMemory = true;
    }
    if (outOfMemory) raiseError(g, "outOfMemory", "Not enough memory for the per-layer tables.");
}
