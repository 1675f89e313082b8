%COATTOLERANCE Spread of a coating's targets under random thickness errors: linearised and Monte-Carlo, with the yield.
%   report = coattolerance(design, targets, sigma)
%   report = coattolerance(design, targets, sigma, 'name', value, ...)
%
%   Inputs
%     design   a struct as coatoptimize returns it: d (Lx1 um), m, materials,
%              ambient (see help coattargets).
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
%   where a chunk runs: the chunks go through parfor (MATLAB spreads them
%   over a parallel pool; Octave runs a plain loop), or in Octave through
%   the parallel package's parcellfun when that package is loaded. The
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
%     yield     the fraction of samples meeting every target;
%     sigma     Lx1 absolute standard deviations, um;
%     samples, seed, time (s).
%
%   Errors (identifiers coattolerance:<reason>): notEnoughInputs, badSigma,
%   badOptions, unknownOption; those of coattargets (as coattolerance:<reason>).
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
  if nargin < 3
    error('coattolerance:notEnoughInputs', 'coattolerance: needs a design, targets and sigma.');
  end
  opt = struct('samples', 1000, 'relative', false, 'quantiles', [0.05 0.5 0.95], 'seed', 1);
  if mod(numel(varargin), 2) ~= 0 || ~all(cellfun(@ischar, varargin(1:2:end)))
    error('coattolerance:badOptions', 'coattolerance: options are name-value pairs.');
  end
  known = fieldnames(opt);
  for i = 1:2:numel(varargin)
    j = find(strcmpi(varargin{i}, known), 1);
    if isempty(j)
      error('coattolerance:unknownOption', 'coattolerance: unknown option ''%s''; known: %s.', ...
            varargin{i}, strjoin(known', ', '));
    end
    opt.(known{j}) = varargin{i + 1};
  end
  if ~isnumeric(opt.samples) || ~isscalar(opt.samples) || opt.samples < 0 || opt.samples ~= round(opt.samples) ...
     || ~isnumeric(opt.quantiles) || any(opt.quantiles(:) < 0 | opt.quantiles(:) > 1) ...
     || ~isnumeric(opt.seed) || ~isscalar(opt.seed)
    error('coattolerance:badOptions', ...
          'coattolerance: samples must be a whole number >= 0, quantiles probabilities in [0, 1], seed a number.');
  end
  try
    [ev, ~, ~, ~, ~, design] = coattargets(design, targets);   % with the gradients (ev.dq)
  catch err
    error(strrep(err.identifier, 'coattargets:', 'coattolerance:'), '%s', ...
          strrep(err.message, 'coattargets:', 'coattolerance:'));
  end
  L = numel(design.d);
  if ~isnumeric(sigma) || ~isreal(sigma) || ~(isscalar(sigma) || numel(sigma) == L) ...
     || any(~(sigma(:) >= 0)) || any(~isfinite(sigma(:)))
    error('coattolerance:badSigma', ...
          'coattolerance: input 3 (sigma) must be a scalar or %d values (one per layer), finite and >= 0.', L);
  end
  sigma = sigma(:) .* ones(L, 1);
  if opt.relative, sigma = sigma .* design.d; end

  rep = struct('quantity', {ev.quantity}, 'lambda', {ev.lambda}, 'theta', {ev.theta}, ...
               'pol', {ev.pol}, 'nominal', {ev.q});
  for t = 1:numel(ev)
    % dq is L x n x a: the spread at each point is the norm over the layers
    rep(t).linear = permute(sqrt(sum((ev(t).dq .* repmat(sigma, [1, size(ev(t).dq, 2), size(ev(t).dq, 3)])) .^ 2, 1)), [3 2 1]);
  end
  keep = {'quantity', 'lambda', 'theta', 'pol', 'value', 'tol', 'type', 'weight', 'offset', ...
          'k', 'N', 'Np', 'Npp', 'materials'};
  ev = rmfield(ev, setdiff(fieldnames(ev), keep));

  n = opt.samples;
  chunk = 50;
  chunks = ceil(n / chunk);
  results = cell(1, chunks);
  spread = @(c) run_chunk(c, chunk, n, opt.seed, design, ev, sigma);
  % The samples are the parallel unit: each call of the modules runs on its
  % thread alone (unless the caller set COAT_THREADS), since sharing one
  % sample's wavenumbers among threads costs more than it saves at this size.
  if isempty(getenv('COAT_THREADS'))
    setenv('COAT_THREADS', '1');
    restore = onCleanup(@() setenv('COAT_THREADS', ''));
  end
  if exist('OCTAVE_VERSION', 'builtin') && exist('parcellfun', 'file') && chunks > 1
    results = parcellfun(nproc(), spread, num2cell(1:chunks), 'UniformOutput', false, ...
                         'VerboseLevel', 0);
  else
    parfor c = 1:chunks
      results{c} = spread(c);
    end
  end
  report = struct('targets', rep, 'yield', NaN, 'sigma', sigma, 'samples', n, ...
                  'seed', opt.seed, 'time', 0);
  if n > 0
    met = vertcat(results{:});
    met = vertcat(met.met);                           % n x T
    for t = 1:numel(ev)
      Q = cell2mat(cellfun(@(x) x.Q{t}, results(:), 'UniformOutput', false));   % n x (n_l a)
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

% Samples (c - 1) chunk + 1 .. min(c chunk, n), from a generator seeded
% with seed + c - 1: each target's quantity (a sample a row, the points
% wavelength-fastest) and whether the sample meets each target.
function out = run_chunk(c, chunk, n, seed, design, ev, sigma)
  count = min(c * chunk, n) - (c - 1) * chunk;
  E = normal_deviates(seed + c - 1, numel(sigma), count);
  out.Q = cell(1, numel(ev));
  out.met = false(count, numel(ev));
  for t = 1:numel(ev)
    out.Q{t} = zeros(count, numel(ev(t).lambda) * numel(ev(t).theta));
  end
  % coatresponse straight, not coattargets: its checks would cost more than
  % the response itself at every sample
  for s = 1:count
    d = max(design.d + sigma .* E(:, s), 0);
    for t = 1:numel(ev)
      e = ev(t);
      pols = {e.pol};
      if strcmp(e.pol, 'avg'), pols = {'s', 'p'}; end
      q = zeros(numel(e.lambda), numel(e.theta));
      for ia = 1:numel(e.theta)
        for ip = 1:numel(pols)
          o = coatresponse(e.k, d, design.m, design.ambient, e.N, e.Np, e.Npp, ...
                           e.theta(ia), pols{ip}, e.quantity);
          q(:, ia) = q(:, ia) + o.(e.quantity).' / numel(pols);
        end
      end
      out.Q{t}(s, :) = q(:).';
    end
  end
  for t = 1:numel(ev)
    out.met(:, t) = meets(ev(t), out.Q{t});
  end
end

% Whether each sample (a row of Q, points wavelength-fastest) meets target e
% everywhere: its deviation, less the free constant, within the tolerance
% on the side its type names (as coattargets judges it).
function ok = meets(e, Q)
  dev = Q - repmat(repmat(e.value, 1, numel(e.theta)), size(Q, 1), 1);
  if strcmp(e.offset, 'free')
    dev = dev - repmat(mean(dev, 2), 1, size(dev, 2));
  end
  switch e.type
    case '='
      ok = all(abs(dev) <= e.tol, 2);
    case '>='
      ok = all(dev >= -e.tol, 2);
    otherwise
      ok = all(dev <= e.tol, 2);
  end
end

% Standard normal deviates from a generator of their own, seeded with seed,
% leaving the caller's random state as it was.
function E = normal_deviates(seed, rows, cols)
  if exist('OCTAVE_VERSION', 'builtin')
    saved = randn('state');
    randn('state', seed);
    E = randn(rows, cols);
    randn('state', saved);
  else
    E = randn(RandStream('mt19937ar', 'Seed', seed), rows, cols);
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
