% End-to-end tests of coatprofile: the field against the textbook matrices
% (textbook_field.m), needles against stacks with the needle inserted.

%!shared k, d, m, N, Np, Npp, K, z
%! % Four materials (one a metal) and a substrate, 11 wavenumbers (lane
%! % groups mixed), indices and their derivatives varying per wavenumber; the
%! % depths: the surface, inside layers, boundaries, the zero layer, the bottom.
%! K = 11;  k = 2 * pi ./ linspace(0.6, 1.0, K);
%! d = [0.09; 0.14; 0.1; 0.03; 0; 0.12];  m = [1; 2; 3; 4; 2; 1];
%! N = [2.3 + 0.01i; 1.45; 2.05; 0.15 + 5i; 1.52] + 0.01 * [1:K] .* [1; 2; -1; 3; 1] / K;
%! Np = [0.021; 0.0043; 0.013; -0.2 + 0.7i; 0.0051] .* (1 + 0.3 * sin(1:K));
%! Npp = [0.004; 0.0009; 0.002; 0.05 - 0.1i; -0.0007] .* (1 + 0.5 * cos(1:K));
%! z = [0 0.04 0.09 0.1 0.23 0.345 0.36 0.4 sum(d)];

%!test  # E2 against the textbook field; TE: |1 + r|^2 at the surface, continuous at boundaries
%! for pol = {'TE', 'p'}
%!   for th = [0 0.6]
%!     o = coatprofile(k, d, m, 1, N, Np, Npp, th, pol{1}, z, 'E2');
%!     assert(o.E2, textbook_field(k, d, m, 1, N, th, pol{1}, z), 1e-12);
%!   end
%! end
%! o = coatprofile(k, d, m, 1, N, [], [], 0.6, 's', [0, 0.09 - 1e-13, 0.09], 'E2');
%! r = coatresponse(k, d, m, 1, N, [], [], 0.6, 's', 'r');
%! assert(o.E2(1, :), abs(1 + r.r).^2, 1e-13);
%! assert(o.E2(2, :), o.E2(3, :), 1e-11);

%!test  # weakly absorbing films: E2 within 1e-13 of the textbook field (a root that drops Im n errs by about Im n)
%! j = (0:13)';  mw = mod(j, 2) + 1;  dw = (0.087 + 0.051 * mod(j, 2)) .* (1 + 0.37 * sin(1.3 * j + 0.4));
%! zw = [0 0.05 sum(dw(1:5)) 0.9 sum(dw)];
%! for kappa = [1e-12 1e-8 1e-4]
%!   Nw = [2.05 + 1i * kappa; 1.45; 1.52] + 0.01 * [1:K] .* [1; 2; 1] / K;
%!   for pol = {'TE', 'TM'}
%!     o = coatprofile(k, dw, mw, 1, Nw, [], [], 0.7, pol{1}, zw, 'E2');
%!     assert(o.E2, textbook_field(k, dw, mw, 1, Nw, 0.7, pol{1}, zw), 1e-13);
%!   end
%! end

%!test  # dE2 against central differences of the textbook field, depths in um and tied to layers
%! % the depths move with their layers: one in um keeps its distance from its
%! % layer's front (the bottom moves with every layer), one tied its fraction;
%! % a tie at fraction 1 stays in its layer's medium (the reference a hair inside)
%! tie = struct('layer', [1 2 2 3 4 4 6 6], 'fraction', [0 0 1 0.37 0.5 1 0.8 1]);
%! top = [0; cumsum(d)];
%! j = [1 1 2 2 3 4 6 6 7];  a = z(:)' - top(j)';         % where each depth of z lies
%! plain = @(dd) min([0; cumsum(dd)](j)' + a, sum(dd));
%! tied = @(dd) [0; cumsum(dd)](tie.layer)' + tie.fraction .* dd(tie.layer)' - 1e-12 * (tie.fraction == 1);
%! % one-sided differences of second order (the zero layer cannot shrink):
%! % error ~ h^2 |E2'''| and 1e-15 |E2| / h, near 1e-9 of the largest here
%! h = 1e-6;
%! slope = @(f) (4 * f(2) - 3 * f(1) - f(3)) / (2 * h);
%! for pol = {'TE', 'p'}
%!   for th = [0 0.6]
%!     o = coatprofile(k, d, m, 1, N, Np, Npp, th, pol{1}, z, {'E2', 'dE2'});
%!     u = coatprofile(k, d, m, 1, N, Np, Npp, th, pol{1}, tie, {'dE2', 'E2'});
%!     assert(u.E2, textbook_field(k, d, m, 1, N, th, pol{1}, tied(d)), 1e-10);
%!     for i = 1:numel(d)
%!       dd = @(s) d + s * h * ((1:numel(d))' == i);
%!       ref = slope(@(s) textbook_field(k, dd(s - 1), m, 1, N, th, pol{1}, plain(dd(s - 1))));
%!       assert(squeeze(o.dE2(i, :, :)), ref, 1e-7 * max(abs(ref(:))));
%!       ref = slope(@(s) textbook_field(k, dd(s - 1), m, 1, N, th, pol{1}, tied(dd(s - 1))));
%!       assert(squeeze(u.dE2(i, :, :)), ref, 1e-7 * max(abs(ref(:))));
%!     end
%!   end
%! end
%! assert(size(coatprofile(k, [], [], 1, N(5), [], [], 0, 's', [0 0], 'dE2').dE2), [0 2 K]);

%!test  # needles against the stack with the needle inserted: another material, a metal, the same
%! names = {'R', 'T', 'A', 'GD', 'GDD', 'TOD', 'GDt', 'GDDt', 'TODt'};
%! mu = [2 3 4 1 2 1 3 1 2];   % per depth; depth 3 (z = 0.09) is in layer 2 (material 2): 0
%! mu(3) = 2;
%! for pol = {'s', 'TM'}
%!   o = coatprofile(k, d, m, 1, N, Np, Npp, 0.4, pol{1}, z, strcat('n', names), mu);
%!   for p = [1 2 3 5 7 9]
%!     top = [0; cumsum(d)];
%!     j = find(top(1:end-1) <= z(p), 1, 'last');  if z(p) >= top(end), j = numel(d); end
%!     val = @(t) coatresponse(k, [d(1:j-1); z(p) - top(j); t; top(j+1) - z(p); d(j+1:end)], ...
%!                             [m(1:j); mu(p); m(j:end)], 1, N, Np, Npp, 0.4, pol{1}, names);
%!     h = 1e-6;  o0 = val(0);  o1 = val(h);  o2 = val(2 * h);
%!     for q = names
%!       ref = (4 * o1.(q{1}) - 3 * o0.(q{1}) - o2.(q{1})) / (2 * h);
%!       if mu(p) == m(j), ref = 0 * ref; end
%!       assert(o.(['n' q{1}])(p, :), ref, 1e-5 * max(abs(ref)) + 1e-8);
%!     end
%!   end
%! end

%!test  # ng is the contraction of the needle outputs; two materials: coatneedle's outputs
%! w = struct('R', 1 + (1:K) / K, 'GDD', 0.01, 'TODt', -1e-4 * (1:K));
%! o = coatprofile(k, d, m, 1, N, Np, Npp, 0.4, 'p', z, {'ng', 'nR', 'nGDD', 'nTODt'}, 3, w);
%! ng = o.nR * w.R' + o.nGDD * (w.GDD * ones(K, 1)) + o.nTODt * w.TODt';
%! assert(o.ng, ng, 1e-12 * max(abs(ng)));
%! c = stack_case(5, 7, 0.5);
%! Q = [0.003; 0.001; 0] .* (1 + 0.2 * (1:7));
%! zz = [0 0.05 c.d(1) 0.3 sum(c.d)];
%! [nR, nGD, nGDD] = coatneedle(c.k, c.d, c.na, c.N, c.Np, Q, c.theta, 'TE', zz);
%! top = [0; cumsum(c.d)];     % the other material at each depth
%! other = arrayfun(@(x) 1 + mod(max(find(top(1:end-1) <= x)), 2), zz);
%! o = coatprofile(c.k, c.d, [1 2 1 2 1], c.na, c.N, c.Np, Q, c.theta, 'TE', zz, {'nR', 'nGD', 'nGDD'}, other);
%! assert({o.nR, o.nGD, o.nGDD}, {nR, nGD, nGDD}, 1e-12 * max(abs(nGDD(:))));

%!error id=coatprofile:notEnoughInputs coatprofile(k, d, m, 1, N, [], [], 0, 's', z)
%!error id=coatprofile:depthOutOfRange coatprofile(k, d, m, 1, N, [], [], 0, 's', -0.1, 'E2')
%!error id=coatprofile:badNeedleMaterial coatprofile(k, d, m, 1, N, [], [], 0, 's', z, 'nR', 5)
%!error id=coatprofile:badNeedleMaterial coatprofile(k, d, m, 1, N, [], [], 0, 's', z, 'nR', [1 2])
%!error id=coatprofile:missingNeedleMaterial coatprofile(k, d, m, 1, N, [], [], 0, 's', z, 'nGD')
%!error id=coatprofile:missingWeights coatprofile(k, d, m, 1, N, [], [], 0, 's', z, 'ng', 1)
%!error id=coatprofile:badDepths coatprofile(k, d, m, 1, N, [], [], 0, 's', struct('layer', [1 7], 'fraction', [0 1]), 'E2')
%!error id=coatprofile:badDepths coatprofile(k, d, m, 1, N, [], [], 0, 's', struct('layer', [1 2], 'fraction', 0), 'E2')
%!error <the names are E2, nR> coatprofile(k, d, m, 1, N, [], [], 0, 's', z, 'R')
