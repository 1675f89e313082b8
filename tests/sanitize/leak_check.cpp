// leaks = leak_check(): LeakSanitizer's check of the whole process, made now,
// while the modules the caller used are still loaded. Returns 1 and prints
// each leak with its allocation stack if any block is unreachable, else 0.
// Built only with AddressSanitizer, for the tests.
#include <sanitizer/lsan_interface.h>

#include "mex.h"

void mexFunction(int, mxArray* plhs[], int, const mxArray*[])
{
    plhs[0] = mxCreateDoubleScalar(__lsan_do_recoverable_leak_check());
}
