%COATREFL2 TM reflectance of a two-material multilayer coating.
%   R = coatrefl2(k, d, n_a, N, theta)
%
%   Inputs (real doubles; complex arrays are read by their real part)
%     k      1xK vacuum angular wavenumbers 2*pi/lambda, in rad/um.
%     d      Lx1 layer thicknesses in um. Layer 1, next to the ambient, is
%            material A; then B, A, B, ... alternate.
%     n_a    ambient index, a scalar (of an array, the first element is read).
%     N      3xK refractive indices: column i holds n_A, n_B and n_S (the
%            substrate) at k(i). Read as consecutive triples, so a Kx3
%            matrix is accepted but mixes the wavenumbers.
%     theta  angle of incidence in the ambient, in radians, a scalar likewise.
%     Inputs beyond the fifth are accepted and ignored.
%
%   Older, lax contract, kept for code written against it: there is no pol
%   (TM always), a 1xL row d counts as one layer and a Kx1 column k as one
%   wavenumber, and an angle in degrees is not detected (theta = 45 is taken
%   as 45 radians). The checked modules, coatdispgrad and coatneedle, refuse
%   such calls with an error that names the input: see help coatdispgrad.
%
%   Output
%     R      1xK power reflectance |rho|^2 for TM (p) polarization; there is
%            no polarization input (coatdelay2 with 'TE' gives TE). At normal
%            incidence TM and TE are the same.
%
%   K is the number of columns of k and L the number of rows of d: a Kx1
%   column k counts as one wavenumber, a 1xL row d as one layer.
%
%   Closing: the stack is always closed with the B-to-substrate interface.
%   For an even L that is the physical last interface; for an odd L (a stack
%   ending in A) the B-to-substrate coefficients are applied behind the last
%   A layer all the same, and with no layers R is the reflectance of the
%   B-to-substrate interface alone. The checked coatdelay and coatdelaygrad
%   close an odd stack physically, with A to substrate.
%
%   NaN: where a material that takes part cannot propagate at this angle
%   (n < n_a sin(theta)), R(i) is NaN for that wavenumber only. Material B and
%   the substrate always take part, material A whenever L >= 1.
%
%   Errors (identifiers coatrefl2:<reason>): fewer than 5 inputs
%   (notEnoughInputs), more than one output (tooManyOutputs), an input that
%   is not a full double array (notDouble, sparseInput), an empty n_a or
%   theta (emptyInput), a k or d whose shape promises more elements than it
%   holds (badShape), and N with fewer than 3K elements (tripleTooShort).
%
%   Example: 15 pairs of quarter-wave layers at 800 nm on glass
%     lambda = linspace(0.6, 1.0, 401); k = 2*pi./lambda;
%     d = repmat([0.8/(4*2.3); 0.8/(4*1.45)], 15, 1);
%     R = coatrefl2(k, d, 1, repmat([2.3; 1.45; 1.45], 1, 401), 0);
%
%   See also coatdispgrad, coatdelay2, coatdelay, coatdisp, coatdisp2, coatdelaygrad.

%!test  # quarter-wave pairs at their design wavelength: R from the stack's admittance
%! d = repmat ([0.8/(4*2.3); 0.8/(4*1.45)], 5, 1);
%! Y = (2.3/1.45)^10 * 1.52;
%! assert (coatrefl2 (2*pi/0.8, d, 1, [2.3; 1.45; 1.52], 0), ((1 - Y) / (1 + Y))^2, 1e-12);
%!error id=coatrefl2:notEnoughInputs coatrefl2 (1, 1, 1, [1; 1; 1])
%!error id=coatrefl2:tripleTooShort coatrefl2 (1, 1, 1, [1; 1], 0)
