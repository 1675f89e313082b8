%COATPROFILE Standing-wave field inside any stack, its thickness gradient, and needles of any material at any depth.
%   out = coatprofile(k, d, m, n_a, N, Np, Npp, theta, pol, z, want)
%   out = coatprofile(k, d, m, n_a, N, Np, Npp, theta, pol, z, want, mu)
%   out = coatprofile(k, d, m, n_a, N, Np, Npp, theta, pol, z, want, mu, weights)
%
%   Inputs 1 to 9 exactly as coatresponse (the same checks and conventions):
%     k       any vector of K vacuum angular wavenumbers 2*pi/lambda, rad/um.
%     d       any vector (Lx1 or 1xL) of L >= 0 layer thicknesses in um;
%             layer 1 is next to the ambient.
%     m       any vector of L material numbers 1..M, one per layer.
%     n_a     the ambient index, real and positive.
%     N       (M+1)xK (or (M+1)x1) complex indices, row M+1 the substrate;
%             Im N >= 0 (fields go as exp(-i omega t)). 3xK for two
%             materials on a substrate.
%     Np, Npp dn/dk (um) and d2n/dk2 (um^2) of the same shape, or [].
%     theta   angle of incidence in the ambient, in RADIANS, 0 <= theta < pi/2.
%     pol     'TE', 'TM', 's' or 'p', in either case.
%   and
%     z       P depths in um from the ambient surface, 0 <= z <= sum(d), any
%             vector in any order (a depth beyond sum(d) by rounding counts as
%             sum(d)); or depths tied to layers, a struct with fields layer
%             (P layer numbers 1..L) and fraction (P numbers from 0, the
%             layer's front, to 1, its back): depth p lies in layer
%             layer(p) at fraction(p) of its thickness, in that layer's
%             medium even at its back.
%     want    a name or a cell array of names, below.
%     mu      the needle material: a material number 1..M, a scalar or one per
%             depth (needed by the needle names).
%     weights a struct as in coatresponse (fields R, T, A, GD, GDD, TOD, GDt,
%             GDDt, TODt, each 1xK or a scalar): the merit of 'ng'.
%
%   Names in want (fields of out)
%     E2      PxK time-averaged |E|^2 at each depth relative to the incident
%             wave's |E|^2 in the ambient. TE: the tangential (whole) field;
%             TM: the whole field, both components, in the medium holding the
%             depth. A depth on a boundary is in the deeper layer's medium;
%             z = 0 is just inside layer 1 and z = sum(d) just inside the
%             substrate.
%     dE2     LxPxK: dE2(j, p, i) = dE2(p, i)/dd(j), per um of thickness of
%             layer j, with each depth held in its layer: a depth given in
%             um keeps its distance from the front of the layer holding it
%             (it moves with the layers above; z = sum(d), in the substrate,
%             with all of them); a tied depth keeps its fraction of its
%             layer (it moves with the layers above and stretches with its
%             own).
%     nR, nT, nA, nGD, nGDD, nTOD, nGDt, nGDDt, nTODt
%             PxK: the derivative at t = 0 of that quantity of coatresponse
%             when a layer of material mu(p) and thickness t is inserted at
%             z(p) (per um of t); 0 where mu(p) is the material of the layer
%             holding z(p). A boundary depth belongs to the deeper layer, the
%             bottom of the stack to the last layer.
%     ng      Px1, with weights: the needle function of sum over X and i of
%             weights.X(i) * X(i), formed without any PxK array. Where it is
%             negative, a thin needle of mu there lowers that merit.
%
%   The gradient, exactly. The ambient amplitudes are (1, r), and those at
%   a depth A^-1 (1, r), A the matrix of the stack above the depth: a layer
%   at or below the depth changes the field there as psi dr/dd_j, psi the
%   field of a wave leaving the stack alone; one above changes it through
%   t alone, as 2 E2 Re(d log t/dd_j). A tie to a fraction f adds
%   f dE2/dz to its own layer's row. Each depth costs O(L).
%
%   Reading E2: laser damage in a dispersive mirror starts where |E|^2 peaks
%   in a high-index layer or at an interface, mostly in the outer layers.
%   At a high reflector's outer surface E2 is |1 + r|^2 in TE: near 0 for a
%   quarter-wave stack whose first layer is high-index, near 4 where it is
%   low-index. Keep the peaks out of the weaker material.
%
%   Cost: O(L + P) per wavenumber: the tables of coatresponse once, then
%   O(1) per depth (dE2: O(L) per depth). With two materials alternating
%   and real indices the needle outputs are those of coatneedle (whose
%   needle is always the other material).
%
%   Threads: a large call uses several, with the same numbers bit for bit;
%   COAT_THREADS sets how many (see help coatresponse).
%
%   NaN: where r = 0 (or t = 0) the needle derivatives of the phase of r (or
%   t) are NaN at that wavenumber; NaN in N reaches that wavenumber only.
%
%   Errors (identifiers coatprofile:<reason>): those of coatresponse for
%   inputs 1 to 9 and the names, and depthOutOfRange, badDepths (a struct
%   of tied depths without fields layer and fraction of one length, or with
%   a layer outside 1..L or a fraction outside 0..1), badNeedleMaterial,
%   missingNeedleMaterial (a needle name without mu), missingWeights ('ng'
%   without weights).
%
%   Example: |E|^2 through a silver-backed mirror at 800 nm, its needles
%     k = 2*pi / 0.8;  d = [0.087; 0.138; 0.087; 0.138];  m = [1; 2; 1; 3];
%     N = [2.3; 1.45; 0.15 + 5i; 1.52];
%     z = linspace(0, sum(d), 200);
%     out = coatprofile(k, d, m, 1, N, [], [], 0, 's', z, {'E2', 'nA'}, 2);
%     E2 = out.E2;  nA = out.nA;       % 200x1 each; nA < 0: a silica needle
%     R = coatresponse(k, d, m, 1, N, [], [], 0, 's', 'R').R;   % lowers A there
%
%   See also coatresponse, coatneedle.

%!shared k, z, N
%! k = 2*pi ./ [0.7 0.8 0.9];  N = [2.3; 1.45; 1.52];  z = [0 0.05 0.1];
%!test  # no stack: the field just inside the substrate is |t|^2 in TE
%! o = coatprofile (k, [], [], 1, N(3), [], [], 0, 's', 0, 'E2');
%! assert (o.E2, (2 / 2.52)^2 * ones (1, 3), 1e-15);
%!test  # at the outer surface, TE: |1 + r|^2
%! d = [0.1; 0.15];
%! o = coatprofile (k, d, [1; 2], 1, N, [], [], 0.3, 'TE', z(1), 'E2');
%! r = coatresponse (k, d, [1; 2], 1, N, [], [], 0.3, 'TE', 'r');
%! assert (o.E2, abs (1 + r.r).^2, 1e-13);
%!error id=coatprofile:depthOutOfRange coatprofile (k, 0.1, 1, 1, N([1 3]), [], [], 0, 's', 0.2, 'E2')
%!error id=coatprofile:missingNeedleMaterial coatprofile (k, 0.1, 1, 1, N([1 3]), [], [], 0, 's', 0.05, 'nR')
