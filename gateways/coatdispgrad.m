%COATDISPGRAD Full-dispersion R, GD and GDD of the physical stack, with exact thickness gradients.
%   [R, GD, GDD, dR, dGD, dGDD] = coatdispgrad(k, d, n_a, N, Np, Npp, theta, pol)
%
%   Inputs (real double arrays, except pol)
%     k       1xK (or Kx1) vacuum angular wavenumbers 2*pi/lambda in rad/um;
%             K is its number of elements.
%     d       Lx1 (or 1xL) layer thicknesses in um, L >= 0, each finite and
%             >= 0. Layer 1, next to the ambient, is material A; then B, A,
%             B, ... alternate.
%     n_a     ambient index, a scalar, without dispersion.
%     N       3xK refractive indices: column i holds n_A, n_B, n_S at k(i);
%             or 3x1, used for every wavenumber.
%     Np      3xK (or 3x1) dn/dk in um, same layout.
%     Npp     3xK (or 3x1) d2n/dk2 in um^2, same layout; [] means zero (each
%             index linear in k about each wavenumber).
%     theta   angle of incidence in the ambient, in RADIANS, 0 <= theta < pi/2.
%     pol     'TE' or 'TM', also 's' (TE) or 'p' (TM), in either case.
%
%   Outputs (any leading number of them; only the work they need is done)
%     R       1xK power reflectance |rho|^2.
%     GD      1xK group delay in fs, Im(rho'/rho)/c: d(arg rho)/d(omega),
%             omega = c k, positive for a delayed reflection.
%     GDD     1xK group-delay dispersion in fs^2, Im(rho''/rho - (rho'/rho)^2)/c^2.
%     dR      LxK: dR(j, i) = dR(i)/dd(j), per um of thickness.
%     dGD     LxK: dGD(j, i) = dGD(i)/dd(j), in fs per um.
%     dGDD    LxK: dGDD(j, i) = dGDD(i)/dd(j), in fs^2 per um.
%   Here ' is d/dk and c = 0.299792458 um/fs. Rows are layers, columns
%   wavenumbers.
%
%   Full dispersion: each index follows n(k) = n + n' h + n'' h^2/2 about
%   k(i) (h = k - k(i)) both in the layer phases and in every interface
%   coefficient (through q = sqrt(n^2 - (n_a sin theta)^2) and, in TM,
%   n^2/q), so GD and GDD are the derivatives of the phase of the reflection
%   a spectrometer or a white-light interferometer measures. coatdisp and
%   coatdelaygrad hold the interfaces at their values at k(i) and leave out
%   n''; with Np = Npp = 0 and an even L the three modules agree.
%
%   Physical stack: the last layer is closed with its own interface to the
%   substrate (A to substrate when L is odd), as in the checked coatdelay and
%   coatdelaygrad. An empty d is the bare substrate: R of the ambient-to-
%   substrate interface, GD = GDD = 0, and dR, dGD, dGDD of size 0xK.
%
%   The gradients are exact derivatives of the returned R, GD and GDD, from
%   one forward and one backward sweep: a call costs a small constant times
%   one coatdisp call, whatever L is. A layer of zero thickness gets its true,
%   finite gradient; long stacks stay finite.
%
%   NaN: where a material that takes part cannot propagate at this angle
%   (n < n_a sin(theta)), every output of that wavenumber is NaN, and only
%   of that wavenumber. Where R(i) = 0 the phase is undefined: GD(i), GDD(i)
%   and the GD and GDD gradients of that wavenumber are NaN (dR is 0 there).
%
%   Errors (identifiers coatdispgrad:<reason>), raised before any output is
%   created: other than 8 inputs (notEnoughInputs, tooManyInputs), more than
%   6 outputs (tooManyOutputs); inputs 1 to 7 not double (notDouble), sparse
%   (sparseInput) or complex (complexInput: absorbing layers are not
%   modelled); k or d not a vector, N, Np or Npp neither 3xK nor 3x1
%   (badShape; given Kx3, transposedIndices); n_a or theta not a scalar
%   (notScalar); theta outside [0, pi/2) (angleOutOfRange); a thickness
%   negative, NaN or Inf (badThickness); pol not a character array
%   (selectorNotChar) or not one of TE, TM, s, p (badSelector).
%
%   Threads: a large call uses several, with the same numbers bit for bit;
%   COAT_THREADS sets how many (see help coatresponse).
%
%   Example: a GDD merit over 750 to 850 nm and its exact gradient
%     k = 2*pi ./ linspace(0.75, 0.85, 51);
%     N = [2.3; 1.45; 1.45];  Np = [0.05; 0.004; 0.004];  Npp = [0.005; 0; 0];
%     d = repmat([0.087; 0.138], 10, 1);
%     [R, GD, GDD, dR, dGD, dGDD] = coatdispgrad(k, d, 1, N, Np, Npp, 0, 'TE');
%     e = GDD + 50;  m = sum(e .^ 2);  g = 2 * dGDD * e';   % Lx1
%
%   coating_indices gives N, Np and Npp of real materials (help
%   coating_indices), and the example design_gdd designs a dispersive mirror
%   to a GDD target with such gradients, through coatoptimize (help
%   design_gdd).
%
%   See also coatneedle, coating_indices, design_gdd, coatdisp, coatdelaygrad,
%   coatdelay.

%!shared k, d, c  # A matched to the ambient: only A/substrate reflects, with a real coefficient
%! k = 2*pi ./ [0.7 0.8 0.9];  d = 0.3;  c = 0.299792458;
%!test  # a dispersive substrate moves R, not the phase: GD is the round trip 2 d/c, GDD 0
%! [R, GD, GDD, dR, dGD, dGDD] = coatdispgrad (k, d, 1, [1; 2; 1.5], [0; 0; 0.03], [0; 0; 0.01], 0, 's');
%! assert (R, 0.04 * ones (1, 3), 1e-15);
%! assert (GD, 2 * d / c * ones (1, 3), -1e-12);
%! assert (abs ([GDD dGDD]) < 1e-9);
%! assert (dR, zeros (1, 3), 1e-14);
%! assert (dGD, 2 / c * ones (1, 3), -1e-12);
%!test  # no layers: the bare substrate, GD = GDD = 0
%! [R, GD, GDD, dR] = coatdispgrad (k, [], 1, [2; 1.5; 1.5], [0.05; 0; 0.03], [], 0.3, 'p');
%! assert ([GD GDD], zeros (1, 6));  assert (size (dR), [0 3]);
%!error id=coatdispgrad:notEnoughInputs coatdispgrad (k, d, 1, [1; 2; 1.5], [0; 0; 0], [])
%!error id=coatdispgrad:badShape coatdispgrad (k, d, 1, ones (3, 2), [0; 0; 0], [], 0, 'TE')
