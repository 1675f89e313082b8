% examples/metal_mirror.m on a short grid: the silver-backed design meets its
% targets, the gradient it optimises with is the merit's, and the silver
% behaves as an opaque absorber.

%!shared out, png
%! png = fullfile(pwd, 'example_metal_mirror.png');
%! if exist(png, 'file'), delete(png); end
%! out = metal_mirror(png, 21);

%!test  # GDD within the tolerance and R above the floor at every wavenumber; the figure
%! assert(max(abs(out.GDD - out.target)) <= out.tolerance);
%! assert(out.worst_gdd_error, max(abs(out.GDD - out.target)), 1e-12);
%! assert(min(out.R) >= out.Rmin);
%! assert(out.merit < out.merit0 / 100);
%! assert(size(out.d), [15 1]);  assert(out.d(end), 0.2);    % the silver film held
%! assert(numel(unique(out.m(1:end - 1))), 3);
%! assert(png_written(png));
%! printf('metal_mirror (K = 21): worst |GDD + 30| %.2f fs^2, min R %.4f, %d iterations\n', ...
%!        out.worst_gdd_error, out.min_R, out.iterations);

%!test  # the weighted g is the gradient of the merit: central differences in x = log(d)
%! % h = 1e-6 in log(d): the truncation error h^2 f'''/6 is some 1e-12 of the
%! % merit's scale and the rounding eps*m/h near 1e-7 of a gradient entry of
%! % order 1e2 to 1e4, so 1e-5 of the largest entry separates an exact gradient
%! % from a wrong weight (a factor of 2 or K, a sign, R's term left out).
%! % Every layer 18 % thinner than designed: the band moves to the blue, R
%! % falls below its floor at every wavenumber and the first layer below
%! % dmin, so each of the merit's three terms is in the gradient.
%! h = 1e-6;
%! x = out.x - 0.2;
%! [m0, g] = out.merit_function(x);
%! assert(m0 > 0);
%! ref = zeros(size(x));
%! for j = 1:numel(x)
%!   e = zeros(size(x));  e(j) = h;
%!   ref(j) = (out.merit_function(x + e) - out.merit_function(x - e)) / (2 * h);
%! end
%! assert(g, ref, 1e-5 * max(abs(ref)));
%! [~, g] = out.merit_function(out.x);            % and it vanishes at the design, near enough
%! assert(norm(g) < 1e-3 * norm(ref));

%!test  # opaque silver: T ~ 0, all that is not reflected is absorbed; R above bare silver
%! assert(all(out.T >= 0 & out.T < 1e-6));
%! assert(all(out.A > 0));
%! assert(out.R + out.T + out.A, ones(size(out.R)), 1e-12);
%! assert(min(out.R) > max(out.R_silver));
%! % the same stack on bulk silver (no film, silver the substrate) reflects the
%! % same to within the film's transmission, and what enters the bulk metal is
%! % what the film absorbs
%! [N, Np, Npp] = coating_indices(out.k, out.materials);
%! L = numel(out.d) - 1;
%! o = coatresponse(out.k, out.d(1:L), out.m(1:L), 1, N(1:4, :), Np(1:4, :), Npp(1:4, :), ...
%!                  0, 'TE', {'R', 'T', 'A', 'GDD'});
%! assert(o.R, out.R, 1e-6);
%! assert(o.T, out.A, 1e-6);
%! assert(abs(o.A) < 1e-12);
%! assert(o.GDD, out.GDD, 1e-3);
