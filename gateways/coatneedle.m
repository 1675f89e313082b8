%COATNEEDLE Where a new thin layer would help: exact needle derivatives of R, GD and GDD.
%   [nR, nGD, nGDD] = coatneedle(k, d, n_a, N, Np, Npp, theta, pol, z)
%
%   For every depth z(p) of the stack: the derivatives of the full-dispersion
%   R, GD and GDD of coatdispgrad with respect to the thickness t of a thin
%   layer ("needle") of the other material inserted at that depth, at t = 0.
%   Where a merit's needle derivative is most negative, a new layer lowers it
%   fastest: insert one there, re-optimise the thicknesses, repeat.
%
%   Inputs 1 to 8 exactly as coatdispgrad (real double arrays, except pol)
%     k       K vacuum angular wavenumbers 2*pi/lambda in rad/um, any vector.
%     d       L >= 0 layer thicknesses in um, any vector (an Lx1 column, say),
%             each finite and >= 0. Layer 1, next to the ambient, is A.
%     n_a     ambient index, a scalar, without dispersion.
%     N       3xK (or 3x1) indices n_A, n_B, n_S per wavenumber.
%     Np      3xK (or 3x1) dn/dk in um.
%     Npp     3xK (or 3x1) d2n/dk2 in um^2; [] means zero.
%     theta   angle of incidence in RADIANS, 0 <= theta < pi/2.
%     pol     'TE' or 'TM', also 's' or 'p', in either case.
%     z       P depths in um measured from the ambient surface, any vector in
%             any order, each 0 <= z <= sum(d).
%
%   Outputs (any leading number of them; only the work they need is done)
%     nR      PxK: nR(p, i) = dR(i)/dt for a needle at depth z(p), per um.
%     nGD     PxK: dGD(i)/dt in fs per um.
%     nGDD    PxK: dGDD(i)/dt in fs^2 per um.
%   Row p is depth z(p), column i wavenumber k(i); R, GD and GDD are those of
%   coatdispgrad (full dispersion, physical closing; GD positive for a
%   delayed reflection).
%
%   Which needle, where:
%   - Inside a layer the needle is of the other material and splits it:
%     A | B(t) | A inside an A layer, B | A(t) | B inside a B layer.
%   - A depth on a boundary between two layers belongs to the deeper layer,
%     so the needle there has the shallower layer's material: it thickens
%     that layer, and its derivatives equal that layer's thickness
%     derivatives (dR, dGD, dGDD of coatdispgrad). With cumsum(d) the
%     boundaries come out exactly.
%   - z = 0 is a needle of B right behind the ambient, with a zero-thickness
%     A in front of it, so that layer 1 stays an A.
%   - z = sum(d) is a needle, of the material the last layer is not, in
%     front of the substrate: a new last layer, closed with its own
%     interface to the substrate. A depth beyond sum(d) by no more than the
%     rounding of the sum (L eps sum(d)) counts as sum(d).
%   - An empty d is taken as one A layer of zero thickness: z must be 0, and
%     the needle is one of B on the bare substrate.
%
%   The derivatives are exact (no differences): one forward and one backward
%   sweep over the layers per wavenumber, then a few operations per depth,
%   so a call costs about one coatdispgrad call plus a small amount per depth.
%
%   NaN: where a material that takes part cannot propagate at this angle
%   (n < n_a sin(theta)), every output of that wavenumber is NaN; both
%   materials take part, as either may be the needle. Where R(i) = 0, nGD and
%   nGDD of that wavenumber are NaN (nR is 0 there).
%
%   Errors (identifiers coatneedle:<reason>), raised before any output is
%   created: those of coatdispgrad for inputs 1 to 8; other than 9 inputs
%   (notEnoughInputs, tooManyInputs), more than 3 outputs (tooManyOutputs);
%   z not a real double vector (notDouble, sparseInput, complexInput,
%   badShape); a depth below 0, beyond sum(d) or NaN (depthOutOfRange).
%
%   Contracting with a merit: for m = sum(f(R, GD, GDD)) over the
%   wavenumbers, dm/dt at every depth is
%     nR * dm_dR' + nGD * dm_dGD' + nGDD * dm_dGDD'     (Px1)
%   with dm_dR etc. the 1xK derivatives of m with respect to R, GD and GDD.
%
%   Threads: a large call uses several, with the same numbers bit for bit;
%   COAT_THREADS sets how many (see help coatresponse).
%
%   Example: where a needle would bring GDD closer to -50 fs^2
%     k = 2*pi ./ linspace(0.75, 0.85, 51);
%     N = [2.3; 1.45; 1.52];  Np = [0.02; 0.004; 0.005];   % for every k
%     d = repmat([0.087; 0.138], 10, 1);
%     z = linspace(0, sum(d), 400)';
%     [R, GD, GDD] = coatdispgrad(k, d, 1, N, Np, [], 0, 'TE');
%     [nR, nGD, nGDD] = coatneedle(k, d, 1, N, Np, [], 0, 'TE', z);
%     e = GDD + 50;  m = sum(e .^ 2);  needle = 2 * nGDD * e';   % Px1
%     [slope, p] = min(needle);    % a needle at z(p) lowers m if slope < 0
%
%   coating_indices gives N, Np and Npp of real materials (help
%   coating_indices), and the example needle_refinement refines a GDD design
%   by needle insertions, through coatoptimize and coatprofile's needle
%   function of any material (help needle_refinement).
%
%   See also coatdispgrad, coating_indices, needle_refinement, coatdisp,
%   coatdelaygrad.

%!shared k, d, N, Np
%! k = 2*pi ./ [0.7 0.8 0.9];  d = [0.1; 0.2; 0.15];
%! N = [2.3; 1.45; 1.52];  Np = [0.02; 0.004; 0.005];
%!test  # on a boundary the needle thickens the shallower layer: its thickness derivatives
%! [R, GD, GDD, dR, dGD, dGDD] = coatdispgrad (k, d, 1, N, Np, [], 0.3, 'TM');
%! [nR, nGD, nGDD] = coatneedle (k, d, 1, N, Np, [], 0.3, 'TM', cumsum (d)(1:2));
%! assert (nR, dR(1:2, :), 1e-12 * max (abs (dR(:))));
%! assert (nGD, dGD(1:2, :), 1e-10 * max (abs (dGD(:))));
%! assert (nGDD, dGDD(1:2, :), 1e-9 * max (abs (dGDD(:))));
%!error <Input 9 \(depths z\) must lie between 0 and sum\(d\) = 0.45000000000000007 um; element 2 is 0.46> coatneedle (k, d, 1, N, Np, [], 0, 'TE', [0 0.46])
%!error id=coatneedle:depthOutOfRange coatneedle (k, d, 1, N, Np, [], 0, 'TE', -0.01)
