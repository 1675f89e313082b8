% examples/mirror_100fs2.m on a short grid: the design meets the
% targets between its grid points too, by a computation of its own,
% the tolerance report is whole, and the figure is written.

%!shared out, png
%! png = fullfile(pwd, 'example_mirror_100fs2.png');
%! if exist(png, 'file'), delete(png); end
%! out = mirror_100fs2(png, 21);

%!test  # GDD -100 +- 10 fs^2 and R > 99.5 % at 5 deg, s and p averaged, every 0.5 nm
%! d = out.design;
%! assert(d.record.met && d.merit == 0);
%! lambda = linspace(0.7, 0.9, 401);  k = 2*pi ./ lambda;
%! [N, Np, Npp] = coating_indices(k, d.materials);
%! s = coatresponse(k, d.d, d.m, 1, N, Np, Npp, 5*pi/180, 's', {'R', 'GDD'});
%! p = coatresponse(k, d.d, d.m, 1, N, Np, Npp, 5*pi/180, 'p', {'R', 'GDD'});
%! assert(max(abs((s.GDD + p.GDD) / 2 + 100)) <= 10);
%! assert(min((s.R + p.R) / 2) >= 0.995);
%! assert(min(d.d) >= 0.01);

%!test  # the tolerance report and the figure
%! x = out.report.targets;
%! assert(numel(x) == 2 && isequal(size(x(1).std), [1 21]) && all(x(1).linear > 0));
%! assert(out.report.yield >= 0 && out.report.yield <= 1);
%! assert(png_written(png));
%! printf('mirror_100fs2 (K = 21): %d layers, %d iterations, %.1f s\n', numel(out.design.d), ...
%!        out.design.record.iterations, out.time);
