%COATDELAYGRAD Reflectance, group delay and their exact thickness gradients.
%   [R, GD, dR, dGD] = coatdelaygrad(k, d, n_a, N, Nprime, theta, pol)
%
%   Inputs (real doubles, except pol; complex arrays are read by their real part)
%     k       1xK vacuum angular wavenumbers 2*pi/lambda, in rad/um.
%     d       Lx1 layer thicknesses in um. Layer 1, next to the ambient, is
%             material A; then B, A, B, ... alternate.
%     n_a     ambient index, a scalar, without dispersion.
%     N       3xK refractive indices: column i holds n_A, n_B, n_S at k(i).
%     Nprime  3xK derivatives dn/dk in um, same layout (the substrate's entry
%             has no effect).
%     theta   angle of incidence in the ambient, in radians.
%     pol     character array: TM when its first two characters are 'TM', TE
%             otherwise.
%
%   Outputs
%     R       1xK power reflectance, the same numbers as the checked coatdelay.
%     GD      1xK group delay in fs, the same numbers as the checked coatdelay.
%     dR      LxK: dR(j, i) = dR(i)/dd(j), per um of thickness.
%     dGD     LxK: dGD(j, i) = dGD(i)/dd(j), in fs per um of thickness.
%   Rows are layers, columns wavenumbers. Ask for two outputs and the gradient
%   work is skipped.
%
%   The gradients are exact (not finite differences) for the GD that is
%   returned: only the layer phases carry the wavenumber derivative. They come
%   from one forward and one backward sweep over the layers, so a call costs
%   a small constant times one coatdelay call, whatever L is. A layer of zero
%   thickness gets its true, finite gradient.
%
%   Closing: the last interface is the one between the last layer's own
%   material and the substrate, so an odd L (a stack ending in A) is closed
%   with A to substrate. An empty d (0x1) is the bare substrate: R of the
%   ambient-to-substrate interface, GD = 0, and dR, dGD of size 0xK.
%
%   NaN: where a material that takes part cannot propagate at this angle
%   (n < n_a sin(theta)), every output of that wavenumber is NaN; where
%   R(i) = 0, GD(i) and both gradients of that wavenumber are NaN.
%
%   Errors (identifiers coatdelaygrad:<reason>): fewer than 7 inputs, more than
%   4 outputs, inputs 1 to 6 not full double arrays, an empty n_a or theta, a
%   k or d whose shape promises more elements than it holds, N or Nprime with
%   fewer than 3K elements, a pol that is not a character array.
%
%   Example: hand the exact gradient of a GD merit to an optimiser
%     d = fminunc(@(d) gdMerit(d, k, N, Np, target), d0, optimset('GradObj', 'on'));
%   where gdMerit(d, k, N, Np, target) returns the merit and its gradient:
%     [~, GD, ~, dGD] = coatdelaygrad(k, d, 1, N, Np, 0, 'TE');
%     m = sum((GD - target).^2);  g = 2 * dGD * (GD - target)';
%   (examples/design_with_gradients.m does this in full).
%
%   See also coatdelay, coatdelay2, coatdisp.
