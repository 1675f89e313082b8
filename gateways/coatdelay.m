%COATDELAY Reflectance and group delay of a coating, checked build.
%   [R, GD] = coatdelay(k, d, n_a, N, Nprime, theta, pol)
%
%   Inputs (real doubles, except pol; complex arrays are read by their real part)
%     k       1xK row of vacuum angular wavenumbers 2*pi/lambda, in rad/um
%             (no wavenumbers: a 1x0 row).
%     d       Lx1 column of layer thicknesses in um. Layer 1, next to the
%             ambient, is material A; then B, A, B, ... alternate.
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
%   Older contract, in part: a column k or a row d is refused (see Checks
%   below), but a pol of 'p' or 's' selects TE (only one that begins with
%   'TM' selects TM) and an angle in degrees is not detected (theta = 45 is
%   taken as 45 radians). The checked modules, coatdispgrad and coatneedle,
%   refuse such calls with an error that names the input: see help
%   coatdispgrad.
%
%   Outputs (both must be requested)
%     R       1xK power reflectance |rho|^2.
%     GD      1xK group delay in fs, d(arg rho)/d(omega), omega = c k;
%             positive for a delayed reflection. Only the layer phases are
%             differentiated: the interface coefficients are held at their
%             values at k(i), so material dispersion acts through the phases
%             alone. With Nprime all zero GD is the exact derivative of the
%             phase of rho.
%
%   Closing: the last interface is the one between the last layer's own
%   material and the substrate, so an odd L (a stack ending in A) is closed
%   with A to substrate and R is the physical reflectance of that stack.
%   An empty d (0x1) is the bare substrate: R is the reflectance of the
%   ambient-to-substrate interface and GD is 0 (NaN where R = 0), the limit of
%   any stack whose thicknesses all go to zero.
%
%   Checks, in this order, each ending the call with the error shown:
%     fewer than 7 inputs         'coatdelay: 7 input arguments required.'
%                                 (identifier coatdelay:nargin)
%     not exactly 2 outputs       'coatdelay: 2 output arguments required.'
%                                 (coatdelay:nargout)
%     k not one row or d not one column
%                                 'coatdelay called with incorrect dimensions.'
%                                 (coatdelay:dimensions)
%   Octave puts the function name in front of these texts, so err.message
%   reads, for instance, 'coatdelay: coatdelay: 7 input arguments required.'
%   Then (identifiers coatdelay:<reason>): inputs 1 to 6 not full double
%   arrays (notDouble, sparseInput), an empty n_a or theta (emptyInput), N or
%   Nprime with fewer than 3K elements (tripleTooShort), a pol that is not a
%   character array (selectorNotChar).
%
%   Differences from the first-generation build: that build counts the
%   elements of k and d (rows or columns), closes every stack with B to
%   substrate, and takes one or two outputs. It has the same name and sits in
%   the folder legacy beside this module, wherever the modules are (the
%   installed package, coat_build's folder, a CMake build). To call it
%   instead:
%     addpath(fullfile(fileparts(which('coatdelay')), 'legacy'))
%
%   NaN: where a material that takes part cannot propagate at this angle
%   (n < n_a sin(theta)), R(i) and GD(i) are NaN for that wavenumber only;
%   the substrate always takes part, material A whenever L >= 1 and material
%   B whenever L >= 2. Where R(i) = 0, GD(i) is NaN.
%
%   Example: a single quarter-wave A layer on glass, closed physically
%     k = 2*pi./linspace(0.6, 1.0, 101);
%     N = repmat([2.3; 1.45; 1.52], 1, 101);
%     d = 0.8/(4*2.3);                          % L = 1: A next to glass
%     [R, GD] = coatdelay(k, d, 1, N, zeros(3, 101), 0, 'TE');
%
%   See also coatdispgrad, coatdelaygrad, coatdelay2, coatdisp, coatrefl2.

%!shared k, N, Np, c  # A matched to the ambient: only the last interface reflects
%! k = 2*pi ./ [0.7 0.8 0.9];  c = 0.299792458;
%! N = repmat ([1; 1.2; 1.5], 1, 3);  Np = repmat ([0.02; 0; 0], 1, 3);
%!test  # one A layer, closed with A to substrate: R of that interface, GD of a round trip
%! [R, GD] = coatdelay (k, 0.3, 1, N, Np, 0, 'TE');
%! assert (R, ((1 - 1.5) / (1 + 1.5))^2 * ones (1, 3), 1e-15);
%! assert (GD, 2 * 0.3 * (1 + k * 0.02) / c, -1e-12);
%!test  # one quarter-wave A layer on the substrate
%! [R, GD] = coatdelay (2*pi/0.8, 0.8/(4*2.3), 1, [2.3; 1.45; 1.52], zeros (3, 1), 0, 'TE');
%! assert (R, ((1.52 - 2.3^2) / (1.52 + 2.3^2))^2, 1e-12);
%!error <7 input arguments required> coatdelay (k, 0.3, 1, N, Np, 0)
%!error id=coatdelay:nargout R = coatdelay (k, 0.3, 1, N, Np, 0, 'TE')
%!error id=coatdelay:dimensions [R, GD] = coatdelay (k', 0.3, 1, N, Np, 0, 'TE')
