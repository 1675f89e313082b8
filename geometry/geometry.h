// What every walk shares about the light and the stack it meets: units,
// polarization and the angle of incidence.
#pragma once

#include <cmath>

namespace coat {

// Speed of light in micrometres per femtosecond: with k in rad/um, a
// derivative in k divided by c is a derivative in angular frequency, in fs.
constexpr double SPEED_OF_LIGHT = 0.299792458;

enum class Polarization { TE, TM };

// Square of the tangential index, (n_a sin theta)^2, in the two roundings the
// modules use: sin(theta) * (sin(theta) * n_a^2), and the square of the
// product n_a sin(theta).
inline double tangentialIndexSquared(double na, double theta)
{
    const double s = std::sin(theta);
    return s * (s * (na * na));
}
inline double tangentialIndexSquaredOfProduct(double na, double theta)
{
    const double t = na * std::sin(theta);
    return t * t;
}

}  // namespace coat
