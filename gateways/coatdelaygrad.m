%COATDELAYGRAD Reflectance, group delay and their exact thickness gradients.
%   [R, GD, dR, dGD] = coatdelaygrad(k, d, n_a, N, Nprime, theta, pol)
%
%   Inputs (real doubles, except pol; complex arrays are read by their real part)
%     k       1xK vacuum angular wavenumbers 2*pi/lambda, in rad/um.
%     d       Lx1 layer thicknesses in um. Layer 1, next to the ambient, is
%             material A; then B, A, B, ... alternate.
%     n_a     ambient index, a scalar, without dispersion (of an array, the
%             first element is read).
%     N       3xK refractive indices: column i holds n_A, n_B, n_S at k(i).
%     Nprime  3xK derivatives dn/dk in um, same layout (the substrate's entry
%             has no effect).
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
%   Outputs (one to four may be requested)
%     R       1xK power reflectance, the same numbers as the checked coatdelay.
%     GD      1xK group delay in fs, the same numbers as the checked coatdelay:
%             d(arg rho)/d(omega), omega = c k, positive for a delayed
%             reflection.
%     dR      LxK: dR(j, i) = dR(i)/dd(j), per um of thickness.
%     dGD     LxK: dGD(j, i) = dGD(i)/dd(j), in fs per um of thickness.
%   Rows are layers, columns wavenumbers. Ask for two outputs and the gradient
%   work is skipped.
%
%   K is the number of columns of k and L the number of rows of d: a Kx1
%   column k counts as one wavenumber, a 1xL row d as one layer.
%
%   The gradients are exact (not finite differences) for the GD that is
%   returned: only the layer phases carry the wavenumber derivative, the
%   interface coefficients being held at their values at k(i). They come
%   from one forward and one backward sweep over the layers, so a call costs
%   a small constant times one coatdelay call, whatever L is. A layer of zero
%   thickness gets its true, finite gradient.
%
%   Closing: the last interface is the one between the last layer's own
%   material and the substrate, so an odd L (a stack ending in A) is closed
%   with A to substrate, as in the checked coatdelay. An empty d (0x1) is the
%   bare substrate: R of the ambient-to-substrate interface, GD = 0 (NaN
%   where R = 0), and dR, dGD of size 0xK.
%
%   NaN: where a material that takes part cannot propagate at this angle
%   (n < n_a sin(theta)), every output of that wavenumber is NaN; the
%   substrate always takes part, material A whenever L >= 1 and material B
%   whenever L >= 2. Where R(i) = 0, GD(i) and both gradients of that
%   wavenumber are NaN.
%
%   Errors (identifiers coatdelaygrad:<reason>): fewer than 7 inputs
%   (notEnoughInputs), more than 4 outputs (tooManyOutputs), inputs 1 to 6
%   not full double arrays (notDouble, sparseInput), an empty n_a or theta
%   (emptyInput), a k or d whose shape promises more elements than it holds
%   (badShape), N or Nprime with fewer than 3K elements (tripleTooShort), a
%   pol that is not a character array (selectorNotChar).
%
%   Example: a GD merit and its exact gradient with respect to d
%     k = 2*pi./linspace(0.75, 0.85, 51); target = zeros(1, 51);
%     N = repmat([2.3; 1.45; 1.52], 1, 51); Np = zeros(3, 51);
%     d = repmat([0.087; 0.138], 10, 1);
%     [R, GD, dR, dGD] = coatdelaygrad(k, d, 1, N, Np, 0, 'TE');
%     m = sum((GD - target).^2);  g = 2 * dGD * (GD - target)';   % Lx1
%
%   A function returning [m, g] is what fminunc takes with
%   optimset('GradObj', 'on'); the example design_with_gradients designs a
%   dispersive mirror that way (help design_with_gradients).
%
%   See also coatdispgrad, coatdelay, coatdelay2, coatdisp, design_with_gradients.

%!shared k, d, N, Np, c  # A matched to the ambient, B to the substrate: only A/B reflects
%! k = 2*pi ./ [0.7 0.8 0.9];  d = [0.3; 0.2];  c = 0.299792458;
%! N = repmat ([1; 1.5; 1.5], 1, 3);  Np = repmat ([0.02; 0.01; 0], 1, 3);
%!test  # only d(1) delays the one reflection, and R depends on neither thickness
%! [R, GD, dR, dGD] = coatdelaygrad (k, d, 1, N, Np, 0, 'TE');
%! assert (GD, 2 * d(1) * (1 + k * Np(1)) / c, -1e-12);
%! assert (dGD, [2 * (1 + k * Np(1)) / c; zeros(1, 3)], 1e-12);
%! assert (dR, zeros (2, 3), 1e-15);
%!error id=coatdelaygrad:tooManyOutputs [a, b, e, f, g] = coatdelaygrad (k, d, 1, N, Np, 0, 'TE')
%!error id=coatdelaygrad:emptyInput coatdelaygrad (k, d, [], N, Np, 0, 'TE')
