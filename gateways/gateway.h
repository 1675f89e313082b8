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
#include "geometry/depth.h"
#include "geometry/geometry.h"
#include "geometry/grid.h"
#include "platform/threads.h"

namespace coat {

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

// The checkers below name the input in their messages as "Input 3 (name)".

// A full (non-sparse) double array; complex is accepted (its real part is
// what the lax modules read).
void requireFullDouble(const Gateway& g, int input, const char* name);
// A full, real double array. `whyReal` ends the message for a complex one.
void requireRealDouble(const Gateway& g, int input, const char* name, const char* whyReal);
// Exactly `count` inputs, listed by `names` in the message.
void requireInputCount(const Gateway& g, int count, const char* names);
// A scalar (exactly one element).
double readScalar(const Gateway& g, int input, const char* name);
// The number of elements of a vector (row, column or empty); anything else
// is an error.
std::size_t vectorLength(const Gateway& g, int input, const char* name);
// rows x K, or rows x 1 for every wavenumber: the stride between columns
// (rows or 0). A K x rows array is refused as transposed (`module:
// transposedIndices`), naming the likely fault.
std::size_t columnStride(const Gateway& g, int input, const char* name, std::size_t rows,
                         std::size_t K);
// Refuses an m x n table of indices given where (rows per material) x K is
// due, and whose m rows are the K wavenumbers: most likely transposed.
[[noreturn]] void raiseTransposed(const Gateway& g, int input, const char* name, std::size_t m,
                                  std::size_t n, std::size_t K);

// The angle of incidence of input `input`: a real scalar, in radians, with
// 0 <= theta < pi/2.
double readAngle(const Gateway& g, int input, const char* name);
// The L thicknesses at d (input `input`): each finite and >= 0, in um.
void checkThicknesses(const Gateway& g, int input, const char* name, const double* d,
                      std::size_t L);
// The depths of input `input` in a stack of thicknesses d[0..L-1]: a real
// vector, each depth between 0 and sum(d) (geometry/depth.h); *P their count.
const double* readDepths(const Gateway& g, int input, const char* name, const double* d,
                         std::size_t L, std::size_t* P);

// How a polarization selector is read.
//   Lax:    TM exactly when the first two characters are "TM"; anything else
//           (any length, 'p' included) is TE, as the first modules always did.
//   Strict: 'TE' or 's', 'TM' or 'p', in either case; anything else is an error.
// A non-character input is an error either way.
enum class SelectorRule { Lax, Strict };
Polarization readSelector(const Gateway& g, int input, SelectorRule rule = SelectorRule::Lax);

// Creates output `slot` (0-based) as a real rows x cols double matrix when
// the host gave that slot (it gives max(nlhs, 1)), and returns its data; null
// when the caller did not ask for it, so that nothing is stored past the
// given slots. Its elements are not cleared: the caller writes every one.
double* createOutput(const Gateway& g, int slot, std::size_t rows, std::size_t cols);

// Runs work that allocates per-call tables. An allocation failure must not
// escape the gateway as a C++ exception (that aborts the host): the tables
// are released as the work's scope is left, and only then is the host error
// raised. The threads a module keeps waiting between calls are ended as the
// host unloads it (clear mex, clear all, exit).
template <class Work>
void runGuarded(const Gateway& g, Work&& work)
{
    mexAtExit(stopThreads);
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

}  // namespace coat
