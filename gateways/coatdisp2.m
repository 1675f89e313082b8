%COATDISP2 Reflectance, group delay and GDD of a coating, TM polarization.
%   [R, GD, GDD] = coatdisp2(k, d, n_a, N, Nprime, theta)
%
%   The same results as coatdisp(k, d, n_a, N, Nprime, theta, 'TM'), without
%   the polarization input.
%
%   Inputs (real doubles; complex arrays are read by their real part)
%     k       1xK vacuum angular wavenumbers 2*pi/lambda, in rad/um.
%     d       Lx1 layer thicknesses in um, layer 1 (material A) next to the
%             ambient; then B, A, B, ... alternate.
%     n_a     ambient index, a scalar, without dispersion.
%     N       3xK refractive indices: column i holds n_A, n_B, n_S at k(i).
%     Nprime  3xK first derivatives dn/dk in um, same layout (the substrate's
%             entry has no effect).
%     theta   angle of incidence in the ambient, in radians.
%
%   Outputs
%     R       1xK TM power reflectance |rho|^2.
%     GD      1xK group delay in fs, d(arg rho)/d(omega).
%     GDD     1xK group-delay dispersion in fs^2, d^2(arg rho)/d(omega)^2.
%
%   Only the layer phases are differentiated (interface coefficients frozen at
%   k(i), first derivatives of n only). The stack is always closed with the
%   B-to-substrate interface, also for an odd L; with no layers R is that of
%   the B-to-substrate interface alone and GD = GDD = 0.
%
%   NaN: where a material that takes part cannot propagate at this angle, all
%   three outputs are NaN for that wavenumber only; where R(i) = 0, GD(i) and
%   GDD(i) are NaN.
%
%   Errors (identifiers coatdisp2:<reason>): fewer than 6 inputs, more than 3
%   outputs, an input that is not a full double array, an empty n_a or theta,
%   a k or d whose shape promises more elements than it holds, N or Nprime
%   with fewer than 3K elements.
%
%   Example
%     k = 2*pi./linspace(0.7, 0.9, 201);
%     N = repmat([2.3; 1.45; 1.52], 1, 201);
%     [R, GD, GDD] = coatdisp2(k, repmat([0.087; 0.138], 15, 1), 1, N, zeros(3, 201), pi/4);
%
%   See also coatdisp, coatdelay2, coatrefl2.
