% End-to-end tests of coatresponse, against the textbook matrices in complex
% arithmetic (textbook_response.m) and differences of its own outputs.

%!shared k, d, m, N, Np, Npp, K
%! % Four materials and a substrate, absorbing layers and a metal, 11
%! % wavenumbers (lane groups of 8 + 3 and 4 + 4 + 3), slopes and curvatures
%! % different at every wavenumber and for every material.
%! K = 11;  k = linspace(6.4, 9.9, K);
%! d = [0.091; 0.142; 0.103; 0.139; 0.047; 0.2; 0];  m = [1; 2; 3; 2; 4; 1; 3];
%! N = [2.3 + 0.01i; 1.45; 2.05 + 0.002i; 0.15 + 5i; 1.52 + 0.001i] + 0.01 * [1:K] .* [1; 2; -1; 3; 1] / K;
%! Np = ([0.021; 0.0043; 0.013; -0.2 + 0.7i; 0.0051] .* (1 + 0.3 * sin(1:K)));
%! Npp = ([0.004; 0.0009; 0.002; 0.05 - 0.1i; -0.0007] .* (1 + 0.5 * cos(1:K)));

%!test  # r, t, T against the textbook; R + T + A = 1; lossless A = 0; a bare metal T = 1 - R
%! for pol = {'TE', 'p'}
%!   for th = [0, 0.7]
%!     o = coatresponse(k, d, m, 1, N, Np, Npp, th, pol{1}, {'r', 't', 'R', 'T', 'A'});
%!     [r, t, T] = textbook_response(k, d, m, 1, N, th, pol{1});
%!     assert(o.r, r, 1e-12);  assert(o.t, t, 1e-12);  assert(o.T, T, 1e-12);
%!     assert(o.R + o.T + o.A, ones(1, K), 1e-14);
%!     assert(all(o.A > 0.01));
%!     real3 = real(N([2 3 5], :));
%!     o = coatresponse(k, d(1:5), [1 2 1 2 1], 1, real3, [], [], th, pol{1}, {'A', 'R', 'T'});
%!     assert(abs(o.A) < 1e-14);
%!   end
%! end
%! % L = 0: Fresnel; a metal substrate: T = 1 - R; at normal incidence r_TM = -r_TE.
%! metal = [0.15 + 5i; 0.05 + 4i];
%! o = coatresponse(k(1:2), [], [], 1, metal.', [], [], 0, 'TE', {'r', 'R', 'T', 'A'});
%! p = coatresponse(k(1:2), [], [], 1, metal.', [], [], 0, 'TM', {'r'});
%! assert(o.r, (1 - metal.') ./ (1 + metal.'), 1e-15);
%! assert(p.r, -o.r, 1e-15);
%! assert([o.T; o.A], [1 - o.R; 0 0], 1e-15);

%!test  # weakly absorbing films, Im n from 0 to 1: r, t, R, T, A within 1e-13 of the textbook product; no jump at Im n -> 0
%! % A root that drops a small Im n errs by about Im n; the slope
%! % (R(0) - R(kappa)) / kappa then falls to 0 below kappa = 1e-8. It must stay
%! % one constant from 1e-12 to 1e-6, up to the curvature of R (2e-3 of it
%! % here) and the rounding of R over kappa.
%! kk = 2 * pi ./ [0.75 0.8 0.85];  kappas = [0, 1e-14, 1e-12, 1e-10, 1e-8, 1e-6, 1e-4, 1e-2, 0.1, 1];
%! for L = [1 14 200]
%!   j = (0:L-1)';  ml = mod(j, 2) + 1;
%!   dl = (0.087 + 0.051 * mod(j, 2)) .* (1 + 0.37 * sin(1.3 * j + 0.4));
%!   if L == 1, dl = 0.3; end
%!   for pol = {'TE', 'TM'}
%!     for th = [0 0.7]
%!       R = zeros(numel(kappas), numel(kk));
%!       for a = 1:numel(kappas)
%!         Nl = repmat([2.05 + 1i * kappas(a); 1.45; 1.52], 1, numel(kk));
%!         o = coatresponse(kk, dl, ml, 1, Nl, [], [], th, pol{1}, {'r', 't', 'R', 'T', 'A'});
%!         [r, t, T] = textbook_response(kk, dl, ml, 1, Nl, th, pol{1});
%!         assert([o.r; o.t; o.R; o.T; o.A], [r; t; abs(r) .^ 2; T; 1 - abs(r) .^ 2 - T], 1e-13);
%!         R(a, :) = o.R;
%!       end
%!       slope = (R(1, :) - R(3:6, :)) ./ kappas(3:6)';
%!       assert(slope, repmat(slope(4, :), 4, 1), 2e-3 * abs(slope(4, :)) + (L + 2) * 4e-15 ./ kappas(3:6)');
%!     end
%!   end
%! end

%!test  # total internal reflection: R = 1, T = 0; a thin gap lets light through (frustrated)
%! o = coatresponse(k, [], [], 1.5, 1.0, [], [], 0.9, 's', {'R', 'T', 'GD'});
%! assert([o.R; o.T], [ones(1, K); zeros(1, K)], 1e-15);
%! assert(all(isfinite(o.GD)));
%! for pol = {'s', 'p'}
%!   o = coatresponse(k, 0.2, 1, 1.5, [1.0; 1.5], [], [], 0.9, pol{1}, {'R', 'T', 't'});
%!   [~, t, T] = textbook_response(k, 0.2, 1, 1.5, repmat([1.0; 1.5], 1, K), 0.9, pol{1});
%!   assert(o.T, T, 1e-13);  assert(o.t, t, 1e-13);
%!   assert(o.R + o.T, ones(1, K), 1e-14);  assert(all(o.T > 0.01 & o.T < 0.99));
%! end

%!test  # GD, GDD, TOD of r and t: differences of the textbook phase, n(k) = n + n'h + n''h^2/2
%! c = 0.299792458;  h = 2e-3;  steps = -3:3;
%! for pol = {'TE', 'TM'}
%!   o = coatresponse(k, d, m, 1, N, Np, Npp, 0.5, pol{1}, {'GD', 'GDD', 'TOD', 'GDt', 'GDDt', 'TODt'});
%!   for i = [1 6 11]
%!     pr = zeros(size(steps));  pt = pr;
%!     for s = 1:numel(steps)
%!       x = steps(s) * h;
%!       Nx = N(:, i) + Np(:, i) * x + Npp(:, i) * x^2 / 2;
%!       [r, t] = textbook_response(k(i) + x, d, m, 1, Nx, 0.5, pol{1});
%!       pr(s) = arg(r);  pt(s) = arg(t);
%!     end
%!     pr = unwrap(pr);  pt = unwrap(pt);
%!     % Stencils on 7 points: first (6th order), second (6th), third (4th).
%!     D1 = [-1 9 -45 0 45 -9 1] / (60 * h);
%!     D2 = [2 -27 270 -490 270 -27 2] / (180 * h^2);
%!     D3 = [1 -8 13 0 -13 8 -1] / (8 * h^3);
%!     ref = [D1 * pr', D2 * pr', D3 * pr'; D1 * pt', D2 * pt', D3 * pt'] ./ [c, c^2, c^3];
%!     got = [o.GD(i), o.GDD(i), o.TOD(i); o.GDt(i), o.GDDt(i), o.TODt(i)];
%!     assert(got, ref, 1e-6 * abs(ref) + [1e-7, 1e-5, 1e-3]);
%!   end
%! end

%!test  # every gradient and g against central differences of its own outputs
%! names = {'R', 'T', 'A', 'GD', 'GDD', 'TOD', 'GDt', 'GDDt', 'TODt'};
%! w = struct('R', 1 + (1:K) / K, 'GDD', 0.01, 'TODt', -1e-4 * (1:K), 'A', 0);
%! w.A(1) = 0;  hstep = 1e-6;
%! for pol = {'TE', 'TM'}
%!   o = coatresponse(k, d, m, 1, N, Np, Npp, 0.4, pol{1}, [{'g'}, strcat('d', names), names], w);
%!   g = zeros(numel(d), 1);
%!   for f = fieldnames(w)'
%!     g = g + o.(['d' f{1}]) * (w.(f{1}) .* ones(1, K))';
%!   end
%!   assert(o.g, g, 1e-12 * max(abs(g)));
%!   for j = [1 4 7]   % layer 7 has zero thickness: a one-sided difference there
%!     e = zeros(size(d));  e(j) = hstep;
%!     o1 = coatresponse(k, d + e, m, 1, N, Np, Npp, 0.4, pol{1}, names);
%!     if d(j) > 0
%!       o0 = coatresponse(k, d - e, m, 1, N, Np, Npp, 0.4, pol{1}, names);
%!     else
%!       o0 = coatresponse(k, d, m, 1, N, Np, Npp, 0.4, pol{1}, names);
%!       o2 = coatresponse(k, d + 2 * e, m, 1, N, Np, Npp, 0.4, pol{1}, names);
%!     end
%!     for q = names
%!       if d(j) > 0
%!         ref = (o1.(q{1}) - o0.(q{1})) / (2 * hstep);
%!       else
%!         ref = (4 * o1.(q{1}) - 3 * o0.(q{1}) - o2.(q{1})) / (2 * hstep);
%!       end
%!       assert(o.(['d' q{1}])(j, :), ref, 1e-6 * max(abs(ref)) + 1e-9);
%!     end
%!   end
%! end

%!test  # light from the substrate (...sub): a dispersive absorbing substrate against the reversed textbook product
%! % per wavenumber a different substrate (lossless, weakly and strongly
%! % absorbing), a metal film among the layers; r, t, R, T, A, and the
%! % gradients; a lossless substrate below the tangential index is refused
%! kk = 2 * pi ./ [0.5 0.62 0.8 0.95 1.3];
%! NN = [2.3 + 0.02i; 1.46; 0.15 + 4i] * ones(1, 5);
%! NN(4, :) = [1.5 + 1e-4i, 1.7, 1.3 + 1e-3i, 1.52 + 1e-6i, 1.9 + 0.05i];
%! dd = [0.11; 0.17; 0.012; 0.09; 0.2];  mm = [1; 2; 3; 1; 2];
%! na = 1.4;  theta = 1.1;  s2 = (na * sin(theta)) ^ 2;   % Re n_s = 1.3 is just above sqrt(s2) = 1.25
%! names = {'rsub', 'tsub', 'Rsub', 'Tsub', 'Asub', 'dRsub', 'dTsub', 'dAsub'};
%! for pol = {'TE', 'TM'}
%!   o = coatresponse(kk, dd, mm, na, NN, [], [], theta, pol{1}, names);
%!   for i = 1:5
%!     n = [NN(4, i); NN(mm(end:-1:1), i); na];             % from the substrate out
%!     q = sqrt(n .^ 2 - s2);  eta = q;
%!     if strcmp(pol{1}, 'TM') eta = n .^ 2 ./ q; end
%!     B = [1; eta(end)];
%!     for j = numel(dd):-1:1
%!       x = kk(i) * q(j + 1) * dd(end + 1 - j);
%!       B = [cos(x), -1i * sin(x) / eta(j + 1); -1i * eta(j + 1) * sin(x), cos(x)] * B;
%!     end
%!     r = (eta(1) * B(1) - B(2)) / (eta(1) * B(1) + B(2));   % of the tangential E
%!     t = 2 * eta(1) / (eta(1) * B(1) + B(2));
%!     T = abs(t) ^ 2 * real(eta(end)) / real(eta(1));          % the waves' own fluxes
%!     if strcmp(pol{1}, 'TM') r = -r;  t = t * eta(end) / eta(1); end   % of the tangential H
%!     assert([o.rsub(i), o.tsub(i)], [r, t], 1e-13);
%!     assert([o.Rsub(i), o.Tsub(i), o.Asub(i)], [abs(r) ^ 2, T, 1 - abs(r) ^ 2 - T], 1e-13);
%!   end
%!   h = 1e-6;
%!   for j = [1 3 5]
%!     e = zeros(5, 1);  e(j) = h;
%!     u = coatresponse(kk, dd + e, mm, na, NN, [], [], theta, pol{1}, {'Rsub', 'Tsub'});
%!     v = coatresponse(kk, dd - e, mm, na, NN, [], [], theta, pol{1}, {'Rsub', 'Tsub'});
%!     assert(o.dRsub(j, :), (u.Rsub - v.Rsub) / (2 * h), 1e-7 * max(abs(o.dRsub(:))));
%!     assert(o.dTsub(j, :), (u.Tsub - v.Tsub) / (2 * h), 1e-7 * max(abs(o.dTsub(:))));
%!   end
%!   assert(o.dAsub, -o.dRsub - o.dTsub, 1e-15);
%! end
%! NN(4, 3) = 1.2;
%! fail('coatresponse(kk, dd, mm, na, NN, [], [], theta, ''s'', ''Rsub'')', 'N\(4, 3\) = 1.2 is real and not above');
%! assert(isfield(coatresponse(kk, dd, mm, na, NN, [], [], theta, 's', 'R'), 'R'));   % from the ambient it is lit
%!test  # dnX: each material's and the substrate's index against central differences, both walks, TE and TM; a bare substrate
%! names = {'R', 'T', 'A', 'GD', 'GDD', 'TOD', 'GDt', 'GDDt', 'TODt'};
%! h = 1e-6;
%! for c = {{N, 0.4}, {real(N([1 2 3 2 5], :)), 0.7}, {N(5, :), 0.2}}   % absorbing; lossless; bare
%!   n = c{1}{1};  th = c{1}{2};
%!   if rows(n) == 1, dd = [];  mm = []; else dd = d;  mm = m; end
%!   for pol = {'TE', 'TM'}
%!     o = coatresponse(k, dd, mm, 1, n, Np(1:rows(n), :), Npp(1:rows(n), :), th, pol{1}, strcat('dn', names));
%!     for x = 1:rows(n)
%!       e = zeros(size(n));  e(x, :) = h;
%!       o1 = coatresponse(k, dd, mm, 1, n + e, Np(1:rows(n), :), Npp(1:rows(n), :), th, pol{1}, names);
%!       o0 = coatresponse(k, dd, mm, 1, n - e, Np(1:rows(n), :), Npp(1:rows(n), :), th, pol{1}, names);
%!       for q = names
%!         ref = (o1.(q{1}) - o0.(q{1})) / (2 * h);
%!         assert(size(o.(['dn' q{1}])), [rows(n), K]);
%!         assert(o.(['dn' q{1}])(x, :), ref, 1e-6 * max(abs(ref)) + 1e-8);
%!       end
%!     end
%!   end
%! end

%!test  # real indices, m = 1, 2, 1, ...: coatdispgrad's six outputs; NaN only where it belongs
%! c = stack_case(6, 7, 0.5);
%! Q = [0.003; 0.001; 0] .* (1 + 0.2 * (1:7));
%! [R, GD, GDD, dR, dGD, dGDD] = coatdispgrad(c.k, c.d, c.na, c.N, c.Np, Q, c.theta, 'p');
%! o = coatresponse(c.k, c.d, mod(0:5, 2) + 1, c.na, c.N, c.Np, Q, c.theta, 'p', ...
%!                  {'R', 'GD', 'GDD', 'dR', 'dGD', 'dGDD'});
%! assert({o.R, o.GD, o.GDD}, {R, GD, GDD}, 1e-12 * max(abs(GDD)));
%! assert({o.dR, o.dGD, o.dGDD}, {dR, dGD, dGDD}, 1e-12 * max(abs(dGDD(:))));
%! bad = c.N;  bad(2, 3) = NaN;
%! o = coatresponse(c.k, c.d, mod(0:5, 2) + 1, c.na, bad, c.Np, Q, c.theta, 'p', {'R', 'dGD', 'T'});
%! assert(isnan(o.R(3)) && isnan(o.T(3)) && all(isnan(o.dGD(:, 3))));
%! o.R(3) = [];  o.T(3) = [];  o.dGD(:, 3) = [];
%! assert(all(isfinite([o.R, o.T, o.dGD(:)'])));

%!test  # long and strongly absorbing stacks stay finite and exact
%! % 600 quarter waves of 4.0 / 1.38: the amplitudes pass 2^400 and are
%! % rescaled on the way; T ~ 1e-277 and the gradients still match differences.
%! kq = 2 * pi ./ [0.97 1.0 1.03];  NQ = [4.0; 1.38; 1.5];  PQ = [0.05; 0.01; 0];
%! for L = [600 2000]
%!   dl = repmat([0.25 / 4.0; 0.25 / 1.38], L / 2, 1);  ml = repmat([1; 2], L / 2, 1);
%!   o = coatresponse(kq, dl, ml, 1, NQ, PQ, [], 0.1, 'TE', {'R', 'T', 'GD', 'GDt', 'dGD', 'dT', 'dR'});
%!   assert(all(isfinite([o.R, o.T, o.GD, o.GDt, o.dGD(:)', o.dT(:)', o.dR(:)'])));
%!   assert(o.R, ones(1, 3), 1e-15);
%! end
%! dl = dl(1:600);  ml = ml(1:600);  h = 1e-7;
%! for j = [1 599]
%!   e = zeros(600, 1);  e(j) = h;
%!   o = coatresponse(kq, dl, ml, 1, NQ, PQ, [], 0.1, 'TE', {'dGD', 'dT'});
%!   ou = coatresponse(kq, dl + e, ml, 1, NQ, PQ, [], 0.1, 'TE', {'GD', 'T'});
%!   od = coatresponse(kq, dl - e, ml, 1, NQ, PQ, [], 0.1, 'TE', {'GD', 'T'});
%!   assert(o.dT(j, :), (ou.T - od.T) / (2 * h), 1e-6 * max(abs(o.dT(j, :))));
%!   assert(o.dGD(j, :), (ou.GD - od.GD) / (2 * h), 1e-6 * max(abs(o.dGD(:))));
%! end
%! o = coatresponse(k(1:3), [0.1; 50; 0], [1; 2; 1], 1, [1.45; 0.15 + 5i; 1.52], [], [], 0.3, 'p', {'R', 'T', 'GD', 'dR', 'dGD', 'GDt'});
%! assert(all(isfinite([o.R, o.GD, o.dR(:)', o.dGD(:)'])));
%! assert(o.T, zeros(1, 3));

%!test  # threads: every output of the four threaded modules the same bits at 1, 2, 3 threads (odd K)
%! K2 = 1001;  k2 = linspace(6.5, 9.5, K2);  L2 = 60;  d2 = 0.08 + 0.06 * abs(sin(1:L2))';
%! m2 = mod(0:L2-1, 3)' + 1;  z2 = linspace(0, sum(d2), 37);
%! N2 = [2.3 + 0.001i; 1.45; 2.05; 1.52] + 0.01 * [1:K2] .* [1; 2; 1; 1] / K2;
%! P2 = [0.02; 0.004; 0.01; 0.005] .* (1 + 0.3 * sin(1:K2));
%! w2 = struct('R', 1 + (1:K2) / K2, 'GDD', 0.01);
%! was = getenv('COAT_THREADS');
%! unwind_protect
%!   for n = 1:3
%!     setenv('COAT_THREADS', num2str(n));
%!     o{n} = {coatresponse(k2, d2, m2, 1, N2, P2, [], 0.3, 'p', {'R', 'GD', 'GDD', 'dR', 'dGDD', 'T', 'g'}, w2), ...
%!             coatprofile(k2, d2, m2, 1, N2, P2, [], 0.3, 'p', z2, {'E2', 'nR', 'nGDD', 'ng'}, 2, w2)};
%!     [o{n}{3:8}] = coatdispgrad(k2, d2, 1, real(N2([1 2 4], :)), P2([1 2 4], :), [], 0.3, 'TE');
%!     [o{n}{9:11}] = coatneedle(k2, d2, 1, real(N2([1 2 4], :)), P2([1 2 4], :), [], 0.3, 'TE', z2);
%!   end
%! unwind_protect_cleanup
%!   setenv('COAT_THREADS', was);
%! end_unwind_protect
%! assert(isequal(o{1}, o{2}) && isequal(o{1}, o{3}));

%!test  # waiting threads: ended by clear and started again; a forked child (parcellfun) starts its own
%! k2 = linspace(6, 9, 101);  d2 = 0.1 + 0.01 * (1:30)';  m2 = 1 + mod(0:29, 2)';
%! N2 = [2.3; 1.45; 1.52] * ones(1, 101);  f = [tempname() '.mat'];
%! was = {getenv('COAT_THREADS'), getenv('COAT_THREADS_MIN_WORK')};
%! unwind_protect
%!   setenv('COAT_THREADS', '2');  setenv('COAT_THREADS_MIN_WORK', '0');
%!   a = coatresponse(k2, d2, m2, 1, N2, [], [], 0, 'TE', {'R', 'dGDD'});
%!   pid = fork();
%!   if pid == 0
%!     b = coatresponse(k2, d2, m2, 1, N2, [], [], 0, 'TE', {'R', 'dGDD'});
%!     save('-binary', [f '.part'], 'b');  rename([f '.part'], f);  exit(0);
%!   end
%!   for t = 1:300
%!     if exist(f, 'file'), break; end
%!     pause(0.1);
%!   end
%!   if ~exist(f, 'file'), kill(pid, 9); end
%!   waitpid(pid);
%!   assert(exist(f, 'file') == 2, 'the forked child did not finish');
%!   load(f);  assert(isequal(a, b));
%!   threads = @() sscanf(regexp(fileread('/proc/self/status'), 'Threads:\s*\d+', 'match', 'once')(9:end), '%d');
%!   before = threads();
%!   clear coatresponse
%!   assert(threads() < before);   # its waiting threads have ended
%!   assert(isequal(a, coatresponse(k2, d2, m2, 1, N2, [], [], 0, 'TE', {'R', 'dGDD'})));
%! unwind_protect_cleanup
%!   if exist(f, 'file'), delete(f); end
%!   setenv('COAT_THREADS', was{1});  setenv('COAT_THREADS_MIN_WORK', was{2});
%! end_unwind_protect

%!error id=coatresponse:notEnoughInputs coatresponse(1, 1, 1, 1, [1; 1], [], [], 0, 'TE')
%!error id=coatresponse:tooManyOutputs [a, b] = coatresponse(1, 1, 1, 1, [1; 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:notDouble coatresponse(single(1), 1, 1, 1, [1; 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:sparseInput coatresponse(1, sparse(1), 1, 1, [1; 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:complexInput coatresponse(1, 1, 1 + 1i, 1, [1; 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:gainMedium coatresponse(1, 1, 1, 1, [1 - 0.1i; 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:badShape coatresponse([1 2 3], 1, 1, 1, [1 1; 1 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:transposedIndices coatresponse([1 2], 1, 1, 1, [1 1 1; 1 1 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:badShape coatresponse(1, 1, 1, 1, [1; 1], [1; 1; 1], [], 0, 'TE', 'R')
%!error id=coatresponse:badMaterials coatresponse(1, [1; 1], 1, 1, [1; 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:badMaterial coatresponse(1, 1, 2, 1, [1; 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:badMaterial coatresponse(1, 1, 0.5, 1, [1; 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:badAmbient coatresponse(1, 1, 1, -1, [1; 1], [], [], 0, 'TE', 'R')
%!error <45 degrees is pi/4> coatresponse(1, 1, 1, 1, [1; 1], [], [], 45, 'TE', 'R')
%!error id=coatresponse:badThickness coatresponse(1, -1, 1, 1, [1; 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:badWavenumber coatresponse(0, 1, 1, 1, [1; 1], [], [], 0, 'TE', 'R')
%!error id=coatresponse:badSelector coatresponse(1, 1, 1, 1, [1; 1], [], [], 0, 'TEM', 'R')
%!error <the names are r, t, R, T> coatresponse(1, 1, 1, 1, [1; 1], [], [], 0, 'TE', {'R', 'Rs'})
%!error id=coatresponse:badNames coatresponse(1, 1, 1, 1, [1; 1], [], [], 0, 'TE', {'R', 3})
%!error id=coatresponse:badWeights coatresponse(1, 1, 1, 1, [1; 1], [], [], 0, 'TE', 'g', struct('r', 1))
%!error id=coatresponse:badWeights coatresponse([1 2 3], 1, 1, 1, [1; 1], [], [], 0, 'TE', 'g', struct('R', [1 2]))
%!error id=coatresponse:missingWeights coatresponse(1, 1, 1, 1, [1; 1], [], [], 0, 'TE', {'R', 'g'})
