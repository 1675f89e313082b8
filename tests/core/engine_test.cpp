// The general engine (responseOverGrid, profileOverGrid) against the
// textbook matrices in double-double (wide_textbook.h): every output, on
// films from lossless to strongly absorbing, over grids that mix lane groups.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "profile/profile.h"
#include "wide_textbook.h"

namespace {

const Polarization BOTH[] = {Polarization::TE, Polarization::TM};

// A stack and everything a call reads, owned: indices, n' and n'' per
// material and wavenumber (stride M + 1), complex.
struct Problem {
    std::vector<double> k, d;
    std::vector<int> material;
    std::size_t M = 0;
    double na = 1, theta = 0;
    Polarization pol = Polarization::TE;
    std::vector<double> n[2], np[2], npp[2];  // real and imaginary parts

    LayeredStack stack() const
    {
        return {k.data(), k.size(), d.data(), d.size(), material.data(), M, na, theta,
                {n[0].data(), n[1].data(), M + 1}, {np[0].data(), np[1].data(), M + 1},
                {npp[0].data(), npp[1].data(), M + 1}, pol};
    }
    // Material x at wavenumber i: n + i kappa, with n' and n'' complex.
    void setIndex(std::size_t i, std::size_t x, double re, double im, Complex slope,
                  Complex curvature)
    {
        const std::size_t at = (M + 1) * i + x;
        n[0][at] = re, n[1][at] = im;
        np[0][at] = slope.re, np[1][at] = slope.im;
        npp[0][at] = curvature.re, npp[1][at] = curvature.im;
    }
    void resizeIndices()
    {
        for (auto* table : {n, np, npp})
            for (int part = 0; part < 2; ++part) table[part].assign((M + 1) * k.size(), 0.0);
    }
};

// Everything both entry points give, with weights of every quantity that
// differ per wavenumber (a merit's g and ng).
struct EngineOutputs {
    std::vector<double> r[2], t[2], value[QUANTITY_COUNT], gradient[QUANTITY_COUNT], g;
    std::vector<double> E2, needle[QUANTITY_COUNT], ng, weight[QUANTITY_COUNT];
};

EngineOutputs runEngine(const Problem& p, const std::vector<DepthSite>& sites,
                        const std::vector<int>& needleMaterial)
{
    const LayeredStack s = p.stack();
    const std::size_t K = s.K, L = s.L, P = sites.size();
    EngineOutputs o;
    ResponseRequest request = {};
    ProfileRequest profile = {};
    for (int part = 0; part < 2; ++part) {
        o.r[part].resize(K);
        o.t[part].resize(K);
        request.r[part] = o.r[part].data();
        request.t[part] = o.t[part].data();
    }
    o.g.resize(L);
    o.ng.resize(P);
    o.E2.resize(P * K);
    for (int q = 0; q < QUANTITY_COUNT; ++q) {
        o.value[q].resize(K);
        o.gradient[q].resize(L * K);
        o.needle[q].resize(P * K);
        o.weight[q].resize(K);
        for (std::size_t i = 0; i < K; ++i)
            o.weight[q][i] = std::sin(1.0 + double(q) + 0.7 * double(i));
        request.value[q] = o.value[q].data();
        request.gradient[q] = o.gradient[q].data();
        request.weight[q] = profile.weight[q] = o.weight[q].data();
        request.weightStride[q] = profile.weightStride[q] = 1;
        profile.needle[q] = o.needle[q].data();
    }
    request.g = o.g.data();
    profile.E2 = o.E2.data();
    profile.ng = o.ng.data();
    responseOverGrid(s, request);
    profileOverGrid(s, sites.data(), needleMaterial.data(), P, profile);
    return o;
}

// The largest error seen of one kind, and where.
struct Worst {
    double error = 0;
    std::string where;
    void see(double e, const std::string& at)
    {
        if (!(e <= error)) error = e, where = at;  // NaN is the worst
    }
};

// The errors of one call against the reference, by kind. r, t, R, T, A and
// |E|^2 (relative to its largest) as multiples of 8 (L + 2) ulps, t relative
// to max(1, |t|) (an evanescent substrate's field may exceed the incident
// one), and both widened where the textbook product in plain double errs by
// more than that (at a resonance every rounding of the inputs counts that
// much more; the engine must then do as well). The others relative to the
// largest of their quantity over the call (at least 1 for R, T and A and
// their derivatives, per um): the phase derivatives, the gradients of
// `layers`, the needles; g and ng relative to the sum of the magnitudes of
// their terms.
enum Kind { VALUES, PHASES, GRADIENTS, NEEDLES, FIELD, MERIT, KINDS };
const char* const KIND_NAMES[KINDS] = {"r t R T A", "GD GDD TOD", "gradients", "needles", "E2",
                                       "g ng"};
struct Errors {
    Worst of[KINDS];
};

// Largest magnitudes per quantity, at least `floor` for R, T and A.
struct Scales {
    double of[QUANTITY_COUNT];
    explicit Scales(double floor)
    {
        for (int q = 0; q < QUANTITY_COUNT; ++q) of[q] = q <= QUANTITY_A ? floor : 0;
    }
    void see(const double* x)
    {
        for (int q = 0; q < QUANTITY_COUNT; ++q) of[q] = std::fmax(of[q], std::fabs(x[q]));
    }
};

const double ULP = 0x1p-52;

double valueBound(std::size_t L) { return 8 * double(L + 2) * ULP; }

// r and t of the textbook matrices in plain double, as
// tests/octave/textbook_response.m forms them.
void plainTextbook(const LayeredStack& s, std::size_t i, Complex* r, Complex* t)
{
    using C = std::complex<double>;
    const double tau = std::pow(s.na * std::sin(s.theta), 2);
    const bool te = s.pol == Polarization::TE;
    const double etaA = te ? s.na * std::cos(s.theta) : s.na / std::cos(s.theta);
    std::vector<C> q(s.M + 1), eta(s.M + 1);
    for (std::size_t x = 0; x <= s.M; ++x) {
        const C n(s.n.realAt(i, x), s.n.imagAt(i, x));
        q[x] = std::sqrt(n * n - tau);
        if (q[x].imag() < 0) q[x] = -q[x];
        eta[x] = te ? q[x] : n * n / q[x];
    }
    C B = 1, H = eta[s.M];
    for (std::size_t j = s.L; j-- > 0;) {
        const std::size_t x = std::size_t(s.material[j]);
        const C delta = s.k[i] * q[x] * s.d[j], minusI(0, -1);
        const C b = std::cos(delta) * B + minusI * std::sin(delta) / eta[x] * H;
        H = minusI * eta[x] * std::sin(delta) * B + std::cos(delta) * H;
        B = b;
    }
    const C rr = (etaA * B - H) / (etaA * B + H), tE = 2 * etaA / (etaA * B + H);
    const C tt = te ? tE : tE * eta[s.M] / etaA;
    *r = {te ? rr.real() : -rr.real(), te ? rr.imag() : -rr.imag()};
    *t = {tt.real(), tt.imag()};
}

// The errors of the call's outputs added into e; R of the engine and of the
// reference at every wavenumber into R[0] and R[1], when given.
void compare(const Problem& p, const std::vector<std::size_t>& layers,
             const std::vector<DepthSite>& sites, const std::vector<int>& needleMaterial,
             const std::string& what, Errors& e, std::vector<double>* R = nullptr)
{
    const LayeredStack s = p.stack();
    const std::size_t K = s.K, L = s.L, P = sites.size(), Q = QUANTITY_COUNT;
    const EngineOutputs o = runEngine(p, sites, needleMaterial);
    std::vector<wide::Reference> ref(K);
    Scales values(0), gradients(1), needles(1);
    double e2Scale = 0;
    for (std::size_t i = 0; i < K; ++i) {
        const wide::Reference& x = ref[i] = wide::reference(s, i, layers, sites, needleMaterial);
        values.see(x.value);
        for (std::size_t a = 0; a < layers.size(); ++a) gradients.see(&x.gradient[a * Q]);
        for (std::size_t c = 0; c < P; ++c) {
            e2Scale = std::fmax(e2Scale, x.E2[c]);
            needles.see(&x.needle[c * Q]);
        }
    }
    std::vector<double> g(L, 0.0), gSize(L, 0.0), ng(P, 0.0), ngSize(P, 0.0);
    for (std::size_t i = 0; i < K && R; ++i) {
        R[0].push_back(o.value[QUANTITY_R][i]);
        R[1].push_back(ref[i].value[QUANTITY_R]);
    }
    for (std::size_t i = 0; i < K; ++i) {
        const std::string at = what + ", k=" + std::to_string(s.k[i]);
        const wide::Reference& x = ref[i];
        Complex r, t;
        plainTextbook(s, i, &r, &t);
        const double size = std::fmax(1, std::hypot(x.t.re, x.t.im));
        const double plain = std::fmax(std::hypot(r.re - x.r.re, r.im - x.r.im),
                                       std::hypot(t.re - x.t.re, t.im - x.t.im) / size);
        const double allowed = std::fmax(valueBound(L), 2 * plain);
        e.of[VALUES].see(std::hypot(o.r[0][i] - x.r.re, o.r[1][i] - x.r.im) / allowed, at + " r");
        e.of[VALUES].see(std::hypot(o.t[0][i] - x.t.re, o.t[1][i] - x.t.im) / size / allowed,
                         at + " t");
        for (std::size_t q = 0; q < Q; ++q) {
            const double error = std::fabs(o.value[q][i] - x.value[q]);
            if (q <= QUANTITY_A)
                e.of[VALUES].see(error / allowed, at + " " + QUANTITIES[q].name);
            else
                e.of[PHASES].see(error / values.of[q], at + " " + QUANTITIES[q].name);
        }
        for (std::size_t a = 0; a < layers.size(); ++a)
            for (std::size_t q = 0; q < Q; ++q) {
                const double want = x.gradient[a * Q + q], w = o.weight[q][i] * want;
                e.of[GRADIENTS].see(
                    std::fabs(o.gradient[q][layers[a] + L * i] - want) / gradients.of[q],
                    at + " d" + QUANTITIES[q].name + " of layer " + std::to_string(layers[a]));
                g[layers[a]] += w;
                gSize[layers[a]] += std::fabs(w);
            }
        for (std::size_t c = 0; c < P; ++c) {
            const std::string site = at + " depth " + std::to_string(c);
            e.of[FIELD].see(std::fabs(o.E2[c + P * i] - x.E2[c]) / e2Scale / allowed, site + " E2");
            for (std::size_t q = 0; q < Q; ++q) {
                const double want = x.needle[c * Q + q], w = o.weight[q][i] * want;
                e.of[NEEDLES].see(std::fabs(o.needle[q][c + P * i] - want) / needles.of[q],
                                  site + " n" + QUANTITIES[q].name);
                ng[c] += w;
                ngSize[c] += std::fabs(w);
            }
        }
    }
    for (std::size_t j : layers)
        e.of[MERIT].see(std::fabs(o.g[j] - g[j]) / std::fmax(gSize[j], 1e-300),
                        what + " g of layer " + std::to_string(j));
    for (std::size_t c = 0; c < P; ++c)
        e.of[MERIT].see(std::fabs(o.ng[c] - ng[c]) / std::fmax(ngSize[c], 1e-300),
                        what + " ng of depth " + std::to_string(c));
}

// What each kind may be off by: r, t, R, T, A and E2 by their allowance
// (8 (L + 2) ulps leave room for the vector sines and cosines, within 4 ulps,
// and for the phase of t, a sum of L layer phases); the phase derivatives by
// 1e-9 of their largest, the gradients, needles and merits by 1e-8 of
// theirs. Seen on this machine: 0.4 of the allowance; 2e-10 for the TOD of r
// over 100 layers of Im n = 1 (the log-derivatives of w_1 and w_2 carry the
// growth through the stack, and their difference cancels); 3e-11 for the
// gradients and needles, 1e-9 for g and ng (a merit whose terms cancel).
void expectWithin(const Errors& e, const char* title)
{
    const double bound[KINDS] = {1, 1e-9, 1e-8, 1e-8, 1, 1e-8};
    for (int kind = 0; kind < KINDS; ++kind) {
        std::printf("%s: worst %-10s %.2g%s\n", title, KIND_NAMES[kind], e.of[kind].error,
                    bound[kind] == 1 ? " of its allowance" : "");
        EXPECT_LE(e.of[kind].error, bound[kind]) << KIND_NAMES[kind] << " at " << e.of[kind].where;
    }
}

// Two films (A, B) alternating on glass, A of index 2.05 + i kappa, B of 1.45;
// L layers of uneven thickness; three wavenumbers about 800 nm (one short
// lane group, or one of two and a short one); n' and n'' per wavenumber.
Problem filmPair(std::size_t L, double kappa, double theta, Polarization pol)
{
    Problem p;
    p.M = 2;
    p.theta = theta;
    p.pol = pol;
    for (std::size_t i = 0; i < 3; ++i) p.k.push_back(7.2 + 0.61 * double(i));
    for (std::size_t j = 0; j < L; ++j) {
        p.material.push_back(int(j % 2));
        const double uneven = 1 + 0.37 * std::sin(1.3 * double(j) + 0.4);
        p.d.push_back(L == 1 ? 0.3 : (j % 2 ? 0.138 : 0.087) * uneven);
    }
    p.resizeIndices();
    for (std::size_t i = 0; i < p.k.size(); ++i) {
        const double x = double(i);
        p.setIndex(i, 0, 2.05 + 0.01 * std::cos(x), kappa * (1 + 0.2 * std::sin(x)),
                   {0.021 + 0.006 * std::sin(1.3 * x), 0.3 * kappa}, {0.0042, -0.1 * kappa});
        p.setIndex(i, 1, 1.45 + 0.005 * std::sin(x), 0, {0.0043, 0}, {0.0009, 0});
        p.setIndex(i, 2, 1.52, 0, {0.0051, 0}, {-0.0007, 0});
    }
    return p;
}

// Depths: the surface, inside the first layer, a boundary, deep inside, the
// bottom; with needles of the other film or of the substrate's glass.
void depthsOf(const Problem& p, std::vector<DepthSite>& sites, std::vector<int>& needle)
{
    double total = 0;
    for (double t : p.d) total += t;
    std::vector<double> z = {0, 0.4 * p.d[0], p.d[0], 0.61 * total, total};
    sites.resize(z.size());
    locateDepths(p.d.data(), p.d.size(), z.data(), z.size(), sites.data());
    needle.clear();
    for (std::size_t x = 0; x < z.size(); ++x)
        needle.push_back(x == 3 ? int(p.M) : 1 - p.material[sites[x].layer]);
}

// Im n of film A over {0, 1e-14, 1e-12, ..., 1e-2, 1e-1, 1}, L in {1, 14,
// 200}, TE and TM, 0 and 0.7 rad. The small-absorption limit is continuous:
// (R(0) - R(kappa)) / kappa of the engine varies from kappa = 1e-12 to 1e-6
// no more than the reference's does, beside the rounding of R over kappa (a
// root that drops the absorption gives 0 there).
TEST(GeneralEngine, WeaklyAbsorbingFilmsMatchTheWideTextbook)
{
    const double KAPPAS[] = {0, 1e-14, 1e-12, 1e-10, 1e-8, 1e-6, 1e-4, 1e-2, 1e-1, 1};
    const std::size_t COUNT = sizeof KAPPAS / sizeof KAPPAS[0], SLOPES[] = {2, 3, 4, 5};
    for (std::size_t L : {1, 14, 200}) {
        Errors e;
        for (Polarization pol : BOTH)
            for (double theta : {0.0, 0.7}) {
                std::vector<double> R[2];  // per kappa, per wavenumber
                for (double kappa : KAPPAS) {
                    const Problem p = filmPair(L, kappa, theta, pol);
                    std::vector<std::size_t> layers;
                    for (std::size_t j = 0; j < L; j += L > 20 ? 23 : 1) layers.push_back(j);
                    if (layers.back() != L - 1) layers.push_back(L - 1);
                    std::vector<DepthSite> sites;
                    std::vector<int> needle;
                    depthsOf(p, sites, needle);
                    char what[100];
                    std::snprintf(what, sizeof what, "L=%zu kappa=%g %s theta=%.1f", L, kappa,
                                  pol == Polarization::TE ? "TE" : "TM", theta);
                    compare(p, layers, sites, needle, what, e, R);
                }
                const std::size_t K = R[0].size() / COUNT;
                auto slope = [&](int of, std::size_t a, std::size_t i) {
                    return (R[of][i] - R[of][a * K + i]) / KAPPAS[a];
                };
                for (std::size_t a : SLOPES)
                    for (std::size_t i = 0; i < K; ++i) {
                        const double drift = std::fabs(slope(0, a, i) - slope(0, 5, i)),
                                     allowed = std::fabs(slope(1, a, i) - slope(1, 5, i)) +
                                               4 * (valueBound(L) + ULP) / KAPPAS[a];
                        EXPECT_LE(drift, allowed)
                            << "L=" << L << (pol == Polarization::TE ? " TE" : " TM")
                            << " theta=" << theta << " kappa=" << KAPPAS[a] << " k=" << i
                            << ": slope " << slope(0, a, i) << ", at 1e-6 " << slope(0, 5, i);
                    }
            }
        expectWithin(e, ("L=" + std::to_string(L)).c_str());
    }
}

// Random stacks: two to five materials, each lossless (one in four) or with
// Im n log-uniform in [1e-12, 0.5], with complex n' and n''; in one stack in
// three material 1 is a metal in layers below 0.05 um. Half are lit from air
// at up to 1.2 rad; half from glass of 1.5 at 0.85 to 1.2 rad, where material
// 1 (1.2 to 1.35) is evanescent or nearly so, and so is, in half of those, a
// weakly absorbing substrate of 1.3 (total reflection with a little loss).
Problem randomStack(std::mt19937& rng, std::size_t K)
{
    std::uniform_real_distribution<double> u(0, 1);
    Problem p;
    p.M = 2 + std::size_t(4 * u(rng));
    const std::size_t L = 2 + std::size_t(38 * u(rng));
    const bool prism = u(rng) < 0.5, metal = u(rng) < 1.0 / 3, lowSubstrate = u(rng) < 0.5;
    p.na = prism ? 1.5 : 1.0;
    p.theta = prism ? 0.85 + 0.35 * u(rng) : 1.2 * u(rng);
    p.pol = u(rng) < 0.5 ? Polarization::TE : Polarization::TM;
    for (std::size_t i = 0; i < K; ++i) p.k.push_back(6.3 + 4.2 * (double(i) + u(rng)) / double(K));
    p.resizeIndices();
    for (std::size_t x = 0; x <= p.M; ++x) {
        double re = 1.35 + 1.15 * u(rng);
        if (x == p.M) re = prism && lowSubstrate ? 1.3 : 1.45 + 0.1 * u(rng);
        if (prism && x == 1) re = 1.2 + 0.15 * u(rng);
        const double lossless = u(rng) < 0.25, decades = 12 - std::log10(2.0);
        const double kappa = lossless ? 0 : std::pow(10.0, -12 + decades * u(rng));
        const double slope = 0.05 * u(rng), curvature = 0.01 * (u(rng) - 0.5);
        for (std::size_t i = 0; i < K; ++i) {
            const double wiggle = std::sin(1.7 * double(i) + double(x));
            if (metal && x == 1)
                p.setIndex(i, x, 0.15 + 0.02 * wiggle, 5 - 0.3 * wiggle, {-0.2, 0.7}, {0.05, -0.1});
            else
                p.setIndex(i, x, re + 0.01 * wiggle, kappa * (1 + 0.3 * wiggle),
                           {slope * (1 + 0.2 * wiggle), kappa * (u(rng) - 0.5)},
                           {curvature, kappa * (u(rng) - 0.5)});
        }
    }
    for (std::size_t j = 0; j < L; ++j) {
        p.material.push_back(int(std::size_t(double(p.M) * u(rng))));
        const bool thin = metal && p.material.back() == 1;
        p.d.push_back(u(rng) < 0.05 ? 0.0 : (thin ? 0.05 : 0.3) * u(rng));
    }
    return p;
}

// Every output on random stacks, every layer's gradient, needles of every
// material. K = 17: at least three lane groups whatever the lanes (8 + 8 + 1,
// 4 x 4 + 1, 2 x 8 + 1), so that the ThreadSanitizer stage (three threads,
// no minimum of work) shares every call, and its sums g and ng, among three.
TEST(GeneralEngine, RandomStacksOfWeaklyAbsorbingFilmsMatchTheWideTextbook)
{
    std::mt19937 rng(29);
    Errors e;
    for (int c = 0; c < 16; ++c) {
        const Problem p = randomStack(rng, 17);
        std::vector<std::size_t> layers(p.d.size());
        for (std::size_t j = 0; j < layers.size(); ++j) layers[j] = j;
        std::vector<DepthSite> sites;
        std::vector<int> needle;
        depthsOf(p, sites, needle);
        for (std::size_t x = 0; x < needle.size(); ++x) needle[x] = int((x + c) % (p.M + 1));
        compare(p, layers, sites, needle, "random stack " + std::to_string(c), e);
    }
    expectWithin(e, "random stacks");
}
}  // namespace
