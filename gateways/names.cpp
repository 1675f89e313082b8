#include "gateways/names.h"

#include <cstdio>
#include <cstring>

namespace coat {

namespace {

void addName(Vocabulary& v, const char* prefix, const char* name, NameKind kind, int quantity,
             const char* suffix = "")
{
    std::snprintf(v.text[v.count], NAME_LENGTH, "%s%s%s", prefix, name, suffix);
    v.kind[v.count] = kind;
    v.quantity[v.count] = quantity;
    ++v.count;
}

void addQuantities(Vocabulary& v, const char* prefix, NameKind kind)
{
    for (int q = 0; q < QUANTITY_COUNT; ++q) addName(v, prefix, QUANTITIES[q].name, kind, q);
}

// "R, T, A, ..." of the table's names after `prefix`, or of a vocabulary.
void listOf(char* out, std::size_t size, const char* prefix, const Vocabulary* v)
{
    out[0] = 0;
    const int count = v ? v->count : QUANTITY_COUNT;
    for (int n = 0; n < count; ++n) {
        const std::size_t used = std::strlen(out);
        std::snprintf(out + used, size - used, "%s%s%s", n ? ", " : "", v ? "" : prefix,
                      v ? v->text[n] : QUANTITIES[n].name);
    }
}

// A character row's text, truncated to fit `out` (for messages); whether it
// is one that may be a name (no longer than the longest).
bool textOf(const mxArray* c, char* out, std::size_t size)
{
    if (!c || !mxIsChar(c) || mxGetM(c) > 1) return false;
    const std::size_t n = mxGetNumberOfElements(c);
    const mxChar* ch = mxGetChars(c);
    std::size_t i = 0;
    for (; i < n && i + 1 < size; ++i) out[i] = (unsigned long)(ch[i]) < 128 ? char(ch[i]) : '?';
    out[i] = 0;
    return n + 1 <= size;  // a longer text matches no name
}

}  // namespace

Vocabulary responseVocabulary()
{
    Vocabulary v = {};
    addName(v, "", "r", NameKind::Own, 0);
    addName(v, "", "t", NameKind::Own, 1);
    addQuantities(v, "", NameKind::Value);
    addQuantities(v, "d", NameKind::Gradient);
    addQuantities(v, "dn", NameKind::Index);
    addName(v, "", "g", NameKind::Own, 2);
    // the same stack lit from the substrate: its powers and their gradients
    addName(v, "", "rsub", NameKind::Own, 3);
    addName(v, "", "tsub", NameKind::Own, 4);
    for (const int q : {QUANTITY_R, QUANTITY_T, QUANTITY_A})
        addName(v, "", QUANTITIES[q].name, NameKind::SubstrateValue, q, "sub");
    for (const int q : {QUANTITY_R, QUANTITY_T, QUANTITY_A})
        addName(v, "d", QUANTITIES[q].name, NameKind::SubstrateGradient, q, "sub");
    return v;
}

Vocabulary profileVocabulary()
{
    Vocabulary v = {};
    addName(v, "", "E2", NameKind::Own, 0);
    addQuantities(v, "n", NameKind::Needle);
    addName(v, "", "ng", NameKind::Own, 1);
    addName(v, "", "dE2", NameKind::Own, 2);
    return v;
}

int Vocabulary::find(NameKind k, int q) const
{
    for (int n = 0; n < count; ++n)
        if (kind[n] == k && quantity[n] == q) return n;
    return -1;
}

NameSet readNames(const Gateway& g, int input, const char* inputName, const Vocabulary& v)
{
    const mxArray* a = g.prhs[input];
    const bool cell = mxIsCell(a);
    const std::size_t n = cell ? mxGetNumberOfElements(a) : 1;
    if (n == 0)
        raiseError(g, "badNames", "Input %d (%s) names no output; give a name or a cell array "
                   "of names.", input + 1, inputName);
    NameSet set = {};
    for (std::size_t i = 0; i < n; ++i) {
        char text[64];
        if (!textOf(cell ? mxGetCell(a, i) : a, text, sizeof text))
            raiseError(g, "badNames",
                       "Input %d (%s) must be a name or a cell array of names; element %zu is "
                       "not a character row (of at most 63 characters).",
                       input + 1, inputName, i + 1);
        int name = 0;
        while (name < v.count && std::strcmp(text, v.text[name]) != 0) ++name;
        if (name == v.count) {
            char list[MAX_NAMES * (NAME_LENGTH + 2)];
            listOf(list, sizeof list, "", &v);
            raiseError(g, "unknownName",
                       "Input %d (%s): '%s' is not a name this module gives; the names are %s.",
                       input + 1, inputName, text, list);
        }
        int seen = 0;
        while (seen < set.count && set.name[seen] != name) ++seen;
        if (seen == set.count) set.name[set.count++] = name;
        set.asked[name] = true;
    }
    return set;
}

mxArray* createStructOf(const NameSet& names, const Vocabulary& v)
{
    const char* fields[MAX_NAMES];
    for (int n = 0; n < names.count; ++n) fields[n] = v.text[names.name[n]];
    return mxCreateStructMatrix(1, 1, names.count, fields);
}

void readWeights(const Gateway& g, int input, std::size_t K, const double* weight[],
                 std::size_t stride[])
{
    for (int q = 0; q < QUANTITY_COUNT; ++q) {
        weight[q] = nullptr;
        stride[q] = 0;
    }
    char list[QUANTITY_COUNT * (NAME_LENGTH + 2)];
    listOf(list, sizeof list, "", nullptr);
    const mxArray* a = g.prhs[input];
    if (!mxIsStruct(a) || mxGetNumberOfElements(a) != 1)
        raiseError(g, "badWeights",
                   "Input %d (weights) must be a 1x1 struct whose fields name real quantities "
                   "(%s); a %s array was given.",
                   input + 1, list, mxGetClassName(a));
    const int fields = mxGetNumberOfFields(a);
    for (int f = 0; f < fields; ++f) {
        const char* name = mxGetFieldNameByNumber(a, f);
        int q = 0;
        while (q < QUANTITY_COUNT && std::strcmp(name, QUANTITIES[q].name) != 0) ++q;
        if (q == QUANTITY_COUNT)
            raiseError(g, "badWeights",
                       "Input %d (weights): field '%s' is not a real quantity; the fields may be "
                       "%s.",
                       input + 1, name, list);
        const mxArray* w = mxGetFieldByNumber(a, 0, f);
        const std::size_t n = w ? mxGetNumberOfElements(w) : 0;
        if (!w || !mxIsDouble(w) || mxIsSparse(w) || mxIsComplex(w) ||
            mxGetNumberOfDimensions(w) != 2 || (mxGetM(w) > 1 && mxGetN(w) > 1) ||
            (n != K && n != 1))
            raiseError(g, "badWeights",
                       "Input %d (weights): field '%s' must be a real double 1x%zu row (one "
                       "weight per wavenumber) or a scalar; %zu elements were given.",
                       input + 1, name, K, n);
        weight[q] = mxGetPr(w);
        stride[q] = n == K && K != 1 ? 1 : 0;
    }
}

}  // namespace coat
