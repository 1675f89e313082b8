% out = mirror_100fs2(png, K)
% A dispersive mirror to its targets, in one call of coatoptimize:
% GDD -100 +- 10 fs^2 and R > 99.5 % over 700 to 900 nm at 5 degrees, s and
% p averaged, titania and silica on fused silica, no layer thinner than
% 10 nm, with default weights (each excess counts in units of its scale:
% 10 fs^2 for the GDD, its tolerance, and 0.1 % for R, its natural unit); then its tolerance to 1 nm thickness errors (coattolerance) and
% the figure (coatplot). K wavelengths on the design grid (default 81); the
% final check of coatoptimize looks ten times finer.
%
% Start: a chirped stack of 30 pairs, quarter waves from 680 nm next to the
% ambient to 960 nm next to the substrate, the first pairs tapered.
%
% Writes png (default mirror_100fs2.png): GDD and R (as log10(1 - R)) with
% the target bands and the Monte-Carlo envelope (5 to 95 %), and the layers.
%
% out has the fields design (d, m, materials, merit, record: see help
% coatoptimize), targets, report (coattolerance's), time (s, the design).
function out = mirror_100fs2(png, K)
  if nargin < 1, png = 'mirror_100fs2.png'; end
  if nargin < 2, K = 81; end
  lambda = linspace(0.7, 0.9, K);
  theta = 5 * pi / 180;
  targets = struct('quantity', {'GDD', 'R'}, 'lambda', lambda, 'theta', theta, 'pol', 'avg', ...
                   'value', {-100, 0.995}, 'tol', {10, 0}, 'type', {'=', '>='});

  pairs = 30;  taper = 3;
  mats = {'TiO2', 'SiO2', 'fused silica'};
  n = coating_indices(2 * pi / 0.8, mats);
  centre = linspace(0.68, 0.96, pairs);
  share = 0.5 * ones(1, pairs);
  share(1:taper) = (1:taper) / (2 * (taper + 1));
  d = [share .* centre / (2 * n(1)); (1 - share) .* centre / (2 * n(2))];
  design0 = struct('d', d(:), 'm', repmat([1; 2], pairs, 1), 'materials', {mats});

  tic;
  design = coatoptimize(design0, targets, 'dmin', 0.01, 'maxIterations', 300, 'needle', 4);
  time = toc;
  report = coattolerance(design, targets, 0.001, 'samples', 200);
  coatplot(design, targets, report, png);

  rec = design.record;
  fprintf('GDD mirror: %d layers, merit %.4g after %d iterations, %.2f s\n', ...
          numel(design.d), design.merit, rec.iterations, time);
  for t = 1:numel(rec.dense)
    fprintf('  %s: worst excess beyond tolerance on the dense grid %.3g (at %.1f nm)\n', ...
            rec.dense(t).quantity, rec.dense(t).worst, 1000 * rec.dense(t).lambda);
  end
  x = report.targets;
  fprintf('  1 nm errors: GDD spread (1 sigma) up to %.1f fs^2 linearised, %.1f fs^2 Monte-Carlo; yield %.0f %%\n', ...
          max(x(1).linear(:)), max(x(1).std(:)), 100 * report.yield);
  fprintf('Plot written to %s\n', png);
  out = struct('design', design, 'targets', targets, 'report', report, 'time', time);
end
