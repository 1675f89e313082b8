% coating_indices (toolbox/): published indices, and dn/dk as the
% true slope of n, in the 3xK layout the modules take.

%!test  # catalogue values at the helium d line (587.6 nm) and at 800 nm
%! [N, Np] = coating_indices(2*pi ./ [0.5876 0.8], {'SiO2', 'N-BK7'});
%! assert(N(:, 1), [1.4585; 1.5168], 5e-5);    % n_d of fused silica, of N-BK7
%! assert(N(1, 2), 1.4533, 5e-5);              % fused silica at 800 nm
%! k = 2*pi / 0.8;                             % group index n + k dn/dk at 800 nm
%! assert(N(1, 2) + k * Np(1, 2), 1.4671, 5e-5);

%!test  # titania: DeVore's formula as published, n^2 = 5.913 + 0.2441/(lambda^2 - 0.0803)
%! lambda = linspace(0.45, 1.5, 50);
%! N = coating_indices(2*pi ./ lambda, {'TiO2'});
%! assert(N, sqrt(5.913 + 0.2441 ./ (lambda.^2 - 0.0803)), 1e-13);

%!test  # Nprime is dn/dk, Nsecond d2n/dk2: central differences of N and Nprime
%! k = 2*pi ./ linspace(0.6, 1.1, 11);  h = 1e-4;
%! [N, Np, Npp] = coating_indices(k);
%! assert(size(N), [3 11]);  assert(size(Np), [3 11]);  assert(size(Npp), [3 11]);
%! [up, upp] = coating_indices(k + h);  [down, downp] = coating_indices(k - h);
%! assert(Np, (up - down) / (2 * h), 1e-8);
%! assert(Npp, (upp - downp) / (2 * h), 1e-9);
%! assert(all(Np(:) > 0));
%! assert(N(2, :), N(3, :));                   % silica layers on fused silica

%!error <unknown material 'MgF2'> coating_indices(8, {'TiO2', 'MgF2'})

%!test  # the tests in the function's own file: every model's derivatives, the catalogue's published values, the errors
%! [n, nmax] = test('coating_indices', 'quiet');
%! assert(nmax > 0 && n == nmax, '%d of the %d tests in coating_indices.m pass', n, nmax);
