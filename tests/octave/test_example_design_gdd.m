% examples/design_gdd.m on a short grid: the design meets its GDD and R
% targets on the grid, and both figures are written.

%!shared out, png
%! png = fullfile(pwd, 'example_design_gdd.png');
%! if exist(png, 'file'), delete(png); end
%! out = design_gdd(png, 21);

%!test  # GDD within the tolerance and R above the floor at every wavenumber of the grid
%! assert(max(abs(out.GDD - out.target)) <= out.tolerance);
%! assert(out.worst_gdd_error, max(abs(out.GDD - out.target)), 1e-12);
%! assert(min(out.R) >= out.Rmin);
%! assert(out.merit < out.merit0 / 100);
%! assert(size(out.d), [50 1]);  assert(min(out.d) >= 0.0195);
%! printf('design_gdd (K = 21): worst |GDD + 50| %.2f fs^2, min R %.4f, %d iterations\n', ...
%!        out.worst_gdd_error, out.min_R, out.iterations);

%!test  # the comparison with the frozen-interface GDD, and the figures
%! assert(isfinite(out.frozen_gap) && out.frozen_gap > 0);
%! assert(png_written(png));
%! assert(png_written(out.png_frozen));
