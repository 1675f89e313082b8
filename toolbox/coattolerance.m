%COATTOLERANCE A coating's yield under production errors: each target's spread, the sensitive layers, the yield against the errors' size.
%   report = coattolerance(design, targets, model)
%   report = coattolerance(design, targets, model, 'name', value, ...)
%   coattolerance(...)      without an output: prints a one-screen summary
%
%   Inputs
%     design   a struct as coatoptimize returns it: d (Lx1 um), m, materials,
%              ambient (see help coattargets); a plate's back coating
%              (coatplate) is taken as made exactly: the errors are the
%              front coating's.
%     targets  the targets, a struct array as coattargets takes it.
%     model    the production errors: a number, the random thickness error
%              sigma below (um, a scalar or one per layer, as before), or a
%              struct of the error model, every field optional, names in
%              any case (coatoptimize's and coatdesign's option robust takes
%              the same struct):
%       sigma     random thickness error of each layer, independent from
%                 layer to layer: its standard deviation in um, a scalar or
%                 one per layer (0.0002: 0.2 nm);
%       relative  random thickness error as a fraction of each thickness
%                 (0.01: 1 %), a scalar or one per layer; with sigma, the
%                 two add as independent normal errors;
%       rate      systematic error: the standard deviation of each
%                 material's deposition-rate factor, a fraction, a scalar or
%                 one per material; one draw a run scales every layer of
%                 that material alike;
%       index     the standard deviation of each material's refractive
%                 index, added to its real part at every wavelength (a film
%                 denser or more porous than the catalogue's), a scalar or
%                 one per material;
%       samples, seed, method  for the optimisers' expected merit, not
%                 used here (see the options samples and seed): samples
%                 draws (default 32) from seed (default 1), or method
%                 'linear' (the expected merit of the linearised quantities,
%                 in closed form; default 'samples'; see help coatoptimize).
%              A made thickness that would be negative is 0.
%   Options (name-value)
%     samples    Monte-Carlo samples (default 1000; 0: linearised only).
%     relative   true: a numeric model is a relative error (the field
%                relative), not sigma (default false).
%     quantiles  the probabilities of the quantiles (default [0.05 0.5 0.95]).
%     seed       the seed of the first chunk of draws (default 1).
%     curve      samples of the yield curve at each factor, the first of
%                the Monte-Carlo's (default a tenth of samples; 0: no
%                curve). Each factor but 1 costs that many samples more.
%     factors    where the curve is drawn: factors on every error of the
%                model (default 2.^(-2:0.5:2), a quarter to four times).
%
%   Method: the linearised spread of each quantity at each point is the
%   square root of its variance to first order, from coatresponse's exact
%   thickness gradients: sum_j (dX/dd_j s_j)^2 for the random errors (s_j
%   the layer's standard deviation), (rate_mu sum_{j in mu} dX/dd_j d_j)^2
%   for each material's rate, and (index_mu dX/dn_mu)^2 for its index (by
%   a central difference of 1e-4 in n). The Monte-Carlo samples the model
%   in chunks of 50, chunk c seeded with seed + c - 1 in a generator of its
%   own, so the numbers do not depend on where a chunk runs: the chunks go
%   through parfor in MATLAB (a parallel pool spreads them over its
%   workers), and in Octave through the parallel package's parcellfun where
%   that package is installed (Debian: octave-parallel; it is loaded if need
%   be), else (or with the environment variable COAT_PARALLEL=0) a plain
%   loop. The caller's random state is left as it was. Unless COAT_THREADS
%   is set, each sample's call of coatresponse runs on one thread (the
%   samples are what runs in parallel). The yield curve takes the first
%   curve samples with every error scaled by each factor (the same normal
%   draws: common random numbers, so the curve is smooth in the factor).
%
%   Output: report with
%     yield      the fraction of samples meeting every target (judged as
%                coattargets judges the design: within each tolerance, on
%                the side its type names);
%     interval   its 95 % confidence interval (Wilson's score interval);
%     targets    struct array per target: quantity, lambda (1xn, um),
%                theta, pol, nominal (a x n, a angles), linear (a x n, the
%                linearised standard deviation), std and mean (a x n, of
%                the samples), quantiles (numel(p) x n x a), p (the
%                probabilities), yield (the fraction of samples meeting
%                this target everywhere, whatever the others do);
%     sigma      Lx1, each layer's random standard deviation, um (sigma
%                and relative together);
%     sensitive  the numbers of the five layers whose own errors spread the
%                targets most (most sensitive first);
%     layers     struct array per layer: sigma (its random standard
%                deviation, um), share (the part of the linearised variance
%                its own errors cause, random and rate, summed over every
%                target's points in units of their scales; the shares sum
%                to 1);
%     scale50    the factor on the model at which the yield falls to 50 %
%                (interpolated on the curve; NaN where the curve does not
%                cross 50 %), and sigma50 = scale50 * the model's sigma (um);
%     curve      struct: factor, yield (at each factor), samples;
%     model      the error model as completed;
%     samples, seed, time (s).
%
%   Errors (identifiers coattolerance:<reason>): notEnoughInputs, badSigma
%   (the model: a value out of range or of the wrong size), sigmaUnits (an
%   absolute sigma of 50 nm or more: given in nm; a relative one of 0.5 or
%   more: given in percent), badOptions, unknownOption (an option or a
%   field of the model), and those of coattargets for the design and
%   the targets (badDesign, badQuantity, ...).
%
%   Example: 1 nm errors on a 10-pair quarter-wave mirror, R >= 99.5 %
%     design = struct('d', repmat([0.0845; 0.1376], 10, 1), 'm', repmat([1; 2], 10, 1), ...
%                     'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%     t = struct('quantity', 'R', 'lambda', linspace(0.75, 0.85, 21), 'value', 0.995, 'type', '>=');
%     report = coattolerance(design, t, 0.001, 'samples', 200);
%     yield = report.yield;  spread = report.targets(1).std;
%     coattolerance(design, t, struct('sigma', 0.001, 'rate', 0.005), 'samples', 200)
%
%   See also coatoptimize, coatdesign, coattargets, coatplot.
function report = coattolerance(design, targets, model, varargin)
  started = tic;
  who = 'coattolerance';
  if nargin < 3
    fault(who, 'notEnoughInputs', 'needs a design, targets and an error model (or sigma, um).');
  end
  opt = parse_options(who, struct('samples', 1000, 'relative', false, 'quantiles', [0.05 0.5 0.95], ...
                                  'seed', 1, 'curve', [], 'factors', 2 .^ (-2:0.5:2)), varargin);
  if isempty(opt.curve) && isnumeric(opt.samples) && isscalar(opt.samples)
    opt.curve = ceil(opt.samples / 10);
  end
  whole = @(x) isnumeric(x) && isscalar(x) && x >= 0 && x == round(x);
  if ~whole(opt.samples) || ~whole(opt.curve) ...
     || ~isnumeric(opt.quantiles) || any(opt.quantiles(:) < 0 | opt.quantiles(:) > 1) ...
     || ~isnumeric(opt.seed) || ~isscalar(opt.seed) ...
     || ~isnumeric(opt.factors) || isempty(opt.factors) || any(~(opt.factors(:) > 0 & isfinite(opt.factors(:))))
    fault(who, 'badOptions', ...
         'samples and curve must be whole numbers >= 0, quantiles probabilities in [0, 1], seed a number, factors > 0.');
  end
  design = check_design(design, who);
  ev = evaluate_targets(design, check_targets(targets, design, who), 'jacobian');
  L = numel(design.d);  M = numel(design.materials) - 1;
  if isnumeric(model) && (isscalar(model) || numel(model) == L)
    if opt.relative, check_length(who, 'relative', 'sigma', model); else check_length(who, 'sigma', 'sigma', model); end
  end
  if opt.relative
    if ~isnumeric(model)
      fault(who, 'badOptions', 'relative, true, takes a number for input 3 (the relative sigma), not a %s.', class(model));
    end
    model = struct('relative', model);
  end
  model = error_model(model, L, M, who, 'badSigma');

  % the linearised spread of each target, and each layer's share of it
  s = sqrt(model.sigma .^ 2 + (model.relative .* design.d) .^ 2) .* ones(L, 1);
  own = s .^ 2 + (model.rate(design.m) .* design.d) .^ 2;
  dn = index_slopes(design, ev, model);
  rep = struct('quantity', {ev.quantity}, 'lambda', {ev.lambda}, 'theta', {ev.theta}, ...
               'pol', {ev.pol}, 'nominal', {ev.q});
  variance = zeros(L, 1);
  for t = 1:numel(ev)
    G = ev(t).dq(1:L, :, :, :);   % L x n x a; a plate's back coating, as made, leaves its rows out
    [~, n, a] = size(G);
    G = reshape(G, L, n * a);
    v = sum(bsxfun(@times, G .^ 2, s .^ 2), 1);
    for mu = find(model.rate.' > 0)
      v = v + (model.rate(mu) * (design.d(design.m == mu).' * G(design.m == mu, :))) .^ 2;
    end
    for mu = find(model.index.' > 0)
      v = v + (model.index(mu) * reshape(dn{t, mu}.', 1, [])) .^ 2;
    end
    rep(t).linear = reshape(sqrt(v), n, a).';
    variance = variance + sum(bsxfun(@times, G .^ 2, own), 2) / ev(t).scale ^ 2;
  end
  share = variance / max(sum(variance), realmin);
  [~, order] = sort(share, 'descend');
  keep = {'quantity', 'lambda', 'theta', 'pol', 'value', 'tol', 'type', 'weight', 'offset', ...
          'kind', 'scale', 'k', 'N', 'Np', 'Npp', 'materials', 'layers'};
  ev = rmfield(ev, setdiff(fieldnames(ev), keep));

  % The samples in chunks of 50, chunk c drawn from a generator seeded with
  % seed + c - 1; the curve's samples are the first ones, every error
  % scaled by each factor. Each sample judged by coattargets (a public
  % function, so that parcellfun's processes find it), keeping its
  % quantities and verdicts.
  n = opt.samples;
  nc = min(opt.curve, n);
  factors = sort(opt.factors(:).');
  others = factors(factors ~= 1);
  [D, N] = made(model, design, n, opt.seed, 1);
  for f = others
    [Df, Nf] = made(model, design, nc, opt.seed, f);
    D = [D, Df];  N = [N, Nf];
  end
  jobs = size(D, 2);
  chunk = 50;
  chunks = ceil(jobs / chunk);
  judged = @(x) {{x.q}, [x.met]};
  if any(model.index)
    shifted = @(j) cell2mat(arrayfun(@(e) setfield(e, 'N', e.N + repmat([N(:, j); 0], 1, size(e.N, 2))), ...
                                     ev, 'UniformOutput', false));
    sample = @(j) judged(coattargets(setfield(design, 'd', D(:, j)), shifted(j)));
  else
    sample = @(j) judged(coattargets(setfield(design, 'd', D(:, j)), ev));
  end
  results = parallel_map(@(c) cellfun(sample, num2cell((c - 1) * chunk + 1:min(c * chunk, jobs)), ...
                                      'UniformOutput', false), chunks, true, who);
  results = [results{:}];
  report = struct('yield', NaN, 'interval', [NaN NaN], 'targets', rep, 'sigma', s, ...
                  'sensitive', order(1:min(5, L)).', ...
                  'layers', struct('sigma', num2cell(s.'), 'share', num2cell(share.')), ...
                  'scale50', NaN, 'sigma50', NaN, ...
                  'curve', struct('factor', factors, 'yield', NaN(size(factors)), 'samples', nc), ...
                  'model', model, 'samples', n, 'seed', opt.seed, 'time', 0);
  if n > 0
    met = cell2mat(cellfun(@(x) x{2}, results(:), 'UniformOutput', false));   % jobs x T
    main = 1:n;
    for t = 1:numel(ev)
      % each sample's quantity a row, its points wavelength-fastest
      Q = cell2mat(cellfun(@(x) reshape(x{1}{t}.', 1, []), results(main).', 'UniformOutput', false));
      a = numel(ev(t).theta);  nl = numel(ev(t).lambda);
      report.targets(t).mean = reshape(mean(Q, 1), nl, a).';
      report.targets(t).std = reshape(std(Q, 0, 1), nl, a).';
      p = opt.quantiles(:);
      report.targets(t).quantiles = reshape(quantiles(Q, p), numel(p), nl, a);
      report.targets(t).p = p.';
      report.targets(t).yield = mean(met(main, t));
    end
    all_met = all(met, 2);
    report.yield = mean(all_met(main));
    report.interval = wilson(report.yield, n);
    if nc > 0
      at = n + (0:numel(others) - 1) * nc;               % where each other factor's samples begin
      curve = zeros(size(factors));
      for i = 1:numel(factors)
        j = find(others == factors(i), 1);
        if isempty(j)
          curve(i) = mean(all_met(1:nc));
        else
          curve(i) = mean(all_met(at(j) + (1:nc)));
        end
      end
      report.curve.yield = curve;
      report.scale50 = crossing(factors, curve);
      report.sigma50 = report.scale50 * model.sigma.';
    end
  end
  report.time = toc(started);
  if nargout == 0
    summary(report, design, ev, model);
    clear report;
  end
end

% The thicknesses as made (L x count) and the materials' index offsets
% (M x count) of the first count samples, every error of the model scaled
% by f: chunk c of 50 drawn with seed + c - 1.
function [D, N] = made(model, design, count, seed, f)
  scaled = model;
  for x = {'sigma', 'relative', 'rate', 'index'}
    scaled.(x{1}) = f * model.(x{1});
  end
  chunk = 50;
  D = zeros(numel(design.d), count);  N = zeros(numel(model.rate), count);
  for c = 1:ceil(count / chunk)
    j = (c - 1) * chunk + 1:min(c * chunk, count);
    [D(:, j), ~, N(:, j)] = error_draws(scaled, design.d, design.m, numel(j), seed + c - 1);
  end
end

% Wilson's score interval of a proportion p of n at 95 %: unlike p +- 1.96
% sqrt(p (1 - p) / n), it stays within [0, 1] and is not empty at 0 or 1.
function ci = wilson(p, n)
  z = 1.959963984540054;
  centre = (p + z ^ 2 / (2 * n)) / (1 + z ^ 2 / n);
  half = z * sqrt(p * (1 - p) / n + z ^ 2 / (4 * n ^ 2)) / (1 + z ^ 2 / n);
  ci = [max(centre - half, 0), min(centre + half, 1)];
  ci(p == [0 1]) = p;                      % exact at the ends, not a rounding off them
end

% Where the curve first falls through 0.5, interpolated linearly in the
% logarithm of the factor; NaN where it does not.
function f = crossing(factors, curve)
  f = NaN;
  i = find(curve(1:end - 1) >= 0.5 & curve(2:end) < 0.5, 1);
  if ~isempty(i)
    u = log(factors(i:i + 1));
    f = exp(u(1) + (curve(i) - 0.5) / (curve(i) - curve(i + 1)) * (u(2) - u(1)));
  end
end

% Quantiles of each column of X at the probabilities p: the sorted samples
% interpolated linearly at p (n - 1) + 1 (as MATLAB's prctile does not need).
function Y = quantiles(X, p)
  X = sort(X, 1);
  n = size(X, 1);
  x = p(:) * (n - 1) + 1;
  lo = floor(x);  hi = min(lo + 1, n);  f = x - lo;
  Y = X(lo, :) .* repmat(1 - f, 1, size(X, 2)) + X(hi, :) .* repmat(f, 1, size(X, 2));
end

% The one-screen summary printed when no output is taken.
function summary(report, design, ev, model)
  fprintf('coattolerance: %d layers; errors: %s\n', numel(design.d), describe(model));
  if report.samples > 0
    fprintf('  yield %.1f %% (95 %% interval %.1f to %.1f %%), %d samples\n', 100 * report.yield, ...
            100 * report.interval, report.samples);
  end
  units = struct('R', '', 'T', '', 'A', '', 'GD', ' fs', 'GDD', ' fs^2', 'TOD', ' fs^3', ...
                 'GDt', ' fs', 'GDDt', ' fs^2', 'TODt', ' fs^3');
  for t = 1:numel(ev)
    e = ev(t);  x = report.targets(t);
    goal = sprintf('%s %s %.4g', e.quantity, e.type, e.value(1));
    if numel(unique(e.value)) > 1, goal = sprintf('%s %s (varying)', e.quantity, e.type); end
    if e.tol > 0, goal = sprintf('%s +- %.4g', goal, e.tol); end
    unit = '';
    if isfield(units, e.quantity), unit = units.(e.quantity); end
    line = sprintf('  target %d  %-22s spread up to %.3g%s (linearised)', t, goal, max(x.linear(:)), unit);
    if report.samples > 0
      line = sprintf('%s, %.3g (samples); yield alone %.1f %%', line, max(x.std(:)), 100 * x.yield);
    end
    fprintf('%s\n', line);
  end
  names = design.materials;
  parts = arrayfun(@(j) sprintf('%d (%s, %.0f %%)', j, label(names{design.m(j)}), ...
                                100 * report.layers(j).share), report.sensitive, 'UniformOutput', false);
  fprintf('  most sensitive layers (layer 1 next to the ambient): %s\n', strjoin(parts, ', '));
  if report.samples > 0 && report.curve.samples > 0
    c = report.curve;
    parts = arrayfun(@(f, y) sprintf('%.3gx %.0f %%', f, 100 * y), c.factor, c.yield, 'UniformOutput', false);
    fprintf('  yield with every error scaled (%d samples): %s\n', c.samples, strjoin(parts, ', '));
    if isfinite(report.scale50)
      text = sprintf('  the yield falls to 50 %% at %.3g times these errors', report.scale50);
      if isscalar(model.sigma) && model.sigma > 0
        text = sprintf('%s (sigma %.3g nm)', text, 1000 * report.sigma50);
      end
      fprintf('%s\n', text);
    elseif c.yield(1) < 0.5
      fprintf('  the yield is below 50 %% even at %.3g times these errors\n', c.factor(1));
    else
      fprintf('  the yield stays above 50 %% up to %.3g times these errors\n', c.factor(end));
    end
  end
  fprintf('  %.2f s\n', report.time);
end

function text = describe(model)
  parts = {};
  if any(model.sigma), parts{end + 1} = sprintf('random %s nm per layer', range_text(1000 * model.sigma)); end
  if any(model.relative), parts{end + 1} = sprintf('random %s %% of each layer', range_text(100 * model.relative)); end
  if any(model.rate), parts{end + 1} = sprintf('rate %s %% per material', range_text(100 * model.rate)); end
  if any(model.index), parts{end + 1} = sprintf('index %s per material', range_text(model.index)); end
  if isempty(parts), parts = {'none'}; end
  text = strjoin(parts, ', ');
end

function text = range_text(x)
  if max(x) == min(x)
    text = sprintf('%.3g', x(1));
  else
    text = sprintf('%.3g to %.3g', min(x), max(x));
  end
end

function name = label(material)
  name = 'custom';
  if ischar(material), name = material; end
end

%!shared design, t
%! n = coating_indices(2*pi / 0.805, {'TiO2', 'SiO2', 'fused silica'});
%! design = struct('d', repmat(0.805 ./ (4 * n(1:2)), 6, 1), 'm', repmat([1; 2], 6, 1), ...
%!                 'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%! t = struct('quantity', {'R', 'GDD'}, 'lambda', {linspace(0.76, 0.84, 9), [0.78 0.8 0.82]}, ...
%!            'value', {0.97, 0}, 'type', {'>=', '='}, 'tol', {0, 20}, 'pol', {'s', 'avg'}, 'theta', {0, [0 0.2]});
%!test  # small errors: the Monte-Carlo spread is the linearised one
%! % 0.2 nm: the response is linear to ~1e-3 over that range; 1000 samples
%! % estimate a standard deviation to ~2.2 % (1/sqrt(2n)), so 10 % on every
%! % point is 4.5 of those standard errors, and a factor or a layer missed fails
%! rep = coattolerance(design, t, 2e-4, 'samples', 1000, 'curve', 0);
%! for i = 1:2
%!   x = rep.targets(i);
%!   assert(size(x.std), size(x.linear));
%!   assert(abs(x.std ./ x.linear - 1) < 0.1);
%!   assert(abs(x.mean - x.nominal) < 0.2 * x.linear);
%!   assert(x.quantiles(2, :, 1), x.nominal(1, :), 0.2 * max(x.linear(1, :)));
%! end
%! assert(rep.yield, 1);
%!test  # relative errors, the yield falls as they grow; the caller's random state is untouched
%! s0 = randn('state');
%! a = coattolerance(design, t(1), 0.002, 'relative', true, 'samples', 100, 'curve', 0);
%! b = coattolerance(design, t(1), 0.2, 'relative', true, 'samples', 100, 'curve', 0);
%! assert(isequal(randn('state'), s0));
%! assert([a.layers.sigma]', 0.002 * design.d, 1e-15);
%! assert(a.yield == 1 && b.yield < 0.9);
%! c = coattolerance(design, t(1), 0.2, 'relative', true, 'samples', 100, 'curve', 0);
%! assert(isequal(b.targets.std, c.targets.std));     % seeded: the same numbers again
%!error id=coattolerance:badSigma coattolerance(design, t, [1 2])
%!error id=coattolerance:unknownOption coattolerance(design, t, 0.001, 'sample', 10)
%!error id=coattolerance:badQuantity coattolerance(design, setfield(t(1), 'quantity', 'S'), 0.001)
