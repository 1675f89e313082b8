// Prints its argument, if it has one, then executes an AVX-512 instruction,
// which Debian 12's valgrind does not decode: under valgrind the process dies
// of SIGILL exactly as octave-cli does at its start where valgrind cannot
// run it. Only ever run under valgrind.
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc > 1) {
        std::puts(argv[1]);
        std::fflush(stdout);
    }
    __asm__ volatile("vpxord %%zmm0, %%zmm0, %%zmm0" ::: "xmm0");
    return 0;
}
