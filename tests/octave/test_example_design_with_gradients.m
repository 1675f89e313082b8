% examples/design_with_gradients.m on a short grid: the optimisation with
% exact gradients converges, lowers the merit at least tenfold, keeps R, and
% the figure is written. The timings it prints are not checked here.

%!shared out, png
%! png = fullfile(pwd, 'example_design_with_gradients.png');
%! if exist(png, 'file'), delete(png); end
%! out = design_with_gradients(png, 21);

%!test  # converged, and the merit fell at least tenfold
%! assert(out.converged);
%! assert(out.ratio >= 10);
%! assert(out.merit <= out.merit0 / 10);
%! printf('design_with_gradients (K = 21): merit %.4g -> %.4g, %.3g times lower\n', ...
%!        out.merit0, out.merit, out.ratio);

%!test  # the returned design does what the merit says: GD follows the target
%! e = out.GD - out.target;  e = e - mean(e);
%! assert(sqrt(mean(e .^ 2)) < 0.1);           % fs
%! assert(out.rms_error, sqrt(mean(e .^ 2)), 1e-12);
%! assert(min(out.d) >= 0.0195);               % um: no layer below 20 nm, give or take
%! assert(min(out.R) > 0.998);
%! assert(all(out.d > 0));
%! assert(size(out.d), size(out.d0));

%!test  # the finite-difference run also ran from the same start
%! assert(out.merit_fd < out.merit0);
%! assert(out.iterations > 0 && out.iterations_fd > 0);

%!test  # the figure
%! assert(png_written(png));
