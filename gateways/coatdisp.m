%COATDISP Reflectance, group delay and group-delay dispersion of a coating.
%   [R, GD, GDD] = coatdisp(k, d, n_a, N, Nprime, theta, pol)
%
%   Inputs (real doubles, except pol; complex arrays are read by their real part)
%     k       1xK vacuum angular wavenumbers 2*pi/lambda, in rad/um.
%     d       Lx1 layer thicknesses in um. Layer 1, next to the ambient, is
%             material A; then B, A, B, ... alternate.
%     n_a     ambient index, a scalar, without dispersion (of an array, the
%             first element is read).
%     N       3xK refractive indices: column i holds n_A, n_B, n_S at k(i).
%     Nprime  3xK first derivatives dn/dk in um, same layout. The substrate's
%             entry has no effect.
%     theta   angle of incidence in the ambient, in radians, a scalar likewise.
%     pol     character array: TM when its first two characters are 'TM', TE
%             otherwise ('TE', 'tm', 'T', '' all select TE).
%     Inputs beyond the seventh are accepted and ignored.
%
%   Older, lax contract, kept for code written against it: a pol of 'p' or
%   's' selects TE (only one that begins with 'TM' selects TM), a 1xL row d
%   counts as one layer and a Kx1 column k as one wavenumber, and an angle in
%   degrees is not detected (theta = 45 is taken as 45 radians). The checked
%   modules, coatdispgrad and coatneedle, refuse such calls with an error
%   that names the input: see help coatdispgrad.
%
%   Outputs (one to three may be requested)
%     R       1xK power reflectance |rho|^2.
%     GD      1xK group delay in fs, d(arg rho)/d(omega), omega = c k;
%             positive for a delayed reflection.
%     GDD     1xK group-delay dispersion in fs^2, d^2(arg rho)/d(omega)^2;
%             positive where GD grows with frequency. A chirped mirror whose
%             deeper layers reflect longer wavelengths has GDD < 0.
%
%   K is the number of columns of k and L the number of rows of d: a Kx1
%   column k counts as one wavenumber, a 1xL row d as one layer.
%
%   What the derivatives include: the layer phases only. The interface
%   coefficients are held at their values at k(i); material dispersion enters
%   through the first derivatives dn/dk alone, the index being taken as linear
%   in k around k(i) (no second derivative of n). With Nprime all zero, GD and
%   GDD are the exact derivatives of the phase of rho.
%
%   Closing: the stack is always closed with the B-to-substrate interface; for
%   an odd L (a stack ending in A) those coefficients are applied behind the
%   last A layer all the same (the checked coatdelay closes such a stack with
%   A to substrate instead). With no layers R is that of the B-to-substrate
%   interface alone and GD = GDD = 0 (NaN where R = 0).
%
%   NaN: where a material that takes part cannot propagate at this angle
%   (n < n_a sin(theta)), all three outputs are NaN for that wavenumber only;
%   material B and the substrate always take part, material A whenever
%   L >= 1. Where R(i) = 0, GD(i) and GDD(i) are NaN.
%
%   Errors (identifiers coatdisp:<reason>): fewer than 7 inputs
%   (notEnoughInputs), more than 3 outputs (tooManyOutputs), inputs 1 to 6
%   not full double arrays (notDouble, sparseInput), an empty n_a or theta
%   (emptyInput), a k or d whose shape promises more elements than it holds
%   (badShape), N or Nprime with fewer than 3K elements (tripleTooShort), a
%   pol that is not a character array (selectorNotChar).
%
%   Example: 15 pairs at 45 degrees, TM
%     k = 2*pi./linspace(0.7, 0.9, 201);
%     d = repmat([0.087; 0.138], 15, 1);
%     N = repmat([2.3; 1.45; 1.52], 1, 201);
%     [R, GD, GDD] = coatdisp(k, d, 1, N, zeros(3, 201), pi/4, 'TM');
%
%   See also coatdispgrad, coatdisp2, coatdelay2, coatdelaygrad, coatrefl2.

%!shared k, d, N, Np, c  # A matched to the ambient, B to the substrate: only A/B reflects
%! k = 2*pi ./ [0.7 0.8 0.9];  d = [0.3; 0.2];  c = 0.299792458;
%! N = repmat ([1; 1.5; 1.5], 1, 3);  Np = repmat ([0.02; 0.01; 0], 1, 3);
%!test  # a round trip through A; its index linear in k gives GDD = 4 d n'/c^2
%! [R, GD, GDD] = coatdisp (k, d, 1, N, Np, 0, 'TM');
%! assert (R, 0.04 * ones (1, 3), 1e-15);
%! assert (GD, 2 * d(1) * (1 + k * Np(1)) / c, -1e-12);
%! assert (GDD, 4 * d(1) * Np(1) / c^2 * ones (1, 3), -1e-12);
%!error id=coatdisp:notEnoughInputs coatdisp (k, d, 1, N, Np, 0)
%!error id=coatdisp:tripleTooShort coatdisp (k, d, 1, N, Np(:, 1:2), 0, 'TE')
