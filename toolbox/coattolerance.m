%COATTOLERANCE Spread of a coating's targets under random thickness errors: linearised and Monte-Carlo, with the yield.
%   report = coattolerance(design, targets, sigma)
%   report = coattolerance(design, targets, sigma, 'name', value, ...)
%
%   Inputs
%     design   a struct as coatoptimize returns it: d (Lx1 um), m, materials,
%              ambient (see help coattargets); a plate's back coating
%              (coatplate) is taken as made exactly: the errors are the
%              front coating's.
%     targets  the targets, a struct array as coattargets takes it.
%     sigma    the standard deviation of each thickness error: um, a scalar
%              for every layer or Lx1 per layer; relative to each thickness
%              with 'relative', true (0.01: 1 %).
%   Options (name-value)
%     samples    Monte-Carlo samples (default 1000; 0: linearised only).
%     relative   true: sigma is a fraction of each thickness (default false).
%     quantiles  the probabilities of the quantiles (default [0.05 0.5 0.95]).
%     seed       the seed of the first chunk (default 1).
%
%   Method: the linearised spread of each quantity at each point is
%   sqrt(sum_j (dX/dd_j sigma_j)^2), from coatresponse's exact gradients.
%   The Monte-Carlo samples draw independent normal errors (a thickness
%   that would turn negative is 0) in chunks of 50, chunk c seeded with
%   seed + c - 1 in a generator of its own, so the numbers do not depend on
%   where a chunk runs: the chunks go through parfor in MATLAB (a parallel
%   pool spreads them over its workers), and in Octave through the parallel
%   package's parcellfun where that package is installed (Debian:
%   octave-parallel; it is loaded if need be), else (or with the environment
%   variable COAT_PARALLEL=0) a plain loop. The
%   caller's random state is left as it was. Unless COAT_THREADS is set,
%   each sample's call of coatresponse runs on one thread (the samples are
%   what runs in parallel).
%
%   Output: report with
%     targets   struct array per target: quantity, lambda (1xn, um), theta,
%               pol, nominal (a x n, a angles), linear (a x n, the
%               linearised standard deviation), std and mean (a x n, of the
%               samples), quantiles (numel(p) x n x a), p (the
%               probabilities), yield (the fraction of samples meeting this
%               target everywhere);
%     yield     the fraction of samples meeting every target (judged as
%               coattargets judges the design: within each tolerance, on
%               the side its type names);
%     sigma     Lx1 absolute standard deviations, um;
%     samples, seed, time (s).
%
%   Errors (identifiers coattolerance:<reason>): notEnoughInputs, badSigma,
%   sigmaUnits (an absolute sigma of 50 nm or more: given in nm; a
%   relative one of 0.5 or more: given in percent),
%   badOptions, unknownOption, and those of coattargets for the design and
%   the targets (badDesign, badQuantity, ...).
%
%   Example: 1 nm errors on a 10-pair quarter-wave mirror, R >= 99.5 %
%     design = struct('d', repmat([0.0845; 0.1376], 10, 1), 'm', repmat([1; 2], 10, 1), ...
%                     'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%     t = struct('quantity', 'R', 'lambda', linspace(0.75, 0.85, 21), 'value', 0.995, 'type', '>=');
%     report = coattolerance(design, t, 0.001, 'samples', 200);
%     yield = report.yield;  spread = report.targets(1).std;
%
%   See also coatoptimize, coattargets, coatplot.
function report = coattolerance(design, targets, sigma, varargin)
  started = tic;
  who = 'coattolerance';
  if nargin < 3
    fault(who, 'notEnoughInputs', 'needs a design, targets and sigma.');
  end
  opt = parse_options(who, struct('samples', 1000, 'relative', false, ...
                                  'quantiles', [0.05 0.5 0.95], 'seed', 1), varargin);
  if ~isnumeric(opt.samples) || ~isscalar(opt.samples) || opt.samples < 0 || opt.samples ~= round(opt.samples) ...
     || ~isnumeric(opt.quantiles) || any(opt.quantiles(:) < 0 | opt.quantiles(:) > 1) ...
     || ~isnumeric(opt.seed) || ~isscalar(opt.seed)
    fault(who, 'badOptions', ...
         'samples must be a whole number >= 0, quantiles probabilities in [0, 1], seed a number.');
  end
  design = check_design(design, who);
  ev = evaluate_targets(design, check_targets(targets, design, who), 'jacobian');
  L = numel(design.d);
  if ~isnumeric(sigma) || ~isreal(sigma) || ~(isscalar(sigma) || numel(sigma) == L) ...
     || any(~(sigma(:) >= 0)) || any(~isfinite(sigma(:)))
    fault(who, 'badSigma', 'input 3 (sigma) must be a scalar or %d values (one per layer), finite and >= 0.', L);
  end
  if opt.relative, check_length(who, 'relative', 'sigma', sigma); else check_length(who, 'sigma', 'sigma', sigma); end
  sigma = sigma(:) .* ones(L, 1);
  if opt.relative, sigma = sigma .* design.d; end

  rep = struct('quantity', {ev.quantity}, 'lambda', {ev.lambda}, 'theta', {ev.theta}, ...
               'pol', {ev.pol}, 'nominal', {ev.q});
  for t = 1:numel(ev)
    % dq is L x n x a: the spread at each point is the norm over the layers
    dq = ev(t).dq(1:L, :, :);      % a plate's back coating, as made, leaves its rows out
    rep(t).linear = permute(sqrt(sum((dq .* repmat(sigma, [1, size(dq, 2), size(dq, 3)])) .^ 2, 1)), [3 2 1]);
  end
  keep = {'quantity', 'lambda', 'theta', 'pol', 'value', 'tol', 'type', 'weight', 'offset', ...
          'kind', 'scale', 'k', 'N', 'Np', 'Npp', 'materials'};
  ev = rmfield(ev, setdiff(fieldnames(ev), keep));

  % The samples in chunks of 50, chunk c drawn from a generator seeded with
  % seed + c - 1; each sample judged by coattargets (a public function, so
  % that parcellfun's processes find it), keeping its quantities and verdicts.
  n = opt.samples;
  chunk = 50;
  chunks = ceil(n / chunk);
  E = zeros(L, n);
  for c = 1:chunks
    E(:, (c - 1) * chunk + 1:min(c * chunk, n)) = ...
        seeded_draws(opt.seed + c - 1, 'randn', L, min(c * chunk, n) - (c - 1) * chunk);
  end
  D = max(repmat(design.d, 1, n) + repmat(sigma, 1, n) .* E, 0);
  judged = @(x) {{x.q}, [x.met]};
  sample = @(j) judged(coattargets(setfield(design, 'd', D(:, j)), ev));
  results = parallel_map(@(c) cellfun(sample, num2cell((c - 1) * chunk + 1:min(c * chunk, n)), ...
                                      'UniformOutput', false), chunks, true, who);
  results = [results{:}];
  report = struct('targets', rep, 'yield', NaN, 'sigma', sigma, 'samples', n, ...
                  'seed', opt.seed, 'time', 0);
  if n > 0
    met = cell2mat(cellfun(@(x) x{2}, results(:), 'UniformOutput', false));   % n x T
    for t = 1:numel(ev)
      % each sample's quantity a row, its points wavelength-fastest
      Q = cell2mat(cellfun(@(x) reshape(x{1}{t}.', 1, []), results(:), 'UniformOutput', false));
      a = numel(ev(t).theta);  nl = numel(ev(t).lambda);
      report.targets(t).mean = reshape(mean(Q, 1), nl, a).';
      report.targets(t).std = reshape(std(Q, 0, 1), nl, a).';
      p = opt.quantiles(:);
      report.targets(t).quantiles = permute(reshape(quantiles(Q, p), numel(p), nl, a), [1 2 3]);
      report.targets(t).p = p.';
      report.targets(t).yield = mean(met(:, t));
    end
    report.yield = mean(all(met, 2));
  end
  report.time = toc(started);
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
%! rep = coattolerance(design, t, 2e-4, 'samples', 1000);
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
%! a = coattolerance(design, t(1), 0.002, 'relative', true, 'samples', 100);
%! b = coattolerance(design, t(1), 0.2, 'relative', true, 'samples', 100);
%! assert(isequal(randn('state'), s0));
%! assert(a.sigma, 0.002 * design.d, 1e-15);
%! assert(a.yield == 1 && b.yield < 0.9);
%! c = coattolerance(design, t(1), 0.2, 'relative', true, 'samples', 100);
%! assert(isequal(b.targets.std, c.targets.std));     % seeded: the same numbers again
%!error id=coattolerance:badSigma coattolerance(design, t, [1 2])
%!error id=coattolerance:unknownOption coattolerance(design, t, 0.001, 'sample', 10)
%!error id=coattolerance:badQuantity coattolerance(design, setfield(t(1), 'quantity', 'S'), 0.001)
