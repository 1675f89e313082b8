%COATDELAY2 Reflectance and group delay of a two-material multilayer coating.
%   [R, GD] = coatdelay2(k, d, n_a, N, Nprime, theta, pol)
%
%   Inputs (real doubles, except pol; complex arrays are read by their real part)
%     k       1xK vacuum angular wavenumbers 2*pi/lambda, in rad/um.
%     d       Lx1 layer thicknesses in um. Layer 1, next to the ambient, is
%             material A; then B, A, B, ... alternate.
%     n_a     ambient index, a scalar, without dispersion (of an array, the
%             first element is read).
%     N       3xK refractive indices: column i holds n_A, n_B, n_S at k(i).
%     Nprime  3xK derivatives dn/dk in um, same layout. The substrate's entry
%             has no effect.
%     theta   angle of incidence in the ambient, in radians, a scalar likewise.
%     pol     character array: TM (p) when its first two characters are 'TM',
%             TE (s) otherwise ('TE', 'tm', 'T', '' all select TE).
%     Inputs beyond the seventh are accepted and ignored.
%
%   Older, lax contract, kept for code written against it: a pol of 'p' or
%   's' selects TE (only one that begins with 'TM' selects TM), a 1xL row d
%   counts as one layer and a Kx1 column k as one wavenumber, and an angle in
%   degrees is not detected (theta = 45 is taken as 45 radians). The checked
%   modules, coatdispgrad and coatneedle, refuse such calls with an error
%   that names the input: see help coatdispgrad.
%
%   Outputs (one or two may be requested)
%     R       1xK power reflectance |rho|^2.
%     GD      1xK group delay on reflection in fs: d(arg rho)/d(omega), with
%             omega = c k. A delayed reflection has a positive GD.
%
%   K is the number of columns of k and L the number of rows of d: a Kx1
%   column k counts as one wavenumber, a 1xL row d as one layer.
%
%   GD is the exact derivative of the layer phases: the interface
%   coefficients are held at their values at k(i), so material dispersion acts
%   through the phases alone. With Nprime all zero GD is the exact derivative
%   of the phase of rho.
%
%   Closing: the stack is always closed with the B-to-substrate interface; for
%   an odd L (a stack ending in A) those coefficients are applied behind the
%   last A layer all the same (the checked coatdelay closes such a stack with
%   A to substrate instead). With no layers R is that of the B-to-substrate
%   interface alone and GD is 0 (NaN where R = 0).
%
%   NaN: where a material that takes part cannot propagate at this angle
%   (n < n_a sin(theta)), R(i) and GD(i) are NaN for that wavenumber only;
%   material B and the substrate always take part, material A whenever
%   L >= 1. Where R(i) = 0, GD(i) is NaN.
%
%   Errors (identifiers coatdelay2:<reason>): fewer than 7 inputs
%   (notEnoughInputs), more than 2 outputs (tooManyOutputs), inputs 1 to 6
%   not full double arrays (notDouble, sparseInput), an empty n_a or theta
%   (emptyInput), a k or d whose shape promises more elements than it holds
%   (badShape), N or Nprime with fewer than 3K elements (tripleTooShort), a
%   pol that is not a character array (selectorNotChar).
%
%   Example
%     lambda = linspace(0.7, 0.9, 201); k = 2*pi./lambda;
%     d = repmat([0.8/(4*2.3); 0.8/(4*1.45)], 15, 1);
%     N = repmat([2.3; 1.45; 1.52], 1, 201); Np = zeros(3, 201);
%     [R, GD] = coatdelay2(k, d, 1, N, Np, 0, 'TE');
%
%   See also coatdispgrad, coatdelay, coatdisp, coatdelaygrad, coatrefl2.

%!shared k, d, N, Np, c  # A matched to the ambient, B to the substrate: only A/B reflects
%! k = 2*pi ./ [0.7 0.8 0.9];  d = [0.3; 0.2];  c = 0.299792458;
%! N = repmat ([1; 1.5; 1.5], 1, 3);  Np = repmat ([0.02; 0.01; 0], 1, 3);
%!test  # the one reflection comes back after a round trip through A at its group index
%! [R, GD] = coatdelay2 (k, d, 1, N, Np, 0, 'TE');
%! assert (R, 0.04 * ones (1, 3), 1e-15);
%! assert (GD, 2 * d(1) * (1 + k * Np(1)) / c, -1e-12);
%!error id=coatdelay2:tooManyOutputs [R, GD, GDD] = coatdelay2 (k, d, 1, N, Np, 0, 'TE')
%!error id=coatdelay2:selectorNotChar coatdelay2 (k, d, 1, N, Np, 0, 1)
