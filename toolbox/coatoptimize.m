%COATOPTIMIZE Design a coating to targets: bounded Levenberg-Marquardt with exact gradients, needles, a dense check.
%   design = coatoptimize(design0, targets)
%   design = coatoptimize(design0, targets, options)
%   design = coatoptimize(design0, targets, 'name', value, ...)
%
%   Inputs
%     design0  the start, a struct: d (Lx1 thicknesses in um, layer 1 next
%              to the ambient), m (Lx1 material numbers 1..M), materials
%              (cell array: the M layer materials, then the substrate; each a
%              catalogue name or a struct of coefficients, as coating_indices
%              takes them), ambient (the ambient index, default 1).
%     targets  struct array, one element a target (see help coattargets):
%              quantity ('R', 'T', 'A', 'GD', 'GDD', 'TOD', 'GDt', 'GDDt',
%              'TODt'), lambda (um), theta (RADIANS, every angle of a
%              vector), pol ('s', 'p', 'avg'), value, tol, type ('=', '>=',
%              '<='), weight, offset ('free' for GD up to a constant).
%     options  a struct or name-value pairs:
%       dmin, dmax       bounds on every thickness, um (default 0 and Inf);
%                        they hold at every step, the start is clipped.
%       needle           rounds of needle insertion (default 0: thicknesses
%                        only).
%       needleMaterials  the material numbers a needle may be (default all).
%       maxIterations    Levenberg-Marquardt iterations per optimisation
%                        (default 200).
%       dense            the final check refines each target's grid by this
%                        factor (default 10; 1: no check).
%       densePasses      how often the grid may grow and the optimisation
%                        resume (default 5).
%       margin           the fraction of each tolerance held in reserve while
%                        optimising (default 0.05); the record judges the
%                        design by the full tolerance.
%       display          true: print iteration, merit and layers as it goes
%                        (default false).
%
%   Method: the merit is sum over targets of weight * mean(excess.^2), the
%   excess being the deviation beyond the tolerance (coattargets). Bounded
%   Levenberg-Marquardt minimises it with the exact Jacobian of the
%   residuals from coatresponse's thickness gradients; thicknesses at a
%   bound whose gradient points outwards are held there, every step is
%   projected into the bounds. A needle round scans coatprofile's needle
%   function of the merit over every allowed material and depth (every 2 nm
%   and every boundary), inserts a layer of thickness dmin where it is most
%   negative (splitting a layer only where both pieces keep dmin), and
%   re-optimises; it keeps the insertion if the merit fell, else tries the
%   next two candidates. Layers left at dmin that would rather be thinner
%   are then removed (neighbours of one material merged) where that does not
%   raise the merit. Last, every target's grid is refined by the factor
%   dense; where the design leaves its tolerance between grid points by more
%   than on the grid, those wavelengths join the grid and the optimisation
%   resumes.
%
%   Output: design with d, m, materials, ambient, merit (on the final grid,
%   with the full tolerances)
%   and record:
%     merit       the merit after every accepted iteration, in order;
%     iterations  their number;
%     insertions  struct array per needle round tried: depth (um),
%                 material, layers, merit (after re-optimisation), kept;
%     dense       struct array per target: quantity, worst (the largest
%                 excess beyond the tolerance on the dense grid, in the
%                 quantity's unit; 0 within tolerance), lambda and theta
%                 where, met;
%     met         every target within tolerance on the dense grid;
%     targets     the targets with the wavelengths the dense check added;
%     time        seconds.
%
%   Errors (identifiers coatoptimize:<reason>): notEnoughInputs, badOptions,
%   unknownOption, badBounds, badNeedle; those of coattargets for the design
%   and targets (as coatoptimize:<reason>).
%
%   Example: a quarter-wave mirror at 800 nm from a detuned start
%     design0 = struct('d', repmat([0.07; 0.12], 5, 1), 'm', repmat([1; 2], 5, 1), ...
%                      'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%     t = struct('quantity', 'R', 'lambda', 0.8, 'value', 1, 'type', '>=');
%     design = coatoptimize(design0, t, 'dmin', 0.02);
%     R = design.record.dense(1).worst;   % 1 - R left at 800 nm
%
%   See also coattargets, coattolerance, coatplot, coatresponse, coatprofile.
function design = coatoptimize(design0, targets, varargin)
  started = tic;
  if nargin < 2
    error('coatoptimize:notEnoughInputs', ...
          'coatoptimize: needs a start design and targets (and options).');
  end
  opt = options(varargin);
  try
    [ev, ~, ~, ~, ~, design] = coattargets(design0, targets);
  catch err
    error(strrep(err.identifier, 'coattargets:', 'coatoptimize:'), '%s', ...
          strrep(err.message, 'coattargets:', 'coatoptimize:'));
  end
  M = numel(design.materials) - 1;
  if isempty(opt.needleMaterials), opt.needleMaterials = 1:M; end
  if any(opt.needleMaterials(:) < 1 | opt.needleMaterials(:) > M)
    error('coatoptimize:badNeedle', 'coatoptimize: needleMaterials must be material numbers 1..%d.', M);
  end
  design.d = min(max(design.d, opt.dmin), opt.dmax);
  rec = struct('merit', [], 'iterations', 0, ...
               'insertions', struct('depth', {}, 'material', {}, 'layers', {}, 'merit', {}, 'kept', {}));

  [design, merit, rec] = refine(design, held(ev, opt), opt, rec);
  for insertion = 1:opt.needle
    [design, merit, rec, kept] = insert_needle(design, held(ev, opt), merit, opt, rec);
    if ~kept, break; end
    [design, merit, rec] = remove_thin(design, held(ev, opt), merit, opt, rec);
  end

  % The dense check: deviations hidden between grid points join the grid.
  for pass = 0:opt.densePasses
    [dense, hidden] = dense_check(design, ev, opt.dense);
    if pass == opt.densePasses || ~any(cellfun(@numel, hidden)), break; end
    for t = 1:numel(ev)
      if isempty(hidden{t}), continue; end
      [l, i] = sort([ev(t).lambda, hidden{t}]);
      v = [ev(t).value, interp1(ev(t).lambda, ev(t).value, hidden{t}, 'linear', 'extrap')];
      ev(t).lambda = l;  ev(t).value = v(i);  ev(t).N = [];
    end
    ev = coattargets(design, ev);
    if opt.display
      fprintf('dense check: %d wavelengths join the grid\n', sum(cellfun(@numel, hidden)));
    end
    [design, merit, rec] = refine(design, held(ev, opt), opt, rec);
  end

  [~, merit] = coattargets(design, ev);
  rec.dense = dense;
  rec.met = all([dense.met]);
  keep = {'quantity', 'lambda', 'theta', 'pol', 'value', 'tol', 'type', 'weight', 'offset'};
  rec.targets = rmfield(ev, setdiff(fieldnames(ev), keep));
  rec.time = toc(started);
  design.merit = merit;
  design.record = rec;
  if opt.display
    for t = 1:numel(dense)
      fprintf('target %d (%s): worst excess %.4g at %.4g um, %.3g rad on the dense grid\n', ...
              t, dense(t).quantity, dense(t).worst, dense(t).lambda, dense(t).theta);
    end
  end
end

% The targets as optimised: each tolerance less the margin held in reserve,
% so that the design stays inside its bands between the grid points too.
function ev = held(ev, opt)
  for t = 1:numel(ev)
    ev(t).tol = ev(t).tol * (1 - opt.margin);
  end
end

function opt = options(args)
  opt = struct('dmin', 0, 'dmax', Inf, 'needle', 0, 'needleMaterials', [], ...
               'maxIterations', 200, 'dense', 10, 'densePasses', 5, 'margin', 0.05, ...
               'display', false);
  if numel(args) == 1 && isstruct(args{1})
    given = args{1};
    names = fieldnames(given);
    values = struct2cell(given);
  elseif mod(numel(args), 2) == 0 && all(cellfun(@ischar, args(1:2:end)))
    names = args(1:2:end);
    values = args(2:2:end);
  else
    error('coatoptimize:badOptions', ...
          'coatoptimize: options must be a struct or name-value pairs (names are character arrays).');
  end
  known = fieldnames(opt);
  for i = 1:numel(names)
    j = find(strcmpi(names{i}, known), 1);
    if isempty(j)
      error('coatoptimize:unknownOption', 'coatoptimize: unknown option ''%s''; known: %s.', ...
            names{i}, strjoin(known', ', '));
    end
    opt.(known{j}) = values{i};
  end
  scalar = @(x) isnumeric(x) && isscalar(x) && isreal(x) && ~isnan(x);
  if ~scalar(opt.dmin) || ~scalar(opt.dmax) || opt.dmin < 0 || opt.dmax <= opt.dmin
    error('coatoptimize:badBounds', ...
          'coatoptimize: dmin and dmax must be scalars in um with 0 <= dmin < dmax; %s and %s were given.', ...
          mat2str(opt.dmin), mat2str(opt.dmax));
  end
  whole = @(x) scalar(x) && x >= 0 && x == round(x);
  if ~scalar(opt.margin) || opt.margin < 0 || opt.margin >= 1
    error('coatoptimize:badOptions', 'coatoptimize: margin must be a fraction 0 <= margin < 1.');
  end
  if ~whole(opt.needle) || ~whole(opt.maxIterations) || ~whole(opt.densePasses) ...
     || ~whole(opt.dense) || opt.dense < 1
    error('coatoptimize:badOptions', ...
          'coatoptimize: needle, maxIterations and densePasses must be whole numbers >= 0, dense >= 1.');
  end
end

% Bounded Levenberg-Marquardt over every thickness, from design.d, on
% f = sum(r.^2) / 2 with the model Hessian J'J + S: S, the residuals'
% curvature sum_i r_i r_i'', by the secant update of Dennis, Gay and Welsch
% (as NL2SOL), since near a merit that stays above zero (resonances a
% target cannot quite meet, a reflectance of 1 asked for) J'J alone
% converges slowly. Thicknesses at a bound whose gradient points outwards
% are held; every step is projected into the bounds.
function [design, merit, rec] = refine(design, ev, opt, rec)
  [~, merit, r, J] = coattargets(design, ev);
  d = design.d;
  L = numel(d);
  S = zeros(L);
  mu = 1e-3;  nu = 2;
  quiet = 0;
  for it = 1:opt.maxIterations
    if merit == 0 || L == 0, break; end
    g = J' * r;
    free = ~((d <= opt.dmin & g > 0) | (d >= opt.dmax & g < 0));
    if ~any(free), break; end
    JJ = J' * J;
    H = JJ(free, free) + S(free, free);
    D = eye(sum(free)) * (mean(diag(JJ)) + realmin);
    accepted = false;
    while mu < 1e20
      [R, bad] = chol(H + mu * D);
      if bad
        mu = mu * nu;  nu = 2 * nu;
        continue;
      end
      step = -(R \ (R' \ g(free)));
      trial = d;
      trial(free) = min(max(d(free) + step, opt.dmin), opt.dmax);
      s = trial - d;
      predicted = -(g' * s + 0.5 * s' * (JJ + S) * s);   % of f = merit / 2
      candidate = design;  candidate.d = trial;
      [~, m1, r1, J1] = coattargets(candidate, ev);
      if m1 < merit && predicted > 0
        rho = (merit - m1) / 2 / predicted;
        mu = mu * max(1 / 3, 1 - (2 * rho - 1) ^ 3);  nu = 2;
        accepted = true;
        break;
      end
      mu = mu * nu;  nu = 2 * nu;
    end
    if ~accepted, break; end
    % the secant update of S from the step s
    y = J1' * r1 - g;
    ys = J1' * r1 - J' * r1;
    sy = s' * y;
    if sy > 0
      sSs = s' * S * s;
      if sSs ~= 0, S = min(1, abs(s' * ys) / abs(sSs)) * S; end
      v = ys - S * s;
      S = S + (v * y' + y * v') / sy - (v' * s) * (y * y') / sy ^ 2;
    end
    gain = (merit - m1) / merit;
    design = candidate;  d = trial;  merit = m1;  r = r1;  J = J1;
    rec.merit(end + 1) = merit;
    rec.iterations = rec.iterations + 1;
    if opt.display
      fprintf('iteration %4d  merit %.6g  layers %d\n', rec.iterations, merit, numel(d));
    end
    % converged: three steps in a row that gain less than 1e-6 of the merit
    if gain < 1e-6, quiet = quiet + 1; else quiet = 0; end
    if quiet >= 3, break; end
  end
end

% One needle round: the best candidates of the needle function, tried in turn.
function [design, merit, rec, kept] = insert_needle(design, ev, merit, opt, rec)
  kept = false;
  d = design.d;  m = design.m;  L = numel(d);
  b = [0; cumsum(d)];
  if L == 0 || b(end) == 0, return; end
  z = unique([linspace(0, b(end), ceil(b(end) / 0.002) + 1)'; b]);
  mats = opt.needleMaterials(:).';
  [~, ~, ~, ~, ng] = coattargets(design, ev, z, mats);
  j = min(max(arrayfun(@(x) find(b(1:L) <= x, 1, 'last'), z), 1), L);   % the deeper layer on a boundary
  u = z - b(j);  v = b(j + 1) - z;
  edge = u <= 0 | v <= 0;
  above = [0; m];  above = above(j);            % the layer above the holder (0: the ambient)
  below = [m; 0];  below = below(j + 1);        % and below it (0: the substrate)
  ok = false(size(ng));
  for c = 1:numel(mats)
    splits = u >= opt.dmin & v >= opt.dmin & ~edge;
    top = u <= 0 & above ~= mats(c);            % between two layers: no layer split
    bottom = v <= 0 & below ~= mats(c);
    ok(:, c) = m(j) ~= mats(c) & (splits | top | bottom) & ng(:, c) < 0;
  end
  if ~any(ok(:)), return; end
  score = ng;  score(~ok) = Inf;
  for attempt = 1:3
    % the most negative candidate not in a layer already tried
    [value, i] = min(score(:));
    if ~isfinite(value), break; end
    [p, c] = ind2sub(size(score), i);
    score(j == j(p), :) = Inf;
    t = max(opt.dmin, 0);
    if u(p) <= 0
      dn = [d(1:j(p) - 1); t; d(j(p):end)];  mn = [m(1:j(p) - 1); mats(c); m(j(p):end)];
    elseif v(p) <= 0
      dn = [d(1:j(p)); t; d(j(p) + 1:end)];  mn = [m(1:j(p)); mats(c); m(j(p) + 1:end)];
    else
      dn = [d(1:j(p) - 1); u(p); t; v(p); d(j(p) + 1:end)];
      mn = [m(1:j(p)); mats(c); m(j(p):end)];
    end
    trial = design;  trial.d = dn;  trial.m = mn;
    [trial, m1, rec] = refine(trial, ev, opt, rec);
    keep = m1 < merit;
    rec.insertions(end + 1) = struct('depth', z(p), 'material', mats(c), 'layers', numel(dn), ...
                                     'merit', m1, 'kept', keep);
    if opt.display
      fprintf('needle of material %d at %.4f um: merit %.6g (%s)\n', mats(c), z(p), m1, ...
              ifelse_text(keep, 'kept', 'dropped'));
    end
    if keep
      design = trial;  merit = m1;  kept = true;
      return;
    end
  end
end

function s = ifelse_text(c, a, b)
  if c, s = a; else s = b; end
end

% Layers held at dmin that would rather be thinner go, neighbours of one
% material merge, and the rest re-optimise; kept if the merit does not rise.
function [design, merit, rec] = remove_thin(design, ev, merit, opt, rec)
  if numel(design.d) < 2, return; end
  [~, ~, r, J] = coattargets(design, ev);
  g = J' * r;
  gone = design.d <= opt.dmin & g > 0;
  if ~any(gone), return; end
  d = design.d(~gone);  m = design.m(~gone);
  i = 1;
  while i < numel(d)
    if m(i) == m(i + 1)
      d(i) = d(i) + d(i + 1);  d(i + 1) = [];  m(i + 1) = [];
    else
      i = i + 1;
    end
  end
  trial = design;  trial.d = min(d, opt.dmax);  trial.m = m;
  [trial, m1, rec] = refine(trial, ev, opt, rec);
  if m1 <= merit
    design = trial;  merit = m1;
  end
end

% Each target on its grid refined by the factor f: the worst excess and
% where, and the wavelengths of hidden deviations (local peaks of the
% excess beyond the worst on the grid), at most ten per target.
function [dense, hidden] = dense_check(design, ev, f)
  fine = coattargets(design, coat_dense_targets(ev, f));
  coarse = coattargets(design, ev);
  dense = struct('quantity', {fine.quantity}, 'worst', {fine.worst}, ...
                 'lambda', {fine.worst_lambda}, 'theta', {fine.worst_theta}, 'met', {fine.met});
  hidden = cell(1, numel(ev));
  for t = 1:numel(ev)
    e = max(abs(fine(t).excess), [], 1);
    peak = e > coarse(t).worst * (1 + 1e-9) & e >= [0, e(1:end - 1)] & e >= [e(2:end), 0];
    peak = peak & ~ismember(fine(t).lambda, ev(t).lambda);
    i = find(peak);
    [~, o] = sort(e(i), 'descend');
    hidden{t} = fine(t).lambda(i(o(1:min(10, end))));
  end
end

%!shared mats, qw
%! mats = {'TiO2', 'SiO2', 'fused silica'};
%! n = coating_indices(2*pi / 0.8, mats);
%! qw = 0.8 ./ (4 * n(1:2));                   % quarter waves at 800 nm, um
%!test  # known optima: a detuned stack becomes the quarter-wave stack; a GD that one layer meets exactly
%! d0 = struct('d', repmat(qw .* [0.8; 1.2], 4, 1), 'm', repmat([1; 2], 4, 1), 'materials', {mats});
%! t = struct('quantity', 'R', 'lambda', 0.8, 'value', 1, 'type', '>=');
%! ds = coatoptimize(d0, t, 'dense', 1);
%! % at a single wavelength the best stack of fixed order is the quarter-wave one
%! % (the last silica layer, on fused silica, is no layer: its thickness is free)
%! assert(ds.d(1:7), repmat(qw, 4, 1)(1:7), 1e-4);
%! assert(ds.record.iterations < 60);
%! % the GD of one titania layer of 420 nm, asked of a 400 nm start: met exactly
%! one = struct('d', 0.4, 'm', 1, 'materials', {{'TiO2', 'fused silica'}});
%! [N, Np, Npp] = coating_indices(2*pi / 0.8, one.materials);
%! o = coatresponse(2*pi / 0.8, 0.42, 1, 1, N, Np, Npp, 0, 's', 'GD');
%! g = coatoptimize(one, struct('quantity', 'GD', 'lambda', 0.8, 'value', o.GD), 'dense', 1);
%! o = coatresponse(2*pi / 0.8, g.d, 1, 1, N, Np, Npp, 0, 's', 'GD');
%! assert(g.merit < 1e-20 && abs(o.GD - g.record.targets.value) < 1e-9);
%!test  # bounds hold at every layer, the start clipped into them
%! d0 = struct('d', [0.01; 0.3; 0.2; 0.05], 'm', [1; 2; 1; 2], 'materials', {mats});
%! t = struct('quantity', 'GDD', 'lambda', linspace(0.75, 0.85, 11), 'value', -200);
%! ds = coatoptimize(d0, t, 'dmin', 0.03, 'dmax', 0.15, 'maxIterations', 30, 'dense', 1);
%! assert(all(ds.d >= 0.03 & ds.d <= 0.15));
%! assert(any(ds.d == 0.03 | ds.d == 0.15));   % a bound is active: -200 fs^2 wants more
%!test  # a needle round lowers the merit of a converged stack that cannot reach its target
%! d0 = struct('d', repmat(qw, 3, 1), 'm', repmat([1; 2], 3, 1), 'materials', {mats});
%! t = struct('quantity', 'R', 'lambda', linspace(0.7, 0.9, 11), 'value', 1, 'type', '>=');
%! a = coatoptimize(d0, t, 'dmin', 0.02, 'dense', 1);
%! b = coatoptimize(d0, t, 'dmin', 0.02, 'needle', 2, 'dense', 1);
%! assert(numel(b.d) > numel(a.d));
%! assert(b.merit < 0.9 * a.merit);
%! assert(b.record.insertions(1).kept && all(b.d >= 0.02 - 1e-15));
%!test  # the dense check catches a resonance planted between grid points, and reports it
%! % a Fabry-Perot cavity's dip at 800 nm, 0.8 nm wide, between points 5 nm apart
%! d = [repmat(qw, 5, 1); qw(1); 20 * qw(2); repmat(qw, 5, 1); qw(1)];
%! m = [repmat([1; 2], 5, 1); 1; 2; repmat([1; 2], 5, 1); 1];
%! d0 = struct('d', d, 'm', m, 'materials', {mats});
%! t = struct('quantity', 'R', 'lambda', 0.7925:0.005:0.8075, 'value', 0.99, 'type', '>=');
%! fine = coattargets(d0, setfield(t, 'lambda', linspace(0.79, 0.81, 401)));
%! coarse = coattargets(d0, t);
%! assert(coarse.met && !fine.met);            % hidden from the grid, there on the fine one
%! unchecked = coatoptimize(d0, t, 'dense', 10, 'densePasses', 0, 'maxIterations', 0);
%! x = unchecked.record.dense;
%! assert(!unchecked.record.met && x.worst > 0.9 && abs(x.lambda - 0.8) < 5e-4);
%! % with the grid free to grow, the dip's wavelengths join it; the cavity
%! % cannot leave the band by local steps, and the record says so, truly
%! checked = coatoptimize(d0, t, 'dense', 10, 'densePasses', 2, 'maxIterations', 20);
%! l = checked.record.targets.lambda;
%! assert(numel(l) > 5 && any(abs(l - 0.8) < 5e-4));
%! x = l(1:end - 1) + (0:9)' / 10 * diff(l);           % that grid refined tenfold
%! f = coattargets(checked, setfield(t, 'lambda', [x(:)', l(end)]));
%! y = checked.record.dense;
%! assert([y.met, y.worst, y.lambda], [f.met, f.worst, f.worst_lambda], 1e-12);
%!error id=coatoptimize:notEnoughInputs coatoptimize(struct('d', 0.1))
%!error id=coatoptimize:badBounds coatoptimize(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1), 'dmin', 0.2, 'dmax', 0.1)
%!error id=coatoptimize:unknownOption coatoptimize(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1), 'tolerance', 1)
%!error id=coatoptimize:badQuantity coatoptimize(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'Q', 'lambda', 0.8, 'value', 1))
%!error <design.m must give each of the 1 layers> coatoptimize(struct('d', 0.1, 'm', 2, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1))
