%COATDELAY Reflectance and group delay, first-generation build (unchecked counts).
%   [R, GD] = coatdelay(k, d, n_a, N, Nprime, theta, pol)
%
%   This is the first-generation build of coatdelay, kept for code written
%   against it. It sits in the folder legacy beside the current, checked build
%   of the same name, wherever the modules are (the installed package,
%   coat_build's folder, a CMake build). With the checked build on the
%   path (after pkg load coatings, say), this one comes first after
%     addpath(fullfile(fileparts(which('coatdelay')), 'legacy'))
%   and rmpath of that folder returns to the checked build.
%
%   Differences from the checked build
%     - K and L are the element counts of k and d: rows and columns both work.
%     - The stack is always closed with the B-to-substrate interface; for an odd
%       L (a stack ending in A) those coefficients are applied behind the last
%       A layer all the same. The checked build closes it with A to substrate.
%     - One or two outputs may be requested; the checked build requires two.
%     - With no layers R is that of the B-to-substrate interface alone and GD
%       is 0 (NaN where R = 0); the checked build returns the bare substrate.
%     - Its errors carry the identifiers below, where the checked build
%       answers a wrong input or output count with its own fixed messages.
%   For an even L both builds give the same R and GD.
%
%   Inputs (real doubles, except pol; complex arrays are read by their real part)
%     k       K vacuum angular wavenumbers 2*pi/lambda, in rad/um.
%     d       L layer thicknesses in um. Layer 1, next to the ambient, is
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
%   Older, lax contract: a pol of 'p' or 's' selects TE (only one that begins
%   with 'TM' selects TM), and an angle in degrees is not detected (theta =
%   45 is taken as 45 radians). The checked modules, coatdispgrad and
%   coatneedle, refuse such calls with an error that names the input: see
%   help coatdispgrad.
%
%   Outputs
%     R       1xK power reflectance |rho|^2.
%     GD      1xK group delay in fs, d(arg rho)/d(omega), omega = c k;
%             positive for a delayed reflection. Only the layer phases are
%             differentiated (interface coefficients held at k(i)).
%
%   NaN: where a material that takes part cannot propagate at this angle
%   (n < n_a sin(theta)), R(i) and GD(i) are NaN for that wavenumber only;
%   material B and the substrate always take part, material A whenever
%   L >= 1. Where R(i) = 0, GD(i) is NaN.
%
%   Errors (identifiers coatdelay:<reason>): fewer than 7 inputs
%   (notEnoughInputs), more than 2 outputs (tooManyOutputs), inputs 1 to 6
%   not full double arrays (notDouble, sparseInput), an empty n_a or theta
%   (emptyInput), N or Nprime with fewer than 3K elements (tripleTooShort), a
%   pol that is not a character array (selectorNotChar).
%
%   Example, with the folder legacy on the path (a column k works here)
%     k = 2*pi./linspace(0.7, 0.9, 201)';
%     d = repmat([0.087; 0.138], 15, 1);
%     N = repmat([2.3; 1.45; 1.52], 1, 201);
%     [R, GD] = coatdelay(k, d, 1, N, zeros(3, 201), 0, 'TE');
%
%   See also coatdispgrad, coatdelay2, coatdisp, coatdelaygrad.

%!test  # a column k; one A layer matched to the ambient, closed with B to substrate
%! k = 2*pi ./ [0.7; 0.8; 0.9];  c = 0.299792458;
%! N = repmat ([1; 1.2; 1.5], 1, 3);  Np = repmat ([0.02; 0; 0], 1, 3);
%! [R, GD] = coatdelay (k, 0.3, 1, N, Np, 0, 'TE');
%! assert (R, (0.3 / 2.7)^2 * ones (1, 3), 1e-15);
%! assert (GD, 2 * 0.3 * (1 + k' * 0.02) / c, -1e-12);
%!error id=coatdelay:tooManyOutputs [a, b, e] = coatdelay (1, 1, 1, ones (3, 1), zeros (3, 1), 0, 'TE')
