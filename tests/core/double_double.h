// Double-double numbers (an unevaluated sum hi + lo of two doubles, about 106
// bits) for references that must be far more precise than the double code
// they check. long double cannot be relied on for that: it is 80-bit on
// x86-64, 128-bit (software) on aarch64 Linux, but no wider than double on
// Apple silicon and with MSVC.
//
// Only what the references need: + - * /, sqrt, and the sine and cosine of
// phases up to about 1e5 rad. Every operation is built from exact
// transformations of IEEE doubles (Knuth's two-sum, Dekker's split product),
// so it needs round-to-nearest and no contraction, as the build has.
#pragma once

#include <cmath>

struct DoubleDouble {
    double hi = 0, lo = 0;
    DoubleDouble() = default;
    DoubleDouble(double x) : hi(x) {}  // NOLINT: a double is a double-double
    DoubleDouble(double h, double l) : hi(h), lo(l) {}
    explicit operator double() const { return hi + lo; }
};

namespace dd {

// a + b = s + e exactly.
inline DoubleDouble twoSum(double a, double b)
{
    const double s = a + b, bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}
// The same for |a| >= |b|.
inline DoubleDouble quickTwoSum(double a, double b)
{
    const double s = a + b;
    return {s, b - (s - a)};
}
// a b = p + e exactly (Dekker), for |a|, |b| well below 1e300.
inline DoubleDouble twoProduct(double a, double b)
{
    const double p = a * b;
    const double ta = 134217729.0 * a, ah = ta - (ta - a), al = a - ah;
    const double tb = 134217729.0 * b, bh = tb - (tb - b), bl = b - bh;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

}  // namespace dd

inline DoubleDouble operator-(const DoubleDouble& a) { return {-a.hi, -a.lo}; }
inline DoubleDouble operator+(const DoubleDouble& a, const DoubleDouble& b)
{
    DoubleDouble s = dd::twoSum(a.hi, b.hi);
    const DoubleDouble t = dd::twoSum(a.lo, b.lo);
    s = dd::quickTwoSum(s.hi, s.lo + t.hi);
    return dd::quickTwoSum(s.hi, s.lo + t.lo);
}
inline DoubleDouble operator-(const DoubleDouble& a, const DoubleDouble& b) { return a + -b; }
inline DoubleDouble operator*(const DoubleDouble& a, const DoubleDouble& b)
{
    const DoubleDouble p = dd::twoProduct(a.hi, b.hi);
    return dd::quickTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}
inline DoubleDouble operator/(const DoubleDouble& a, const DoubleDouble& b)
{
    const double q1 = a.hi / b.hi;
    DoubleDouble r = a - b * q1;
    const double q2 = r.hi / b.hi;
    r = r - b * q2;
    return DoubleDouble(dd::quickTwoSum(q1, q2)) + r.hi / b.hi;
}
inline bool operator<(const DoubleDouble& a, const DoubleDouble& b)
{
    return a.hi < b.hi || (a.hi == b.hi && a.lo < b.lo);
}

inline DoubleDouble sqrt(const DoubleDouble& a)
{
    if (!(a.hi > 0)) return std::sqrt(a.hi);  // 0, or NaN below 0
    const DoubleDouble x = std::sqrt(a.hi);
    return x + (a - x * x) / (2.0 * x);  // one Newton step doubles the digits
}
inline DoubleDouble fabs(const DoubleDouble& a) { return a.hi < 0 ? -a : a; }

// sin and cos: x = n pi/2 + r with pi/2 to 160 bits, |r| <= pi/4, then the
// Taylor series of r to below 1e-33.
inline void sinCos(const DoubleDouble& x, DoubleDouble* s, DoubleDouble* c)
{
    const double PIO2[3] = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54, -0x1.f1976b7ed8fbcp-110};
    const double n = std::nearbyint(x.hi / PIO2[0]);
    DoubleDouble r = x;
    for (double part : PIO2) r = r - dd::twoProduct(n, part);
    // 1 / (k (k + 1)), the ratio of consecutive terms of either series.
    struct Ratios {
        DoubleDouble of[40];
        Ratios()
        {
            for (int k = 1; k < 40; ++k) of[k] = DoubleDouble(1.0) / (double(k) * double(k + 1));
        }
    };
    static const Ratios ratio;
    const DoubleDouble minusR2 = -(r * r);
    DoubleDouble sine = r, cosine = 1.0, term = r;
    for (int k = 2; k < 40 && std::fabs(term.hi) > 1e-34; k += 2) {
        term = term * minusR2 * ratio.of[k];  // (-1)^m r^(2m+1) / (2m+1)!
        sine = sine + term;
    }
    term = 1.0;
    for (int k = 1; k < 40 && std::fabs(term.hi) > 1e-34; k += 2) {
        term = term * minusR2 * ratio.of[k];  // (-1)^m r^(2m) / (2m)!
        cosine = cosine + term;
    }
    switch (static_cast<long long>(n) & 3) {
    case 0: *s = sine, *c = cosine; break;
    case 1: *s = cosine, *c = -sine; break;
    case 2: *s = -sine, *c = -cosine; break;
    default: *s = -cosine, *c = sine; break;
    }
}
inline DoubleDouble sin(const DoubleDouble& x)
{
    DoubleDouble s, c;
    sinCos(x, &s, &c);
    return s;
}
inline DoubleDouble cos(const DoubleDouble& x)
{
    DoubleDouble s, c;
    sinCos(x, &s, &c);
    return c;
}
