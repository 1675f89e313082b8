%COATFIT Reverse engineering: the errors of a manufactured coating from its measured spectra.
%   fit = coatfit(design, measurements)
%   fit = coatfit(design, measurements, options)
%   fit = coatfit(design, measurements, 'name', value, ...)
%
%   Fits a few error parameters of the coating as made (the rate of each
%   material, its index, the error of each layer) to measured R, T, A, GD or
%   GDD spectra by regularised least squares with the exact Jacobian, and
%   says how well the data determine them: standard errors, correlations,
%   and the combinations the data cannot separate.
%
%   Inputs
%     design        the design the coating was made to, a struct: d (Lx1
%                   thicknesses in um, layer 1 next to the ambient), m (Lx1
%                   material numbers 1..M), materials (cell array: the M
%                   layer materials, then the substrate, as coating_indices
%                   takes them), ambient (default 1).
%     measurements  struct array, one element one measured spectrum (or
%                   from CSV files: see coatmeasured), fields:
%       quantity  'R', 'T', 'A', 'GD', 'GDD', 'GDt' or 'GDDt' (any case);
%       lambda    the wavelengths, um (a vector of n);
%       theta     the angle of incidence, RADIANS (a scalar, default 0);
%       pol       's' (or 'TE'), 'p' (or 'TM') or 'avg' (unpolarised light,
%                 the mean of s and p); default 's';
%       value     the measured values, one per wavelength: R, T and A as
%                 fractions (0.998, not 99.8), GD in fs, GDD in fs^2;
%       sigma     the noise of each point (one per wavelength) or of all
%                 (a scalar), in the unit of the quantity; default the
%                 quantity's natural unit (0.001 for R, T and A; 1 fs; 1 fs^2);
%       offset    'fixed' (default) or, for GD and GDt, 'free': measured up
%                 to a constant (a white-light interferometer's GD), fitted
%                 as the noise-weighted mean deviation.
%     options       a struct or name-value pairs (names in any case):
%       parameters    a cell array of any of
%                     'rates'   one thickness factor per layer material
%                               (1: as designed), the error of a rate
%                               calibration or of a tooling factor;
%                     'index'   one real index shift per layer material,
%                               constant over the band;
%                     'layers'  one thickness error per layer (um), the
%                               chamber's random error;
%                     default {'rates', 'index'}.
%       sigmaRates    prior standard deviation of every rate factor (default
%                     0.05: rates are known to 5 %);
%       sigmaIndex    prior standard deviation of every index shift (default
%                     0.05);
%       sigmaLayers   the chamber's random error per layer, um (default
%                     5e-4: 0.5 nm): the prior of the layers' errors. Such
%                     errors are in every coating, so they are fitted
%                     whether or not 'layers' is asked for: asked, they are
%                     reported; not asked, they are nuisance parameters
%                     (fit.nuisance) whose uncertainty enters the errors of
%                     the others, which would otherwise take up their effect
%                     and claim too small an error. 0: no random errors, a
%                     model of rates and index alone (not with 'layers').
%       rateBounds    [lower upper] of every rate factor (default [0.8 1.25]);
%       indexBounds   [lower upper] of every index shift (default [-0.3 0.3]);
%                     every layer keeps a thickness >= 0.
%       fixed         layers made as designed, not fitted (a bottom layer
%                     measured on its own, a metal film): their numbers or
%                     Lx1 logical. No rate or error applies to them.
%       starts        how many starts Levenberg-Marquardt may take (below;
%                     default 3; 1: the graduated start alone): the next
%                     ones only where the fit from the last leaves chi2
%                     above 1.25 times the number of points.
%       maxIterations Levenberg-Marquardt iterations (default 100).
%       figure        a PNG file name: the figure of each measurement with
%                     the design's and the fit's values, and the residuals
%                     in units of the noise (default '': none).
%       display       true: print the fit's iterations and its summary.
%
%   Method. The coating as made has the thicknesses f_m d_j + e_j (f_m the
%   rate factor of layer j's material m, e_j its error; fixed layers d_j)
%   and the indices n_m + dn_m. The fit minimises
%     chi2 + sum over the parameters p of ((p - p_design) / sigma_p)^2,
%   chi2 = sum over the points of ((model - value - offset) / sigma)^2,
%   the prior terms (Tikhonov) keeping each parameter near the design
%   within its prior sigma, so that what the data cannot fix stays where
%   it was made to be. Levenberg-Marquardt works on the parameters in units
%   of their prior sigma, with the exact Jacobian: the thickness
%   derivatives and the derivatives by each material's index (dR ... and
%   dnR ...) from coatresponse, in the same call as the values.
%   A rate error of a few % moves a spectrum's fringes by several of
%   them, beyond the reach of a local method from the design, so the start
%   is graduated: the rates and indices are fitted first to the residuals
%   smoothed over a tenth of each band (which averages the fringes away and
%   keeps the band edges and the trend of GD), then over a fortieth and a
%   160th, each from the last. Where the fit from there leaves chi2 above
%   1.25 per point, further starts come from scans of the rates (smoothed
%   chi2 + prior): for two materials, along the valley of constant total
%   optical thickness (which a spectrum fixes sharply while it tells each
%   material's share of it loosely, as a quarter-wave stack's does), each
%   point with its best common factor across it; then from scans on every
%   point with the layers' errors taken out by a Gauss-Newton step (option
%   starts). The lowest chi2 + prior wins. Convergence to the right
%   minimum is not assured: a stack whose spectra fix little beyond its
%   total optical thickness, made with rates off by more than about 1 %,
%   may end in a false minimum, which a reduced chi2 far above 1 shows.
%   With J the Jacobian of the normalised residuals and P the prior
%   precision, the covariance is (J'J + P)^-1: the standard errors are
%   those of the stated noise (not scaled by the reduced chi2; compare it
%   with 1 to see whether noise and model hold). The degrees of freedom are
%   the points less the free offsets less the effective number of
%   parameters, trace(J'J (J'J + P)^-1), which counts a parameter the prior
%   holds as less than one.
%
%   Output fit, a struct:
%     design       the fitted design: d (as made), m, materials, ambient, and
%                  indexShift (Mx1, 0 where 'index' is not fitted): the
%                  indices as made are those of materials plus indexShift;
%     parameters   struct with the fields asked for: rates (Mx1 factors),
%                  index (Mx1 shifts), layers (Lx1 errors, um, 0 for fixed
%                  layers);
%     errors       their standard errors, the same fields;
%     chi2, reducedChi2, dof, points   chi2 of the data, chi2 / dof, the
%                  degrees of freedom and the number of points;
%     residuals    the normalised residuals (model - value - offset) / sigma
%                  of every point, measurement after measurement;
%     measurements struct array per measurement: quantity, lambda, theta,
%                  pol, value, sigma, offset (the free constant of the fit,
%                  0 when fixed), design (the design's values), fitted (the
%                  fit's values, offset included), residual (normalised);
%     names        Px1 names of every parameter fitted, in the order below;
%     covariance, correlation   PxP, in the parameters' units;
%     singular     the singular values of the Jacobian in units of the
%                  prior sigma (Px1, descending): along a combination
%                  whose singular value is below 1 the data say less than
%                  the prior did;
%     unresolved   a cell array of sentences naming the combinations of
%                  rates and indices the data cannot separate (singular
%                  value below 1, or correlation beyond 0.95);
%     nuisance     where 'layers' is not asked: layers and errors (Lx1, um)
%                  of the random errors fitted beside the rest;
%     iterations, stop ('converged', 'iterations'), time (s).
%
%   Errors (identifiers coatfit:<reason>): notEnoughInputs, badDesign,
%   badMaterials, noSubstrate, thicknessUnits, badMeasurements,
%   badQuantity, badLambda, lambdaUnits, badAngle, badPolarization,
%   badValue, fractionUnits (R, T or A given in percent), badSigma,
%   badOffset, badParameters, badPrior, sigmaUnits, badBounds, badFixed,
%   badOptions, unknownOption.
%
%   Example: the rates of a mirror made 2 % thick in titania and 1 % thin
%   in silica, from its reflectance
%     mats = {'TiO2 film', 'SiO2 film', 'fused silica'};
%     d = repmat([0.087; 0.138], 8, 1);  m = repmat([1; 2], 8, 1);
%     design = struct('d', d, 'm', m, 'materials', {mats});
%     lambda = linspace(0.6, 1.0, 201);
%     k = 2 * pi ./ lambda;  [N, Np, Npp] = coating_indices(k, mats);
%     o = coatresponse(k, d .* repmat([1.02; 0.99], 8, 1), m, 1, N, Np, Npp, 0, 's', 'R');
%     meas = struct('quantity', 'R', 'lambda', lambda, 'value', o.R, 'sigma', 1e-3);
%     fit = coatfit(design, meas, 'parameters', {'rates'}, 'sigmaLayers', 0);
%     rates = fit.parameters.rates;     % [1.02; 0.99] within 1e-3
%
%   See also coatmeasured, coatresponse, coattargets, coatoptimize.
function fit = coatfit(design, measurements, varargin)
  started = tic;
  who = 'coatfit';
  if nargin < 2
    fault(who, 'notEnoughInputs', 'needs a design and measurements (and options).');
  end
  defaults = struct('parameters', {{'rates', 'index'}}, 'sigmaRates', 0.05, 'sigmaIndex', 0.05, ...
                    'sigmaLayers', 5e-4, 'rateBounds', [0.8 1.25], 'indexBounds', [-0.3 0.3], ...
                    'fixed', [], 'starts', 3, 'maxIterations', 100, 'figure', '', 'display', false);
  opt = parse_options(who, defaults, varargin);
  design = check_design(design, who);
  [ev, meas] = check_measurements(measurements, design, who);
  s = model_of(design, opt, who);

  % A common rate scanned first, then rates and indices, then every
  % parameter from there.
  starts = graduated_start(s, ev, meas, opt);
  iterations = 0;
  best = Inf;
  i = 0;
  while i < size(starts, 2)
    i = i + 1;
    [zi, it, stopi, Ji, phi, chi2] = levenberg_marquardt(starts(:, i), s, ev, meas, opt);
    iterations = iterations + it;
    if phi < best
      best = phi;  z = zi;  stop = stopi;  J = Ji;
    end
    if chi2 <= 1.25 * numel(Ji(:, 1)), break; end   % the noise explains it: no other start needed
    if i == 1 && opt.starts > 1
      starts = [starts, scan_rates(s, ev, meas, opt.starts - 1)];
    end
    if i == 2 && sum(s.kind == 1) == 2 && opt.starts > 2
      % nor the grid's: next the valley's, on every point
      s.smooth = 1;  s.marginal = true;
      starts = [starts(:, 1:2), valley(s, ev, meas, 1), starts(:, 3:end)];
    end
  end
  fit = summary(z, J, s, ev, meas);
  fit.iterations = iterations;
  fit.stop = stop;
  fit.time = toc(started);
  if ~isempty(opt.figure)
    draw(fit, opt.figure);
  end
  if opt.display
    fprintf('coatfit: chi2 %.6g, reduced %.4g (%d points, %.4g degrees of freedom), %d iterations\n', ...
            fit.chi2, fit.reducedChi2, fit.points, fit.dof, fit.iterations);
    for i = 1:numel(fit.unresolved)
      fprintf('  %s\n', fit.unresolved{i});
    end
  end
end

% The measurements checked as targets are (their quantity, grid, angle,
% polarisation and offset, with the messages naming measurements), then
% their values and noise.
function [ev, meas] = check_measurements(measurements, design, who)
  if ~isstruct(measurements) || isempty(measurements) || ~isfield(measurements, 'quantity') ...
     || ~isfield(measurements, 'lambda') || ~isfield(measurements, 'value')
    fault(who, 'badMeasurements', ...
          'input 2 (measurements) must be a struct array with at least the fields quantity, lambda and value.');
  end
  quantities = {'R', 'T', 'A', 'GD', 'GDD', 'GDt', 'GDDt'};
  targets = struct('quantity', {}, 'lambda', {}, 'theta', {}, 'pol', {}, 'value', {}, 'offset', {});
  for t = 1:numel(measurements)
    e = measurements(t);
    if ~ischar(e.quantity) || ~any(strcmpi(e.quantity, quantities))
      fault(who, 'badQuantity', 'measurements(%d).quantity must be one of %s (in any case).', ...
            t, strjoin(quantities, ', '));
    end
    targets(t).quantity = e.quantity;
    targets(t).lambda = e.lambda;
    targets(t).value = 0;                 % checked below, with the noise in mind
    for f = {'theta', 'pol', 'offset'}
      if isfield(e, f{1}), targets(t).(f{1}) = e.(f{1}); end
    end
  end
  try
    ev = check_targets(targets, design, who);
  catch err
    text = strrep(strrep(err.message, 'targets(', 'measurements('), 'input 2 (targets)', 'input 2 (measurements)');
    error(err.identifier, '%s', text);
  end
  meas = struct('value', {}, 'sigma', {}, 'weight', {});
  for t = 1:numel(ev)
    n = numel(ev(t).lambda);
    if numel(ev(t).theta) ~= 1
      fault(who, 'badAngle', 'measurements(%d).theta must be one angle in RADIANS.', t);
    end
    v = measurements(t).value;
    if ~isnumeric(v) || ~isreal(v) || numel(v) ~= n || any(~isfinite(v(:)))
      fault(who, 'badValue', 'measurements(%d).value must be %d finite real values, one per wavelength.', t, n);
    end
    v = double(v(:).');
    if any(strcmp(ev(t).quantity, {'R', 'T', 'A'})) && max(abs(v)) > 1.5
      fault(who, 'fractionUnits', ['measurements(%d).value reaches %g, yet %s is a fraction from 0 to 1: ' ...
                                   'it looks like a percentage (%g).'], t, max(abs(v)), ev(t).quantity, max(abs(v)) / 100);
    end
    sigma = [];
    if isfield(measurements, 'sigma'), sigma = measurements(t).sigma; end
    if isempty(sigma), sigma = natural_scale(ev(t).quantity); end
    if ~isnumeric(sigma) || ~isreal(sigma) || ~(isscalar(sigma) || numel(sigma) == n) ...
       || any(~(sigma(:) > 0)) || any(~isfinite(sigma(:)))
      fault(who, 'badSigma', 'measurements(%d).sigma must be the noise, > 0 and finite: a scalar or one per wavelength (%d).', t, n);
    end
    sigma = double(sigma(:).') .* ones(1, n);
    if any(strcmp(ev(t).quantity, {'R', 'T', 'A'})) && max(sigma) >= 0.5
      fault(who, 'fractionUnits', 'measurements(%d).sigma reaches %g, yet %s is a fraction: it looks like a percentage (%g).', ...
            t, max(sigma), ev(t).quantity, max(sigma) / 100);
    end
    meas(t).value = v;
    meas(t).sigma = sigma;
    meas(t).weight = sigma .^ -2 / sum(sigma .^ -2);   % of the free offset's mean
  end
end

% The model: the parameters' kinds (1 rates, 2 index, 3 layers), their
% materials or layers, prior sigma and bounds, and dd/dp, the constant
% derivative of the thicknesses.
function s = model_of(design, opt, who)
  M = numel(design.materials) - 1;
  L = numel(design.d);
  known = {'rates', 'index', 'layers'};
  asked = opt.parameters;
  if ischar(asked), asked = {asked}; end
  if ~iscell(asked) || isempty(asked) || ~all(cellfun(@ischar, asked)) || ~all(ismember(lower(asked), known))
    fault(who, 'badParameters', 'parameters must be a cell array of any of ''rates'', ''index'' and ''layers''.');
  end
  asked = lower(asked);
  for f = {'sigmaRates', 'sigmaIndex', 'sigmaLayers'}
    x = opt.(f{1});
    if ~isnumeric(x) || ~isscalar(x) || ~isreal(x) || ~(x >= 0) || ~isfinite(x)
      fault(who, 'badPrior', '%s must be a prior standard deviation, a finite scalar >= 0.', f{1});
    end
  end
  check_length(who, 'sigma', 'sigmaLayers', opt.sigmaLayers);
  if any(strcmp(asked, 'layers')) && opt.sigmaLayers == 0
    fault(who, 'badPrior', 'sigmaLayers must be > 0 to fit the layers (it is their prior).');
  end
  if (any(strcmp(asked, 'rates')) && opt.sigmaRates == 0) || (any(strcmp(asked, 'index')) && opt.sigmaIndex == 0)
    fault(who, 'badPrior', 'a parameter asked for needs a prior sigma > 0 (sigmaRates, sigmaIndex).');
  end
  bounds = {opt.rateBounds, opt.indexBounds};
  inside = [1, 0];
  names = {'rateBounds', 'indexBounds'};
  for b = 1:2
    x = bounds{b};
    if ~isnumeric(x) || ~isreal(x) || numel(x) ~= 2 || any(isnan(x)) || ~(x(1) <= inside(b) && inside(b) <= x(2))
      fault(who, 'badBounds', '%s must be [lower upper] around %g (as designed).', names{b}, inside(b));
    end
  end
  f = opt.fixed;
  if isempty(f)
    fixed = false(L, 1);
  elseif islogical(f) && numel(f) == L
    fixed = f(:);
  elseif isnumeric(f) && all(f(:) == round(f(:))) && all(f(:) >= 1 & f(:) <= L)
    fixed = false(L, 1);  fixed(f) = true;
  else
    fault(who, 'badFixed', 'fixed must be layer numbers 1..%d or %d logical values.', L, L);
  end
  if ~isnumeric(opt.maxIterations) || ~isscalar(opt.maxIterations) || ~(opt.maxIterations >= 1) ...
     || opt.maxIterations ~= round(opt.maxIterations) || ~ischar(opt.figure)
    fault(who, 'badOptions', 'maxIterations must be a whole number >= 1 and figure a PNG file name.');
  end
  s.design = design;
  s.M = M;  s.L = L;
  s.fixed = fixed;
  s.asked = asked;
  free = find(~fixed);
  kind = [];  which = [];  sigma = [];  lo = [];  hi = [];
  if any(strcmp(asked, 'rates'))
    kind = [kind; ones(M, 1)];  which = [which; (1:M)'];  sigma = [sigma; opt.sigmaRates * ones(M, 1)];
    lo = [lo; opt.rateBounds(1) * ones(M, 1) - 1];  hi = [hi; opt.rateBounds(2) * ones(M, 1) - 1];
  end
  if any(strcmp(asked, 'index'))
    kind = [kind; 2 * ones(M, 1)];  which = [which; (1:M)'];  sigma = [sigma; opt.sigmaIndex * ones(M, 1)];
    lo = [lo; opt.indexBounds(1) * ones(M, 1)];  hi = [hi; opt.indexBounds(2) * ones(M, 1)];
  end
  if opt.sigmaLayers > 0 && ~isempty(free)
    n = numel(free);
    kind = [kind; 3 * ones(n, 1)];  which = [which; free];  sigma = [sigma; opt.sigmaLayers * ones(n, 1)];
    lo = [lo; -Inf(n, 1)];  hi = [hi; Inf(n, 1)];
  end
  s.kind = kind;  s.which = which;  s.sigma = sigma;
  s.lo = lo ./ sigma;  s.hi = hi ./ sigma;        % in units of the prior sigma
  s.P = numel(kind);
  % dd/dp: a rate moves every free layer of its material by its thickness,
  % a layer's error that layer alone.
  T = zeros(L, s.P);
  for i = 1:s.P
    if kind(i) == 1
      T(:, i) = design.d .* (design.m == which(i) & ~fixed);
    elseif kind(i) == 3
      T(which(i), i) = 1;
    end
  end
  s.T = T;
end

% The parameters p (in their units, the deviations from the design: rate
% factor - 1, index shift, layer error) from z, in units of the prior sigma.
function [d, shift, rate] = made_of(z, s)
  p = s.sigma .* z;
  rate = ones(s.M, 1);  shift = zeros(s.M, 1);  err = zeros(s.L, 1);
  rate(s.which(s.kind == 1)) = 1 + p(s.kind == 1);
  shift(s.which(s.kind == 2)) = p(s.kind == 2);
  err(s.which(s.kind == 3)) = p(s.kind == 3);
  d = s.design.d;
  free = ~s.fixed;
  d(free) = rate(s.design.m(free)) .* d(free) + err(free);
end

% The normalised residuals of every measurement at z and, with jacobian
% true, their Jacobian in units of the prior sigma (points x P); q the
% model's values, c the free offsets.
function [r, J, q, c] = residuals(z, s, ev, meas, jacobian, thicknessOnly)
  [d, shift] = made_of(z, s);
  design = s.design;
  design.d = max(d, 0);
  for t = 1:numel(ev)
    ev(t).N(1:s.M, :) = ev(t).N(1:s.M, :) + shift * ones(1, numel(ev(t).k));
  end
  index = jacobian && any(s.kind == 2) && nargin < 6;
  [Q, D, Dn] = target_responses(design, ev, jacobian, index);
  r = cell(numel(ev), 1);  J = cell(numel(ev), 1);
  q = cell(numel(ev), 1);  c = zeros(numel(ev), 1);
  for t = 1:numel(ev)
    dev = Q{t} - meas(t).value;
    if strcmp(ev(t).offset, 'free')
      c(t) = dev * meas(t).weight.';
    end
    q{t} = Q{t};
    r{t} = ((dev - c(t)) ./ meas(t).sigma).';
    if jacobian
      G = D{t}(:, :, 1).' * s.T;                  % points x P
      if index
        G(:, s.kind == 2) = Dn{t}(s.which(s.kind == 2), :, 1).';
      end
      if strcmp(ev(t).offset, 'free')
        G = bsxfun(@minus, G, meas(t).weight * G);
      end
      J{t} = bsxfun(@times, G, 1 ./ meas(t).sigma.') * diag(s.sigma);
    end
  end
  r = vertcat(r{:});
  J = vertcat(J{:});
end

% The start: a spectrum's fringes and band edges move with every layer's
% optical thickness, so that from the design a rate error of a few % lies
% several fringes away, beyond the reach of any local method. So the rates
% are scanned first, by chi2 + prior with the values alone, each scan over
% the prior's +-3 sigma (within the bounds) in steps of 0.5 %, then of
% 0.1 % about the best: their common factor, which finds the total optical
% thickness the band edges fix; then, for each material, its rate against
% the others' in the proportion that keeps that total (a quarter-wave
% stack's spectrum hardly tells its high layers' share of it from its low
% layers', and holds false minima along that valley). The best is the
% start.
function Z = scan_rates(s, ev, meas, starts)
  Z = zeros(s.P, 1);
  rates = find(s.kind == 1);
  if isempty(rates), return; end
  % The scans judge the residuals smoothed over a twentieth of each
  % measurement's band (a Gaussian of that width): a fringe off by a
  % fraction of its spacing then costs a fraction of its misfit, not all
  % of it, so the basin of the right rates is as wide as the fringes. What
  % survives that smoothing is seen as well on at most 160 points per
  % measurement, which the scans take.
  blocks = cell(1, numel(meas));
  for t = 1:numel(meas)
    n = numel(meas(t).value);
    keep = unique(round(linspace(1, n, min(n, 160))));
    ev(t).lambda = ev(t).lambda(keep);  ev(t).k = ev(t).k(keep);
    ev(t).N = ev(t).N(:, keep);  ev(t).Np = ev(t).Np(:, keep);  ev(t).Npp = ev(t).Npp(:, keep);
    meas(t).value = meas(t).value(keep);  meas(t).sigma = meas(t).sigma(keep);
    meas(t).weight = meas(t).sigma .^ -2 / sum(meas(t).sigma .^ -2);
    n = numel(keep);
    K = exp(-0.5 * (bsxfun(@minus, (1:n)', 1:n) / max(n / 40, 1)) .^ 2);
    blocks{t} = bsxfun(@rdivide, K, sum(K, 2)) * sqrt(numel(meas(t).sigma) / n);
  end
  s.smooth = blkdiag(blocks{:});
  s.marginal = false;
  if numel(rates) == 2
    Z = grid_rates(rates, s, ev, meas, starts);
  else
    Z = valley(s, ev, meas, starts);
  end
end

% The start from scans along lines: the rates' common factor, which finds
% the total optical thickness the band edges fix; then each material's rate
% against the others' in the proportion that keeps that total (a
% quarter-wave stack's spectrum hardly tells its high layers' share of it
% from its low layers', and holds false minima along that valley), each
% point with the common factor and the layers' errors taken out to first
% order (marginal_cost).
function Z = valley(s, ev, meas, starts)
  rates = find(s.kind == 1);
  Z = scan(zeros(s.P, 1), rates, ones(numel(rates), 1), s, ev, meas, 1, []);
  across = zeros(s.P, 1);
  across(rates) = 0.001 ./ s.sigma(rates);   % 0.1 % on every rate
  thickness = zeros(numel(rates), 1);       % optical thickness of each material's free layers
  n = real(ev(1).N(1:s.M, ceil(end / 2)));
  for i = 1:numel(rates)
    m = s.which(rates(i));
    thickness(i) = n(m) * sum(s.design.d(s.design.m == m & ~s.fixed));
  end
  count = (numel(rates) - (numel(rates) == 2)) * (numel(rates) > 1 && all(thickness > 0));
  for i = 1:count
    u = -thickness(i) / (sum(thickness) - thickness(i)) * ones(numel(rates), 1);
    u(i) = 1;
    Z = scan(Z(:, 1), rates, u, s, ev, meas, 1 + (starts - 1) * (i == count), across);
  end
end

% Two materials: the rates on a grid across and along their valley. The
% spectrum fixes the total optical thickness sharply (a valley a fraction
% of a % wide, across which any grid of both rates would step) and the
% share of each material loosely, so each point along the valley (steps of
% 1 % of the first rate, the second moving against it at constant total)
% takes its best common factor across it (steps of 1 %, then 0.25 % about
% the best); about the best `starts` local minima along the valley, steps
% of 0.25 % then find each start's own best. Z holds them, best first.
function Z = grid_rates(rates, s, ev, meas, starts)
  sigma = s.sigma(rates);
  n = real(ev(1).N(1:s.M, ceil(end / 2)));
  share = zeros(2, 1);
  for i = 1:2
    m = s.which(rates(i));
    share(i) = n(m) * sum(s.design.d(s.design.m == m & ~s.fixed));
  end
  u = [1; -share(1) / share(2)];             % along the valley
  span = min(3 * sigma(1), 0.06);
  along = -span:0.01:span;
  [z, cost] = across_valley(along, u, rates, s, ev, meas);
  low = find(cost <= [Inf, cost(1:end - 1)] & cost <= [cost(2:end), Inf] & isfinite(cost));
  [~, o] = sort(cost(low));
  low = low(o(1:min(starts, numel(o))));
  Z = zeros(s.P, numel(low));  value = zeros(1, numel(low));
  for i = 1:numel(low)
    [zf, cf] = across_valley(along(low(i)) + (-3:3) * 0.0025, u, rates, s, ev, meas);
    [value(i), j] = min(cf);
    Z(:, i) = zf(:, j);
  end
  [~, o] = sort(value);
  Z = Z(:, o);
end

% For each step t along the valley (rates t u), the best common factor c
% added to both rates (c from -6 % to 6 % by 1 %, then by 0.25 % about the
% best) by the smoothed chi2 + prior; z and cost at each t.
function [Z, cost] = across_valley(along, u, rates, s, ev, meas)
  sigma = s.sigma(rates);
  Z = zeros(s.P, numel(along));
  cost = Inf(1, numel(along));
  for i = 1:numel(along)
    best = 0;
    for c = {-0.06:0.01:0.06, (-4:4) * 0.0025}
      grid = best + c{1};
      values = Inf(size(grid));
      for j = 1:numel(grid)
        z = zeros(s.P, 1);
        z(rates) = (along(i) * u + grid(j)) ./ sigma;
        if all(z(rates) >= s.lo(rates) & z(rates) <= s.hi(rates))
          values(j) = marginal_cost(z, s, ev, meas, []);
        end
      end
      [v, j] = min(values);
      best = grid(j);
    end
    Z(rates, i) = (along(i) * u + best) ./ sigma;
    cost(i) = v;
  end
end

% chi2 + prior at z, with what else may move taken out to first order by
% one Gauss-Newton step: the layers' errors (where the model has them), so
% that their random errors, which no rate can mimic, do not hide where the
% rates are right; and the direction across (Px1 in prior units, or []),
% the common rate beside a scan along the valley, which is so narrow that
% a grid of steps along it would fall off it between its points.
function cost = marginal_cost(z, s, ev, meas, across)
  layers = s.kind == 3 & s.marginal;
  if ~any(layers) && isempty(across)
    r = s.smooth * residuals(z, s, ev, meas, false);
    cost = r' * r + z' * z;
    return;
  end
  [r, J] = residuals(z, s, ev, meas, true, true);
  r = s.smooth * r;
  J = s.smooth * J;
  E = eye(s.P);
  E = [across, E(:, layers)];               % what a step moves, in prior units
  B = J * E;
  g = B' * r + E' * z;
  cost = r' * r + z' * z - g' * ((B' * B + E' * E) \ g);
end

% Z(:, 1): z with the parameters `along` moved by t * u (in the parameters'
% units) to the best t of a coarse, then a fine grid; Z(:, 2:end), up to
% starts - 1 more: the next best local minima of the coarse grid.
function Z = scan(z, along, u, s, ev, meas, starts, across)
  sigma = s.sigma(along);
  x0 = z(along);
  a = (s.lo(along) - x0) .* sigma ./ u;
  b = (s.hi(along) - x0) .* sigma ./ u;
  lo = max([min(a, b); -3 * sigma(1)]);
  hi = min([max(a, b); 3 * sigma(1)]);
  coarse = unique([fliplr(0:-0.005:lo), 0:0.005:hi]);
  cost = arrayfun(@(t) marginal_cost(place(z, along, x0 + t * u ./ sigma), s, ev, meas, across), coarse);
  minima = find(cost <= [Inf, cost(1:end - 1)] & cost <= [cost(2:end), Inf]);
  [~, o] = sort(cost(minima));
  minima = coarse(minima(o(1:min(starts, numel(o)))));
  fine = minima(1) + (-4:4) * 0.001;
  fine = fine(fine >= lo & fine <= hi);
  cost = arrayfun(@(t) marginal_cost(place(z, along, x0 + t * u ./ sigma), s, ev, meas, across), fine);
  [~, i] = min(cost);
  minima(1) = fine(i);
  Z = zeros(s.P, numel(minima));
  for i = 1:numel(minima)
    Z(:, i) = place(z, along, x0 + minima(i) * u ./ sigma);
  end
end

function z = place(z, along, x)
  z(along) = x;
end

% Levenberg-Marquardt on chi2 + |z|^2, z in units of the prior sigma and
% kept within the bounds. The problem is small and its residuals at the
% optimum are the noise, so J'J + I is the model Hessian; the damping
% scales with its diagonal, grows fourfold on a rejected step and falls
% threefold on an accepted one.
function [z, it, stop, J, phi, chi2] = levenberg_marquardt(z, s, ev, meas, opt, active, S)
  if nargin < 6, active = true(s.P, 1); end
  if nargin < 7, S = 1; end
  [r, J] = residuals(z, s, ev, meas, true);
  r = S * r;  J = S * J(:, active);
  phi = r' * r + z' * z;
  mu = 1e-3;
  hopeful = true;
  stop = 'iterations';
  for it = 1:opt.maxIterations
    A = J' * J + eye(sum(active));          % J: the active columns alone
    g = J' * r + z(active);
    accepted = false;
    while mu < 1e12
      trial = z;
      trial(active) = min(max(z(active) - (A + mu * diag(diag(A))) \ g, s.lo(active)), s.hi(active));
      h = trial(active) - z(active);
      predicted = -(2 * g' * h + h' * A * h);
      % A trial after an accepted step is usually accepted too: it takes
      % the Jacobian at once; after a rejection the values alone.
      if hopeful
        [r1, J1] = residuals(trial, s, ev, meas, true);
      else
        r1 = residuals(trial, s, ev, meas, false);
      end
      r1 = S * r1;
      phi1 = r1' * r1 + trial' * trial;
      if phi1 < phi && predicted > 0
        accepted = true;
        mu = max(mu / 3, 1e-9);
        break;
      end
      hopeful = false;
      mu = mu * 4;
    end
    if ~accepted
      stop = 'converged';          % no step lowers it: at the minimum to rounding
      break;
    end
    gain = phi - phi1;
    moved = max(abs(h));
    if ~hopeful
      [r1, J1] = residuals(trial, s, ev, meas, true);
      r1 = S * r1;
    end
    hopeful = true;
    r = r1;  J = S * J1(:, active);
    z = trial;  phi = phi1;
    if opt.display
      fprintf('coatfit: iteration %3d  chi2 + prior %.8g\n', it, phi);
    end
    if gain <= 1e-9 * phi || moved < 1e-7
      stop = 'converged';
      break;
    end
  end
  chi2 = r' * r;
end

% The graduated start: a rate or index error of a few % moves a spectrum's
% fringes by several of them, beyond the reach of a local method from the
% design, yet the broad features (band edges, the trend of GD) move by a
% fraction of their width. So the rates and indices are fitted first to the
% residuals smoothed over a tenth of each measurement's band (a Gaussian of
% that width), where every fringe is averaged away, then over a fortieth,
% then a hundred-and-sixtieth, each fit starting from the last: the basin
% narrows as the start comes nearer.
function z = graduated_start(s, ev, meas, opt)
  z = zeros(s.P, 1);
  few = s.kind < 3;
  if ~any(few), return; end
  for part = [10, 40, 160]
    blocks = cell(1, numel(meas));
    for t = 1:numel(meas)
      n = numel(meas(t).value);
      K = exp(-0.5 * (bsxfun(@minus, (1:n)', 1:n) / max(n / part, 1)) .^ 2);
      blocks{t} = bsxfun(@rdivide, K, sum(K, 2));
    end
    z = levenberg_marquardt(z, s, ev, meas, opt, few, blkdiag(blocks{:}));
  end
end

% The fit's record from its optimum: parameters, errors from the
% covariance (J'J + I)^-1 in prior units, chi2 and its degrees of freedom,
% and what the data leave undetermined.
function fit = summary(z, J, s, ev, meas)
  [d, shift, rate] = made_of(z, s);
  design = s.design;
  design.d = max(d, 0);
  design.indexShift = shift;
  fit.design = design;
  A = J' * J + eye(s.P);
  Cz = inv(A);
  C = Cz .* (s.sigma * s.sigma');
  e = sqrt(diag(C));
  mats = design.materials;
  names = cell(s.P, 1);
  for i = 1:s.P
    switch s.kind(i)
      case 1
        names{i} = sprintf('rate of %s', material_name(mats{s.which(i)}));
      case 2
        names{i} = sprintf('index of %s', material_name(mats{s.which(i)}));
      otherwise
        names{i} = sprintf('layer %d', s.which(i));
    end
  end
  fit.parameters = struct();
  fit.errors = struct();
  err = zeros(s.L, 1);  errE = zeros(s.L, 1);
  err(s.which(s.kind == 3)) = s.sigma(s.kind == 3) .* z(s.kind == 3);
  errE(s.which(s.kind == 3)) = e(s.kind == 3);
  fields = {'rates', 'index', 'layers'};
  values = {rate, shift, err};
  for k = 1:3
    if any(strcmp(s.asked, fields{k}))
      se = zeros(numel(values{k}), 1);
      if k < 3
        se(s.which(s.kind == k)) = e(s.kind == k);
      else
        se = errE;
      end
      fit.parameters.(fields{k}) = values{k};
      fit.errors.(fields{k}) = se;
    end
  end
  % chi2 and the degrees of freedom: the points, less the free offsets,
  % less the parameters as far as the data rather than the prior fix them.
  [r0, ~, q0, c0] = residuals(zeros(s.P, 1), s, ev, meas, false);
  [r, ~, q, c] = residuals(z, s, ev, meas, false);
  fit.chi2 = r' * r;
  fit.points = numel(r);
  free = sum(strcmp({ev.offset}, 'free'));
  fit.dof = fit.points - free - trace(J' * J * Cz);
  fit.reducedChi2 = fit.chi2 / fit.dof;
  fit.residuals = r;
  first = 0;
  for t = 1:numel(ev)
    n = numel(ev(t).lambda);
    m(t).quantity = ev(t).quantity;
    m(t).lambda = ev(t).lambda;
    m(t).theta = ev(t).theta;
    m(t).pol = ev(t).pol;
    m(t).value = meas(t).value;
    m(t).sigma = meas(t).sigma;
    m(t).offset = c(t);
    m(t).design = q0{t} - c0(t);
    m(t).fitted = q{t} - c(t);
    m(t).residual = r(first + (1:n)).';
    first = first + n;
  end
  fit.measurements = m;
  fit.names = names;
  fit.covariance = C;
  fit.correlation = C ./ (e * e');
  sv = svd(J);
  fit.singular = [sv; zeros(s.P - numel(sv), 1)];
  fit.unresolved = unresolved(J, fit.correlation, s, names);
  if ~any(strcmp(s.asked, 'layers')) && any(s.kind == 3)
    fit.nuisance = struct('layers', err, 'errors', errE);
  end
end

% Sentences naming the combinations of rates and indices the data leave to
% the prior (singular value of the Jacobian, in prior units, below 1) and
% the pairs they cannot tell apart (correlation beyond 0.95).
function text = unresolved(J, R, s, names)
  text = {};
  few = find(s.kind < 3);
  if isempty(few), return; end
  [~, S, V] = svd(J, 0);
  sv = diag(S);
  sv(end + 1:s.P) = 0;
  V(:, end + 1:s.P) = 0;
  for i = find(sv(:).' < 1)
    v = V(:, i);
    if sum(v(few) .^ 2) < 0.5, continue; end     % a combination of layers' errors
    [~, o] = sort(abs(v), 'descend');
    o = o(abs(v(o)) >= 0.2);
    parts = cell(1, numel(o));
    for j = 1:numel(o)
      parts{j} = sprintf('%+.2f %s', v(o(j)), names{o(j)});
    end
    text{end + 1} = sprintf('the data do not fix %s (in units of the prior sigma; singular value %.2g)', ...
                            strjoin(parts, ' '), sv(i));
  end
  for a = 1:numel(few)
    for b = a + 1:numel(few)
      if abs(R(few(a), few(b))) > 0.95
        text{end + 1} = sprintf('the data hardly tell %s from %s (correlation %.3f)', ...
                                names{few(a)}, names{few(b)}, R(few(a), few(b)));
      end
    end
  end
end

% The figure: each measurement with the design's and the fit's values
% (wide, left), and the residuals of the fit in units of the noise (right).
function draw(fit, file)
  m = fit.measurements;
  n = numel(m);
  units = struct('R', '', 'T', '', 'A', '', 'GD', ' (fs)', 'GDD', ' (fs^2)', 'GDt', ' (fs)', 'GDDt', ' (fs^2)');
  grey = [0.6 0.6 0.6];  blue = [0 0.35 0.75];  red = [0.8 0.25 0.1];
  h = coat_print_png();
  set(h, 'defaultaxesfontsize', 8, 'defaulttextfontsize', 8);
  height = 0.86 / n;
  for t = 1:n
    l = 1000 * m(t).lambda;
    bottom = 0.07 + (n - t) * height;
    axes('position', [0.12 bottom + 0.07 0.5 height - 0.14], 'fontsize', 8);
    plot(l, m(t).value, '.', 'color', grey, 'markersize', 3);
    hold on;
    plot(l, m(t).design, '--', 'color', blue, 'linewidth', 1);
    plot(l, m(t).fitted, '-', 'color', red, 'linewidth', 1.2);
    hold off;
    grid on;
    xlim([min(l), max(l)]);
    if any(strcmp(m(t).quantity, {'R', 'T', 'A'}))
      ylim([0 1.05]);
    end
    ylabel([m(t).quantity units.(m(t).quantity)]);
    xlabel('wavelength (nm)');
    if t == 1
      legend({'measured', 'design', 'fit'}, 'location', 'south');
      title(sprintf('reduced chi^2 %.3f, %d points', fit.reducedChi2, fit.points), 'fontweight', 'normal');
    end
    axes('position', [0.76 bottom + 0.07 0.21 height - 0.14], 'fontsize', 8);
    plot(l, m(t).residual, '.', 'color', red, 'markersize', 3);
    grid on;
    xlim([min(l), max(l)]);
    ylim([-5 5]);
    xlabel('wavelength (nm)');
    ylabel('residual / sigma');
    ticks = get(gca, 'xtick');
    set(gca, 'xtick', ticks(1:2:end));
  end
  coat_print_png(h, file, 1000, 100 + 320 * n);
end

%!shared design, mats, lambda, made, k, N, Np, Npp
%! mats = {'TiO2 film', 'SiO2 film', 'fused silica'};
%! centre = linspace(0.68, 0.92, 8);               % a chirped stack: its quarter waves ramp
%! design = struct('d', [reshape([centre / (4 * 2.27); centre / (4 * 1.46)], [], 1); 0.2], ...
%!                 'm', [repmat([1; 2], 8, 1); 1], 'materials', {mats});
%! lambda = linspace(0.55, 1.1, 240);
%! k = 2 * pi ./ lambda;  [N, Np, Npp] = coating_indices(k, mats);
%! made = @(d, shift, q, pol, theta) getfield(coatresponse(k, d, design.m, 1, N + [shift; 0] * ones(1, numel(k)), ...
%!                                     Np, Npp, theta, pol, q), q);
%!test  # noise-free spectra, R at 45 deg unpolarised and GD up to a constant: rates and shifts come back; then one layer's error alone, the fixed top layer staying
%! d = design.d .* [repmat([1.01; 0.995], 8, 1); 1];
%! shift = [0.005; -0.003];
%! R = (made(d, shift, 'R', 's', pi / 4) + made(d, shift, 'R', 'p', pi / 4)) / 2;
%! G = made(d, shift, 'GD', 's', 0) + 17;
%! band = lambda > 0.7 & lambda < 0.9;            % GD where the stack reflects
%! meas = struct('quantity', {'R', 'gd'}, 'lambda', {lambda, lambda(band)}, 'theta', {pi / 4, 0}, ...
%!               'pol', {'avg', 'TE'}, 'value', {R, G(band)}, 'sigma', {1e-3 * (1 + lambda), 1}, ...
%!               'offset', {'fixed', 'free'});
%! f = coatfit(design, meas, 'sigmaLayers', 0, 'fixed', 17);
%! assert(f.parameters.rates, [1.01; 0.995], 2e-5);
%! assert(f.parameters.index, shift, 1e-4);
%! assert(f.design.d, d, 3e-6);  assert(f.design.indexShift, f.parameters.index);
%! assert(f.measurements(2).offset, -17, 0.01);
%! assert(f.chi2 < 1e-2 && ~isfield(f.parameters, 'layers'));
%! d = design.d;  d(5) = d(5) + 0.003;
%! meas(1).value = (made(d, [0; 0], 'R', 's', pi / 4) + made(d, [0; 0], 'R', 'p', pi / 4)) / 2;
%! G = made(d, [0; 0], 'GD', 's', 0);
%! meas(2).value = G(band);
%! f = coatfit(design, meas, 'parameters', {'layers'}, 'sigmaLayers', 0.002, 'fixed', 17);
%! [~, worst] = max(abs(f.parameters.layers));   % the prior spreads a little of it over the others
%! assert(worst, 5);  assert(f.parameters.layers(5), 0.003, 1e-3);  assert(f.reducedChi2 < 1e-3);
%! assert(f.design.d(17), 0.2);  assert(f.errors.layers(17), 0);  assert(all(f.errors.layers(1:16) > 0));
%!test  # with noise: chi2 per degree of freedom near 1, the planted values within 3 standard errors, and these errors those of the covariance's diagonal
%! d = design.d .* [repmat([0.995; 1.008], 8, 1); 1] + 5e-4 * [0.3 -1.1 0.7 0.2 -0.4 1.6 -0.9 0.1 0.5 -0.2 1.2 -0.8 0.4 -1.3 0.6 0.9 -0.5]';
%! randn('state', 3);
%! G = made(d, [0.01; 0], 'GD', 's', 0) + randn(1, 240);
%! band = lambda > 0.7 & lambda < 0.9;
%! meas = struct('quantity', {'R', 'GD'}, 'lambda', {lambda, lambda(band)}, 'value', ...
%!               {made(d, [0.01; 0], 'R', 's', 0) + 1e-3 * randn(1, 240), G(band)}, ...
%!               'sigma', {1e-3, 1}, 'offset', {'fixed', 'free'});
%! f = coatfit(design, meas);
%! assert(abs(f.reducedChi2 - 1) < 0.2);
%! assert(abs(f.parameters.rates - [0.995; 1.008]) < 3 * f.errors.rates);
%! assert(abs(f.parameters.index - [0.01; 0]) < 3 * f.errors.index);
%! assert(f.errors.rates, sqrt(diag(f.covariance(1:2, 1:2))), 1e-12);
%! assert(f.points, 240 + sum(band));  assert(numel(f.residuals), f.points);  assert(numel(f.nuisance.layers), 17);
%! assert(f.singular, sort(f.singular, 'descend'));
%!test  # a material in no layer: its rate and index stay at the design with the prior's error, and are named as not fixed by the data
%! three = design;  three.materials = {'TiO2 film', 'SiO2 film', 'Ta2O5 film', 'fused silica'};
%! meas = struct('quantity', 'R', 'lambda', lambda, 'value', made(design.d, [0; 0], 'R', 's', 0), 'sigma', 1e-3);
%! f = coatfit(three, meas, 'sigmaLayers', 0);
%! assert([f.parameters.rates(3), f.parameters.index(3)], [1, 0], 1e-12);
%! assert([f.errors.rates(3), f.errors.index(3)], [0.05, 0.05], 1e-12);
%! assert(any(cellfun(@(s) ~isempty(strfind(s, 'rate of Ta2O5 film')), f.unresolved)));
%! assert(any(cellfun(@(s) ~isempty(strfind(s, 'index of Ta2O5 film')), f.unresolved)));
%!error id=coatfit:badMeasurements coatfit(struct('d', 0.1, 'm', 1, 'materials', {{'SiO2', 'SiO2'}}), struct('quantity', 'R'))
%!error <measurements\(1\).quantity> coatfit(struct('d', 0.1, 'm', 1, 'materials', {{'SiO2', 'SiO2'}}), struct('quantity', 'TOD', 'lambda', 0.8, 'value', 1))
%!error <measurements\(2\).lambda = 800> coatfit(struct('d', 0.1, 'm', 1, 'materials', {{'SiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', {0.8, 800}, 'value', 0.5))
%!error id=coatfit:fractionUnits coatfit(struct('d', 0.1, 'm', 1, 'materials', {{'SiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', [0.8 0.9], 'value', [99 98]))
%!error id=coatfit:badSigma coatfit(struct('d', 0.1, 'm', 1, 'materials', {{'SiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', [0.8 0.9], 'value', [0.9 0.8], 'sigma', [1 2 3]))
%!error id=coatfit:badParameters coatfit(struct('d', 0.1, 'm', 1, 'materials', {{'SiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 0.1), 'parameters', {'thickness'})
%!error id=coatfit:sigmaUnits coatfit(struct('d', 0.1, 'm', 1, 'materials', {{'SiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 0.1), 'sigmaLayers', 0.5)
