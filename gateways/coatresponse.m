%COATRESPONSE Reflection and transmission of any multilayer stack, with full dispersion and exact gradients.
%   out = coatresponse(k, d, m, n_a, N, Np, Npp, theta, pol, want)
%   out = coatresponse(k, d, m, n_a, N, Np, Npp, theta, pol, want, weights)
%
%   Any materials in any order, absorbing layers and metals, evanescent
%   layers and substrates (frustrated total internal reflection), in
%   reflection and in transmission, with GD, GDD and TOD and their exact
%   derivatives with respect to every layer thickness.
%
%   Inputs (double arrays, except pol and want)
%     k       any vector of K vacuum angular wavenumbers 2*pi/lambda, rad/um,
%             each positive and finite.
%     d       any vector of L >= 0 layer thicknesses in um, each finite and
%             >= 0; layer 1 is next to the ambient.
%     m       any vector of L material numbers: layer j is material m(j), an
%             integer 1 <= m(j) <= M.
%     n_a     the ambient index: real, positive, without dispersion.
%     N       (M+1)xK refractive indices (3xK for two materials), real or complex: rows 1..M the
%             materials, row M+1 the substrate, column i at k(i); or (M+1)x1
%             for every wavenumber. Absorption is Im N > 0 (see Conventions);
%             Im N < 0 (gain) is refused.
%     Np      dn/dk in um, the shape of N (or (M+1)x1); [] means zero.
%     Npp     d2n/dk2 in um^2, likewise; [] means zero.
%     theta   angle of incidence in the ambient, in RADIANS, 0 <= theta < pi/2.
%     pol     'TE', 'TM', 's' (TE) or 'p' (TM), in either case.
%     want    a name or a cell array of names, below; each becomes a field
%             of the struct out.
%     weights a struct whose fields name real quantities (R, T, A, GD, GDD,
%             TOD, GDt, GDDt, TODt), each 1xK or a scalar: the weights of
%             the merit whose gradient 'g' is.
%
%   Names in want (fields of out)
%     r, t    1xK complex amplitude reflection and transmission coefficients.
%     R       1xK reflectance |r|^2.
%     T       1xK transmittance: the normal power flux just inside the
%             substrate over the incident one; 0 beyond the critical angle
%             of a lossless substrate. For an absorbing substrate, the power
%             entering it (so a bare metal substrate has T = 1 - R, A = 0).
%     A       1xK absorptance 1 - R - T: the power absorbed in the layers.
%     GD, GDD, TOD     1xK d/domega, d2/domega2, d3/domega3 of arg r, in fs,
%             fs^2, fs^3 (omega = c k, c = 0.299792458 um/fs); GD is positive
%             for a delayed reflection.
%     GDt, GDDt, TODt  the same of arg t.
%     dR, dT, dA, dGD, dGDD, dTOD, dGDt, dGDDt, dTODt
%             LxK: dX(j, i) = dX(i)/dd(j), per um of thickness of layer j.
%     dnR, dnT, dnA, dnGD, dnGDD, dnTOD, dnGDt, dnGDDt, dnTODt
%             (M+1)xK: dnX(x, i) = dX(i)/dn_x, by a real shift of the index
%             of material x at every wavenumber (n' and n'' kept: a film
%             denser or lighter than its model), summed over the layers of
%             x and their interfaces; row M+1 by the substrate's index (its
%             exit interface, and T's factor Re of its admittance). Exact,
%             from the same sweeps as the thickness gradients (the fitting
%             of measured spectra asks for them: coatfit).
%     g       Lx1, with weights: the gradient of sum over X and i of
%             weights.X(i) * X(i), formed without any LxK array; a zero
%             weight adds nothing (not even a NaN).
%     rsub, tsub, Rsub, Tsub, Asub, dRsub, dTsub, dAsub
%             the same stack lit from the substrate: the light arrives in
%             the substrate (row M+1 of N, absorbing allowed) at the
%             tangential index n_a sin(theta) and leaves into the ambient;
%             r, t and R, T, A as above with the two media exchanged (T
%             the flux into the ambient over the incident wave's own in the
%             substrate), their gradients LxK in the order of d, as a
%             coated plate's substrate side needs (see help coatplate).
%             A lossless substrate must carry a wave (n_s > n_a sin theta)
%             at every wavenumber: no light comes from one that does not
%             (error evanescentSubstrate).
%   Only the work of the names asked for is done; the ...sub names take a
%   sweep of their own.
%
%   Threads: a large call (K x L beyond about 17000) shares its wavenumbers
%   among threads, with the same numbers bit for bit at any thread count.
%   The environment variable COAT_THREADS, read at every call, sets their
%   number (setenv('COAT_THREADS', '4'), in Octave and MATLAB alike; 1: the
%   calling thread only); unset, the machine's cores, at most 8. MATLAB's
%   maxNumCompThreads does not govern these threads. They wait between calls
%   and end when the module is cleared (clear coatresponse, clear mex).
%
%   Conventions
%     Fields go as exp(-i omega t): an absorbing medium has Im n > 0. The
%     normal index q = sqrt(n^2 - n_a^2 sin^2 theta) takes the branch with
%     Im q >= 0 (a decaying or outgoing wave), so evanescent layers and
%     substrates are modelled, not NaN. r is the ratio of the reflected to
%     the incident tangential field: the electric field in TE, the magnetic
%     field in TM, so r_TM = -r_TE at normal incidence; t is the same ratio
%     just inside the substrate. Every index follows n + n' h + n'' h^2/2
%     about each wavenumber (h = k - k(i)) in the layer phases and in every
%     interface; the ambient and the angle carry none. The stack is closed
%     physically: the last layer meets the substrate; L = 0 is the bare
%     substrate. A layer of zero thickness gets its finite gradient.
%
%   NaN: where r = 0 (or t = 0) the phase of r (or t) and its derivatives
%   are NaN at that wavenumber, and nothing else is; NaN or Inf in N, Np or
%   Npp reaches only that wavenumber's outputs (and g, through its weight).
%
%   With real indices, m alternating 1, 2, 1, ... and every material
%   propagating, R, GD, GDD and their gradients are those of coatdispgrad.
%
%   Errors (identifiers coatresponse:<reason>): notEnoughInputs,
%   tooManyInputs, tooManyOutputs, notDouble, sparseInput, complexInput (k,
%   d, m, n_a or theta), badShape, transposedIndices (N, Np or Npp given
%   Kx(M+1): rows are materials, columns wavenumbers), badMaterials (not
%   one per layer),
%   badMaterial (not an integer in 1..M), badAmbient, gainMedium,
%   angleOutOfRange, badThickness, badWavenumber, selectorNotChar,
%   badSelector, badNames, unknownName (the message lists the names; the
%   phase quantities have no ...sub), badWeights (weights are of the light
%   from the ambient: no field Rsub), missingWeights ('g' without weights),
%   evanescentSubstrate (a ...sub name, and a lossless substrate not above
%   the tangential index n_a sin theta).
%
%   Example: a silver-backed mirror of three materials at 45 degrees, p
%     k = 2*pi ./ linspace(0.7, 0.9, 201);
%     d = [0.09; 0.14; 0.10; 0.14; 0.05];  m = [1; 2; 3; 2; 4];
%     N = [2.3; 1.45; 2.05; 0.15 + 5i; 1.45];      % 4 materials, substrate
%     out = coatresponse(k, d, m, 1, N, [], [], pi/4, 'p', {'R', 'A', 'GDD'});
%     R = out.R;  A = out.A;  GDD = out.GDD;     % 1x201 each
%
%   Cost: O(L) per wavenumber, values and derivatives alike (one sweep from
%   the substrate and, for gradients, one back).
%
%   See also coatdispgrad, coatneedle, coating_indices.

%!shared k, c  # a layer matched to the ambient: only the substrate reflects
%! k = 2*pi ./ [0.7 0.8 0.9];  c = 0.299792458;
%!test  # its round trip: GD = 2 d / c, the transmitted wave's d / c; R + T = 1
%! o = coatresponse (k, 0.3, 1, 1, [1; 1.5], [0; 0.03], [], 0, 's', {'R', 'T', 'GD', 'GDt', 'GDD', 'dGD'});
%! assert (o.R, 0.04 * ones (1, 3), 1e-15);  assert (o.R + o.T, ones (1, 3), 1e-15);
%! assert ([o.GD; o.GDt], [2; 1] * 0.3 / c * ones (1, 3), -1e-12);
%! assert (abs (o.GDD) < 1e-9);  assert (o.dGD, 2 / c * ones (1, 3), -1e-12);
%!test  # a bare silver substrate: Fresnel, T = 1 - R, A = 0; r_TM = -r_TE at normal incidence
%! n = 0.15 + 5i;
%! s = coatresponse (k, [], [], 1, n, [], [], 0, 'TE', {'r', 'R', 'T', 'A'});
%! p = coatresponse (k, [], [], 1, n, [], [], 0, 'TM', {'r'});
%! assert (s.r, (1 - n) / (1 + n) * ones (1, 3), 1e-15);  assert (p.r, -s.r, 1e-15);
%! assert ([s.T; s.A], [1 - s.R; 0 0 0], 1e-15);
%!test  # beyond the critical angle of a lossless substrate: R = 1, T = 0
%! o = coatresponse (k, [], [], 1.5, 1, [], [], 0.9, 'p', {'R', 'T'});
%! assert ([o.R; o.T], [1 1 1; 0 0 0], 1e-15);
%!error id=coatresponse:gainMedium coatresponse (k, 0.1, 1, 1, [1.5 - 0.1i; 1.5], [], [], 0, 's', 'R')
%!error id=coatresponse:missingWeights coatresponse (k, 0.1, 1, 1, [1.5; 1.5], [], [], 0, 's', 'g')
