// Where a depth from the ambient surface falls in a stack: the layer holding
// it and its distances from that layer's front and back.
#pragma once

#include <cstddef>

namespace coat {

// A depth on a boundary belongs to the deeper layer; the bottom of the stack
// to the last layer.
struct DepthSite {
    std::size_t layer;
    double front;  // distance from the layer's front
    double back;   // distance from its back
};

// The index of the first of the depths z[0..P-1] outside [0, sum(d)] (NaN
// included), or P. A depth beyond sum(d) by no more than the rounding of a
// sum of L terms counts as sum(d).
std::size_t firstDepthOutside(const double* d, std::size_t L, const double* z, std::size_t P);

// Sites of the depths z[0..P-1], all inside the stack, in a stack of L
// layers (L = 0 counts as one layer of zero thickness).
void locateDepths(const double* d, std::size_t L, const double* z, std::size_t P,
                  DepthSite* sites);

}  // namespace coat
