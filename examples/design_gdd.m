% out = design_gdd(png, K)
% Designs a dispersive mirror to a GDD target with exact GDD gradients and
% full material dispersion, in one call of coatoptimize. 50 layers of
% titania/silica on fused silica (Sellmeier indices with exact first and
% second derivatives, from coating_indices), TE at normal incidence:
% GDD -50 +- 5 fs^2 and R >= 99.8 % over 750 to 850 nm, K wavenumbers
% (default 101). The GDD is that of coatresponse (and coatdispgrad): the
% k-derivatives of the reflection with every index following n(k) in the
% phases and the interfaces alike, which is what a white-light
% interferometer measures.
%
% Start: a chirped stack, its quarter-wave wavelength ramping from 700 nm
% next to the ambient to 940 nm next to the substrate, the first pairs
% tapered (see dispersive_mirror). coatoptimize then adjusts all 50
% thicknesses by bounded Levenberg-Marquardt with the exact Jacobian.
%
% Merit, over the band (gdd_merit gives it with a penalty in place of the
% bound):
%   m = mean(((GDD + 50) / 5).^2) + w * sum(max(0, Rd - R).^2),   d >= dmin
% with Rd = 99.85 %, a little above the 99.8 % asked for, and dmin = 20 nm:
% as targets with default weights, GDD = -50 with no tolerance, so that the
% design is pulled to the middle of the band, not to its edge, its excess
% counted in units of 5 fs^2 (its scale: the tolerance asked for), and
% R >= Rd, counted in units of 0.1 % (R's natural unit; see help
% coattargets), so that w = 1 / (K 0.001^2), coattargets' merit being the
% mean over each target's points.
%
% Writes two figures: png (default design_gdd.png), coatplot's figure of the
% design against its goals (GDD -50 +- 5 fs^2, R >= 99.8 %) on a
% grid 10 times finer; and png with '_frozen' before its extension, the GDD
% of the design as coatdisp computes it (interfaces frozen at each
% wavenumber, no d2n/dk2) beside the full GDD of coatdispgrad. Ends with an
% error if the design misses the target or R on the grid.
%
% out has the fields lambda_nm, k (the band grid), target, tolerance, Rmin,
% d0, d (um), R, GDD (over the band), merit0, merit, iterations, time (s),
% converged, worst_gdd_error (fs^2), min_R, and frozen_gap, the largest
% |coatdisp GDD - coatdispgrad GDD| over the band (fs^2); merit_args, the
% arguments of gdd_merit after x and k; design and targets, coatoptimize's.
function out = design_gdd(png, K)
  if nargin < 1, png = 'design_gdd.png'; end
  if nargin < 2, K = 101; end

  band = [0.75 0.85];                         % um
  target = -50;  tolerance = 5;               % fs^2
  Rmin = 0.998;
  Rdesign = 0.9985;                           % held in the merit, a margin above Rmin
  dmin = 0.02;                                % thinnest layer, um
  pairs = 25;  taper = 3;
  theta = 0;  pol = 'TE';
  maxIterations = 400;

  w = 1 / (K * 0.001 ^ 2);                    % R's shortfall in units of 0.1 %, over K points
  lambda = linspace(band(2), band(1), K);
  k = 2 * pi ./ lambda;                       % rad/um, increasing
  [N, Np, Npp] = coating_indices(k);
  n800 = coating_indices(2 * pi / 0.8);
  centre = linspace(0.70, 0.94, pairs);       % quarter-wave wavelength of each pair
  share = 0.5 * ones(1, pairs);
  share(1:taper) = (1:taper) / (2 * (taper + 1));
  d0 = zeros(2 * pairs, 1);
  d0(1:2:end) = share .* centre / (2 * n800(1));
  d0(2:2:end) = (1 - share) .* centre / (2 * n800(2));

  materials = {'TiO2', 'SiO2', 'fused silica'};
  design0 = struct('d', d0, 'm', repmat([1; 2], pairs, 1), 'materials', {materials});
  targets = struct('quantity', {'GDD', 'R'}, 'lambda', lambda, 'value', {target, Rdesign}, ...
                   'type', {'=', '>='}, 'scale', {tolerance, []}, 'pol', 's');
  merit0 = gdd_merit(log(d0), k, N, Np, Npp, theta, pol, target, Rdesign, dmin, w, tolerance);
  design = coatoptimize(design0, targets, 'dmin', dmin, 'dense', 1, ...
                        'maxIterations', maxIterations);
  d = design.d;
  time = design.record.time;
  merit1 = design.merit;
  [R, ~, GDD] = coatdispgrad(k, d, 1, N, Np, Npp, theta, pol);
  worst = max(abs(GDD - target));
  converged = design.record.iterations < maxIterations;

  % The design on a fine grid a little beyond the band, and coatdisp's
  % frozen-interface GDD of the same design.
  lambda_fine = linspace(band(1) - 0.04, band(2) + 0.04, 641);
  kf = 2 * pi ./ lambda_fine;
  [Nf, Npf, Nppf] = coating_indices(kf);
  [Rf, ~, GDDf] = coatdispgrad(kf, d, 1, Nf, Npf, Nppf, theta, pol);
  [~, ~, GDDfrozen] = coatdisp(kf, d, 1, Nf, Npf, theta, pol);
  inband = lambda_fine >= band(1) & lambda_fine <= band(2);
  frozen_gap = max(abs(GDDfrozen(inband) - GDDf(inband)));

  printf('GDD design: %d layers TiO2/SiO2 on fused silica, %s at %g deg, K = %d\n', ...
         2 * pairs, pol, theta, K);
  printf('  target GDD %g +- %g fs^2 and R >= %.1f %% over %d to %d nm\n', ...
         target, tolerance, 100 * Rmin, round(1000 * band));
  printf('  merit %.4g -> %.4g in %d iterations, %.2f s (coatoptimize)\n', ...
         merit0, merit1, design.record.iterations, time);
  printf('  on the grid: worst |GDD - target| %.2f fs^2, min R %.4f %%\n', worst, 100 * min(R));
  printf('  fine grid: worst |GDD - target| %.2f fs^2, min R %.4f %%\n', ...
         max(abs(GDDf(inband) - target)), 100 * min(Rf(inband)));
  printf('  thicknesses %.1f to %.1f nm\n', 1000 * min(d), 1000 * max(d));
  nm = 1000 * lambda_fine;
  printf('  coatdisp (frozen interfaces) differs from the full GDD by up to %.1f fs^2 in the band,\n', ...
         frozen_gap);
  printf('  %.1f fs^2 from %d to %d nm\n', max(abs(GDDfrozen - GDDf)), round(nm([1 end])));

  % The design against its goals themselves.
  goals = struct('quantity', {'GDD', 'R'}, 'lambda', lambda, 'value', {target, Rmin}, ...
                'tol', {tolerance, 0}, 'type', {'=', '>='}, 'pol', 's');
  coatplot(design, goals, [], png);

  blue = [0 0.35 0.75];  orange = [1 0.6 0.2];  sand = [1 0.88 0.75];
  lo = target - tolerance;  hi = target + tolerance;
  near = nm >= 1000 * band(1) - 5 & nm <= 1000 * band(2) + 5;
  [folder, name, ext] = fileparts(png);
  png_frozen = fullfile(folder, [name '_frozen' ext]);
  h = coat_print_png();
  set(h, 'defaultaxesfontsize', 7, 'defaulttextfontsize', 7);
  axes('position', [0.13 0.14 0.82 0.74]);
  fill(1000 * band([1 2 2 1]), [lo lo hi hi], sand, 'edgecolor', 'none');
  hold on;
  plot(nm(near), GDDfrozen(near), '-', 'color', orange, 'linewidth', 1.5);
  plot(nm(near), GDDf(near), '-', 'color', blue, 'linewidth', 1.5);
  hold off;
  shown = [GDDfrozen(near) GDDf(near) lo hi];
  xlim(nm(near)([1 end]));  ylim([min(shown) max(shown)] + [-0.05 0.05] * range(shown));
  grid on;
  xlabel('wavelength (nm)');  ylabel('GDD (fs^2)');
  legend('target band', 'coatdisp: interfaces frozen, no d^2n/dk^2', ...
         'coatdispgrad: full dispersion', 'location', 'north');
  legend('boxoff');
  title(sprintf('The same design: the two GDDs differ by up to %.1f fs^2 in the band', ...
                frozen_gap));
  coat_print_png(h, png_frozen, 900, 500);
  printf('Plots written to %s and %s\n', png, png_frozen);

  out = struct('lambda_nm', 2000 * pi ./ k, 'k', k, 'target', target, ...
               'tolerance', tolerance, 'Rmin', Rmin, 'd0', d0, 'd', d, 'R', R, ...
               'GDD', GDD, 'merit0', merit0, 'merit', merit1, ...
               'iterations', design.record.iterations, 'time', time, 'converged', converged, ...
               'worst_gdd_error', worst, 'min_R', min(R), 'frozen_gap', frozen_gap, ...
               'png_frozen', png_frozen, 'design', design, 'targets', targets, ...
               'merit_args', {{N, Np, Npp, theta, pol, target, Rdesign, dmin, w, tolerance}});
  if worst > tolerance || min(R) < Rmin
    error('design_gdd: GDD off the target by %.3g fs^2, min R %.5f', worst, min(R));
  end
end
