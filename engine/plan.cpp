#include <unordered_map>
#include <unordered_set>

#include "engine/media.h"

namespace coat {

InterfacePlan planInterfaces(const LayeredStack& s, const std::vector<int>& extraMedia)
{
    InterfacePlan plan;
    const int ambient = int(s.M) + 1, substrate = int(s.M);
    plan.interfaceOfLayer.resize(s.L + 1);
    plan.thickness.assign(s.M, 0.0);
    // Distinct interfaces and media by hash, so that planning stays O(L + M)
    // however many materials a stack holds.
    std::unordered_map<long long, int> interfaces;
    std::unordered_set<int> media;
    auto addMedium = [&](int x) {
        if (media.insert(x).second) plan.media.push_back(x);
    };
    auto interfaceOf = [&](int near, int far) {
        const long long key = (long long)near * (long long)(s.M + 2) + far;
        const auto found = interfaces.find(key);
        if (found != interfaces.end()) return found->second;
        plan.near.push_back(near);
        plan.far.push_back(far);
        addMedium(near);
        addMedium(far);
        const int f = int(plan.near.size() - 1);
        interfaces.emplace(key, f);
        return f;
    };
    int previous = ambient;
    for (std::size_t j = 0; j < s.L; ++j) {
        plan.interfaceOfLayer[j] = interfaceOf(previous, s.material[j]);
        if (std::size_t(s.material[j]) < s.M) plan.thickness[std::size_t(s.material[j])] += s.d[j];
        previous = s.material[j];
    }
    plan.interfaceOfLayer[s.L] = interfaceOf(previous, substrate);
    for (const int x : extraMedia) addMedium(x);

    const double tau = tangentialIndexSquared(s.na, s.theta);
    plan.lossless = true;
    for (std::size_t i = 0; i < s.K && plan.lossless; ++i)
        for (const int x : plan.media) {
            if (x == ambient) continue;
            const std::size_t m = std::size_t(x);
            const double n = s.n.realAt(i, m);
            if (s.n.imagAt(i, m) != 0 || s.nPrime.imagAt(i, m) != 0 ||
                s.nSecond.imagAt(i, m) != 0 || n * n - tau <= 0) {
                plan.lossless = false;
                break;
            }
        }
    return plan;
}

}  // namespace coat
