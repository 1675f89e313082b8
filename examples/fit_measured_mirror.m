% out = fit_measured_mirror(png, seed, parameters, points)
% A 50-layer chirped mirror is "made" with rate errors, an index shift and
% random layer errors, "measured" in R and GD with noise, and its errors
% recovered by coatfit. Prints the planted and fitted rates and index
% shifts with their standard errors, the reduced chi2 and what the data
% cannot separate; writes coatfit's figure (measured, design, fit, and the
% residuals in units of the noise) to the PNG file png (default
% fit_measured_mirror.png; '' for none).
%
% The mirror: 25 pairs of titania and silica films on fused silica at
% normal incidence, s, their quarter-wave wavelength ramping from 660 nm
% next to the air to 1000 nm next to the substrate, the first three pairs
% tapered (a chirped mirror, as in pulse_compressor). As made: titania
% 2.5 % thick and silica 1.5 % thin (a rate calibration off), titania's
% index up by 0.01 (a denser film), each layer off by a normal draw of
% 0.5 nm more. Measured: R from 550 to 1150 nm with a noise of 0.1 %, and
% GD from 680 to 980 nm (where R is high) with a noise of 1 fs, measured
% up to a constant (a white-light interferometer); points per measurement
% (default 500). seed (default 1) draws the layer errors and the noise;
% parameters (default {'rates', 'index'}) are coatfit's.
%
% out has the fields design (as designed), made (as made), rates and index
% (planted, 2x1 each), layerErrors (planted, 50x1, um), measurements (what
% coatfit was given) and fit (coatfit's output).
function out = fit_measured_mirror(png, seed, parameters, points)
  if nargin < 1, png = 'fit_measured_mirror.png'; end
  if nargin < 2 || isempty(seed), seed = 1; end
  if nargin < 3 || isempty(parameters), parameters = {'rates', 'index'}; end
  if nargin < 4 || isempty(points), points = 500; end
  mats = {'TiO2 film', 'SiO2 film', 'fused silica'};
  pairs = 25;  taper = 3;
  n = real(coating_indices(2 * pi / 0.8, mats));
  centre = linspace(0.66, 1.0, pairs);            % quarter-wave wavelengths, um
  share = 0.5 * ones(1, pairs);                   % titania's share of each pair
  share(1:taper) = (1:taper) / (2 * (taper + 1));
  d = [share .* centre / (2 * n(1)); (1 - share) .* centre / (2 * n(2))];
  design = struct('d', d(:), 'm', repmat([1; 2], pairs, 1), 'materials', {mats});

  % As made.
  rates = [1.025; 0.985];
  index = [0.01; 0];
  draws = seeded_normal(seed, numel(design.d) + 2 * points);
  layerErrors = 5e-4 * draws(1:numel(design.d));
  made = design;
  made.d = rates(design.m) .* design.d + layerErrors;

  % As measured: the made coating's R and GD with noise.
  lR = linspace(0.55, 1.15, points);
  lG = linspace(0.68, 0.98, points);
  sR = 1e-3;  sG = 1;
  R = measure(made, index, lR, 'R');
  G = measure(made, index, lG, 'GD');
  noise = draws(numel(design.d) + 1:end).';
  measurements = struct('quantity', {'R', 'GD'}, 'lambda', {lR, lG}, 'theta', 0, 'pol', 's', ...
                        'value', {R + sR * noise(1:points), G + sG * noise(points + 1:end)}, ...
                        'sigma', {sR, sG}, 'offset', {'fixed', 'free'});

  fit = coatfit(design, measurements, 'parameters', parameters, 'figure', png);

  fprintf('%d layers; %d + %d points; parameters %s; %.2f s, %d iterations\n', numel(design.d), ...
          points, points, strjoin(parameters, ', '), fit.time, fit.iterations);
  fprintf('reduced chi2 %.3f (chi2 %.1f over %.1f degrees of freedom)\n', fit.reducedChi2, fit.chi2, fit.dof);
  if isfield(fit.parameters, 'rates')
    for m = 1:2
      fprintf('rate of %-9s planted %.4f, fitted %.4f +- %.4f\n', mats{m}, rates(m), ...
              fit.parameters.rates(m), fit.errors.rates(m));
    end
  end
  if isfield(fit.parameters, 'index')
    for m = 1:2
      fprintf('index of %-9s planted %+.4f, fitted %+.4f +- %.4f\n', mats{m}, index(m), ...
              fit.parameters.index(m), fit.errors.index(m));
    end
  end
  for i = 1:numel(fit.unresolved)
    fprintf('%s\n', fit.unresolved{i});
  end
  out = struct('design', design, 'made', made, 'rates', rates, 'index', index, ...
               'layerErrors', layerErrors, 'measurements', measurements, 'fit', fit);
end

% A quantity of the design as made, its indices shifted by index.
function v = measure(made, index, lambda, quantity)
  k = 2 * pi ./ lambda;
  [N, Np, Npp] = coating_indices(k, made.materials);
  N(1:2, :) = bsxfun(@plus, N(1:2, :), index);
  o = coatresponse(k, made.d, made.m, 1, N, Np, Npp, 0, 's', quantity);
  v = o.(quantity);
end

% n standard normal draws of their own generator, seeded: the same numbers
% for the same seed, leaving the caller's random state alone.
function x = seeded_normal(seed, n)
  if exist('OCTAVE_VERSION', 'builtin')
    saved = randn('state');
    randn('state', seed);
    x = randn(n, 1);
    randn('state', saved);
  else
    x = randn(RandStream('mt19937ar', 'Seed', seed), n, 1);
  end
end
