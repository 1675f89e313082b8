// The names a module over any stack takes in `want` and in its weights, all
// from the quantity table (engine/quantities.h): a module's vocabulary is a
// few names of its own and, per quantity, the quantity's name behind a prefix
// ("" for the values, "d" for the gradients, "n" for the needles, "dn" for
// the derivatives by the materials' indices).
#pragma once

#include <cstddef>

#include "engine/quantities.h"
#include "gateways/gateway.h"

namespace coat {

const int MAX_NAMES = 48;  // coatresponse has 38: r, t, g, nine values, gradients and index derivatives, eight lit from the substrate
const int NAME_LENGTH = 8;  // the longest name and its terminator

// What a name asks for: a name of the module's own, or a quantity's value,
// gradient, needle derivative or derivatives by the materials' indices; or,
// with the light from the substrate, a value or a gradient.
enum class NameKind { Own, Value, Gradient, Needle, Index, SubstrateValue, SubstrateGradient };

// The names of a module, in the order its help lists them.
struct Vocabulary {
    int count;
    char text[MAX_NAMES][NAME_LENGTH];
    NameKind kind[MAX_NAMES];
    int quantity[MAX_NAMES];  // a quantity's kinds: its number; its own: 0, 1, ...

    // The position of a name, or -1.
    int find(NameKind k, int q) const;
};

// coatresponse: r, t, the values, their gradients dX, their derivatives by
// the materials' indices dnX, and g; then, lit from the substrate, rsub,
// tsub, Rsub, Tsub, Asub and dRsub, dTsub, dAsub.
Vocabulary responseVocabulary();
// coatprofile: E2, the needle derivatives nX, ng and dE2.
Vocabulary profileVocabulary();

// The names a call asks for, each once, in the order first given.
struct NameSet {
    int count;
    int name[MAX_NAMES];     // positions in the vocabulary
    bool asked[MAX_NAMES];   // by position

    bool holds(const Vocabulary& v, NameKind kind, int quantity) const
    {
        const int at = v.find(kind, quantity);
        return at >= 0 && asked[at];
    }
};

// Reads input `input` (a name or a cell array of names) once: every element
// must be a name of the vocabulary (an unknown one is an error that lists
// them all). Allocates nothing, so that it may run before any output exists.
NameSet readNames(const Gateway& g, int input, const char* inputName, const Vocabulary& v);

// The 1 x 1 output struct with a field for each name of the set.
mxArray* createStructOf(const NameSet& names, const Vocabulary& v);

// The weights of a struct input: per quantity, the 1 x K (stride 1) or scalar
// (stride 0) weights of the fields it has, null for the others.
void readWeights(const Gateway& g, int input, std::size_t K, const double* weight[],
                 std::size_t stride[]);

}  // namespace coat
