// Runs one module's kernel once over the benchmark workload, for counting
// instructions with `valgrind --tool=callgrind` (stable on a noisy machine,
// where timings are not):
//   valgrind --tool=callgrind build/bench/kernel_profile coatdelay2 100
//   callgrind_annotate --inclusive=yes callgrind.out.<pid> | grep OverGrid
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "delay/delay.h"
#include "delay/layer_tables.h"
#include "dispersion/dispersion.h"
#include "engine/full_dispersion.h"
#include "gradient/gradient.h"
#include "workload.h"

using namespace coat;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s coatrefl2|coatdelay2|coatdelay|coatdisp|coatdelaygrad|coatdispgrad"
                     " L\n",
                     argv[0]);
        return 2;
    }
    const char* module = argv[1];
    const bench::Workload w(std::strtoul(argv[2], nullptr, 10));
    const std::size_t K = bench::K, L = w.L();
    std::vector<double> R(K), GD(K), GDD(K), dR(K * L), dGD(K * L), dGDD(K * L);
    if (!std::strcmp(module, "coatrefl2"))
        reflectanceOverGrid(w.grid, R.data());
    else if (!std::strcmp(module, "coatdelay2"))
        delayOverGrid(w.grid, Polarization::TE, R.data(), GD.data());
    else if (!std::strcmp(module, "coatdelay"))
        physicalClosingDelayOverGrid(w.grid, Polarization::TE, R.data(), GD.data());
    else if (!std::strcmp(module, "coatdisp"))
        dispersionOverGrid(w.grid, Polarization::TE, R.data(), GD.data(), GDD.data());
    else if (!std::strcmp(module, "coatdelaygrad"))
        gradientOverGrid(w.grid, Polarization::TE, R.data(), GD.data(), dR.data(), dGD.data());
    else if (!std::strcmp(module, "coatdispgrad"))
        fullDispersionOverGrid(
            {w.grid, nullptr, 3, 3, 0}, Polarization::TE,
            {R.data(), GD.data(), GDD.data(), dR.data(), dGD.data(), dGDD.data()});
    else
        return 2;
    std::printf("%s L=%zu R[0]=%.17g\n", module, L, R[0]);
    return 0;
}
