// leaky(): loses one block of 1234 bytes on every call. Never shipped: it
// exists to show that leak_check() reports a leak made inside a module.
#include <cstdlib>

#include "mex.h"

void* volatile last;

void mexFunction(int, mxArray*[], int, const mxArray*[])
{
    last = std::malloc(1234);
    last = nullptr;
}
