%COATTARGETS How far a coating is from its targets: deviations, merit, residuals and their exact Jacobian.
%   ev = coattargets(design, targets)
%   [ev, merit, r, J] = coattargets(design, targets)
%   [ev, merit, r, J, needle] = coattargets(design, targets, z, mu)
%   [ev, merit, r, J, needle, design] = coattargets(...)
%
%   The one evaluation of a design against a list of targets that
%   coatoptimize, coattolerance and coatplot share, through coatresponse and
%   coatprofile.
%
%   Inputs
%     design   struct: d (Lx1 layer thicknesses in um, layer 1 next to the
%              ambient), m (Lx1 material numbers 1..M), materials (cell
%              array: the M layer materials, then the substrate; each a
%              catalogue name or a struct of coefficients, as coating_indices
%              takes them), ambient (the ambient index, real, default 1).
%     targets  struct array, one element a target, fields:
%       quantity  a real quantity of coatresponse: 'R', 'T', 'A', 'GD',
%                 'GDD', 'TOD', 'GDt', 'GDDt' or 'TODt' (fs, fs^2, fs^3).
%       lambda    the wavelengths, um (a vector of n).
%       theta     angles of incidence in RADIANS, a scalar or a vector:
%                 the target holds at every angle (default 0).
%       pol       's', 'p' or 'avg' (the mean of the s and p values);
%                 default 's'.
%       value     the target value, a scalar or one per wavelength.
%       tol       a deviation up to tol costs nothing (default 0).
%       type      '=' (default), '>=' or '<=': one-sided targets cost only
%                 below (above) value - tol (value + tol).
%       weight    the weight of the target in the merit (default 1).
%       offset    'fixed' (default) or, for GD and GDt, 'free': the value is
%                 met up to a constant (the mean deviation over the target's
%                 points), as GD is specified.
%     z, mu    depths in um (P, 0 <= z <= sum(d)) and the needle materials
%              (numbers 1..M) for the needle function below.
%
%   Outputs
%     ev       the targets completed (defaults filled, value 1xn), each with
%              k (rad/um), N, Np, Npp (its indices; passing ev back as
%              targets for the same materials reuses them), and
%              q         (a x n) the quantity at each angle (rows) and wavelength;
%              offset_value  the free constant (0 when fixed);
%              excess    (a x n) the deviation beyond the tolerance, signed
%                        (0 where the target is met);
%              worst     max |excess|; worst_lambda, worst_theta: where;
%              met       true where every point is within the tolerance;
%              merit     weight * mean(excess.^2) over its a x n points;
%              dq        (L x n x a) dq/dd, with J only.
%     merit    the sum of the targets' merits.
%     r        the residuals, one per point of every target:
%              sqrt(weight / (a n)) * excess, so merit = sum(r.^2).
%     J        numel(r) x L: dr/dd, exact (from coatresponse's gradients;
%              0 where a point is within its tolerance).
%     needle   P x numel(mu): d merit / dt for a layer of material mu(c) of
%              thickness t inserted at z(p) (coatprofile's 'ng'), per um;
%              negative where such a needle lowers the merit ([] without z).
%     design   the design as checked: d and m columns, ambient filled in.
%
%   Errors (identifiers coattargets:<reason>): badDesign, badMaterials,
%   badTargets, badQuantity, badLambda, badAngle, badPolarization,
%   badValue, badTolerance, badType, badWeight, badOffset, badNeedle.
%
%   Example: how far a quarter-wave stack is from R >= 99.9 % over 750 to 850 nm
%     design = struct('d', repmat([0.0845; 0.1376], 10, 1), 'm', repmat([1; 2], 10, 1), ...
%                     'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%     t = struct('quantity', 'R', 'lambda', linspace(0.75, 0.85, 51), 'value', 0.999, 'type', '>=');
%     [ev, merit] = coattargets(design, t);
%     R = ev.q;  worst = ev.worst;
%
%   See also coatoptimize, coattolerance, coatplot, coatresponse, coatprofile.
function [ev, merit, r, J, needle, design] = coattargets(design, targets, z, mu)
  if nargin < 2
    error('coattargets:notEnoughInputs', 'coattargets: needs a design and targets.');
  end
  design = check_design(design, 'coattargets');
  ev = prepare_targets(targets, design, 'coattargets');
  % the gradients (ev.dq and J) with J, unless only the needle function is
  % taken ([~, ~, ~, ~, needle] = ...)
  want_jacobian = nargout > 3 && (isargout(1) || isargout(4));
  L = numel(design.d);
  merit = 0;
  r = cell(numel(ev), 1);
  J = cell(numel(ev), 1);
  needle = [];
  if nargin > 2
    if nargin < 4 || ~isnumeric(mu) || isempty(mu) || any(mu(:) ~= round(mu(:))) ...
       || any(mu(:) < 1 | mu(:) > numel(design.materials) - 1)
      error('coattargets:badNeedle', ...
            'coattargets: inputs 3 and 4 (z, mu) must be depths in um and needle materials 1..%d.', ...
            numel(design.materials) - 1);
    end
    needle = zeros(numel(z), numel(mu));
  end
  % Targets on one grid, at the same angles and polarisations share their
  % calls of coatresponse: group g answers every quantity its targets ask.
  group = 1:numel(ev);
  for t = 2:numel(ev)
    for u = 1:t - 1
      if group(u) == u && strcmp(ev(u).pol, ev(t).pol) && isequal(ev(u).theta, ev(t).theta) ...
         && isequal(ev(u).lambda, ev(t).lambda)
        group(t) = u;
        break;
      end
    end
  end
  responses = cell(1, numel(ev));
  for g = unique(group)
    e = ev(g);
    names = unique({ev(group == g).quantity});
    want = names;
    if want_jacobian, want = [names, strcat('d', names)]; end
    pols = polarizations(e.pol);
    responses{g} = cell(numel(e.theta), numel(pols));
    for ia = 1:numel(e.theta)
      for ip = 1:numel(pols)
        responses{g}{ia, ip} = coatresponse(e.k, design.d, design.m, design.ambient, e.N, e.Np, e.Npp, ...
                                            e.theta(ia), pols{ip}, want);
      end
    end
  end
  for t = 1:numel(ev)
    e = ev(t);
    pols = polarizations(e.pol);
    a = numel(e.theta);  n = numel(e.lambda);
    q = zeros(a, n);
    dq = zeros(L, n, a);
    name = e.quantity;
    for ia = 1:a
      for ip = 1:numel(pols)
        o = responses{group(t)}{ia, ip};
        q(ia, :) = q(ia, :) + o.(name) / numel(pols);
        if want_jacobian
          dq(:, :, ia) = dq(:, :, ia) + o.(['d' name]) / numel(pols);
        end
      end
    end
    dev = bsxfun(@minus, q, e.value);
    c = 0;
    if strcmp(e.offset, 'free'), c = mean(dev(:)); end
    dev = dev - c;
    switch e.type
      case '='
        s = sign(dev) .* max(abs(dev) - e.tol, 0);
      case '>='
        s = min(dev + e.tol, 0);
      otherwise
        s = max(dev - e.tol, 0);
    end
    scale = sqrt(e.weight / (a * n));
    [worst, i] = max(abs(s(:)));
    [ia, il] = ind2sub([a n], i);
    ev(t).q = q;
    if want_jacobian, ev(t).dq = dq; end
    ev(t).offset_value = c;
    ev(t).excess = s;
    ev(t).worst = worst;
    ev(t).worst_lambda = e.lambda(il);
    ev(t).worst_theta = e.theta(ia);
    ev(t).met = worst == 0;
    ev(t).merit = e.weight * mean(s(:) .^ 2);
    merit = merit + ev(t).merit;
    st = s.';                                   % points ordered wavelength-fastest
    r{t} = scale * st(:);
    if want_jacobian
      D = reshape(permute(dq, [2 3 1]), a * n, L);   % (points) x L, same order
      if strcmp(e.offset, 'free'), D = bsxfun(@minus, D, mean(D, 1)); end
      J{t} = bsxfun(@times, scale * D, st(:) ~= 0);
    end
    if nargin > 2 && any(s(:) ~= 0)
      % d merit / d q at each point: 2 scale r, centred when the offset is free
      w = 2 * scale * r{t};
      if strcmp(e.offset, 'free'), w = w - mean(w); end
      w = reshape(w, n, a).' / numel(pols);
      % every needle material in one call: the depths once per material
      zz = repmat(z(:), numel(mu), 1);
      mm = kron(mu(:), ones(numel(z), 1));
      for ia = 1:a
        weights = struct(name, w(ia, :));
        for ip = 1:numel(pols)
          o = coatprofile(e.k, design.d, design.m, design.ambient, e.N, e.Np, e.Npp, ...
                          e.theta(ia), pols{ip}, zz, 'ng', mm, weights);
          needle = needle + reshape(o.ng, numel(z), numel(mu));
        end
      end
    end
  end
  r = vertcat(r{:});
  if want_jacobian
    J = vertcat(J{:});
    if isempty(J), J = zeros(0, L); end
  end
end

function p = polarizations(pol)
  if strcmp(pol, 'avg')
    p = {'s', 'p'};
  else
    p = {pol};
  end
end

% The design with its defaults, checked: thicknesses and materials as
% columns, one material number per layer, within the list.
function design = check_design(design, who)
  if ~isstruct(design) || numel(design) ~= 1 || ~all(isfield(design, {'d', 'm', 'materials'}))
    error([who ':badDesign'], ...
          '%s: input 1 (design) must be a struct with fields d (um), m (material numbers) and materials.', who);
  end
  if ~isfield(design, 'ambient') || isempty(design.ambient), design.ambient = 1; end
  d = design.d;  m = design.m;
  if ~isnumeric(d) || ~isreal(d) || ~(isvector(d) || isempty(d)) || any(~isfinite(d(:))) || any(d(:) < 0)
    error([who ':badDesign'], '%s: design.d must be a vector of thicknesses >= 0 in um.', who);
  end
  mats = design.materials;
  if ischar(mats), mats = {mats}; end
  if ~iscell(mats) || numel(mats) < 1
    error([who ':badMaterials'], ...
          '%s: design.materials must be a cell array: the layer materials, then the substrate.', who);
  end
  if ~isnumeric(m) || numel(m) ~= numel(d) || any(m(:) ~= round(m(:))) ...
     || any(m(:) < 1 | m(:) > numel(mats) - 1)
    error([who ':badDesign'], ...
          '%s: design.m must give each of the %d layers a material number 1..%d (design.materials lists %d, the substrate last).', ...
          who, numel(d), numel(mats) - 1, numel(mats));
  end
  a = design.ambient;
  if ~isnumeric(a) || ~isscalar(a) || ~isreal(a) || ~(a > 0)
    error([who ':badDesign'], '%s: design.ambient must be a real index > 0.', who);
  end
  design.d = double(d(:));
  design.m = double(m(:));
  design.materials = mats(:).';
  design.ambient = double(a);
end

function ev = prepare_targets(targets, design, who)
  % targets completed by an earlier call for these materials go as they are
  if isstruct(targets) && isfield(targets, 'N') && isfield(targets, 'k') && isfield(targets, 'materials')
    ready = true;
    for t = 1:numel(targets)
      e = targets(t);
      ready = ready && ~isempty(e.N) && size(e.N, 2) == numel(e.lambda) ...
              && numel(e.k) == numel(e.lambda) && isequal(e.materials, design.materials);
    end
    if ready
      ev = targets;
      return;
    end
  end
  if ~isstruct(targets) || isempty(targets) || ~isfield(targets, 'quantity') ...
     || ~isfield(targets, 'lambda') || ~isfield(targets, 'value')
    error([who ':badTargets'], ...
          '%s: input 2 (targets) must be a struct array with at least the fields quantity, lambda and value.', who);
  end
  names = {'quantity', 'lambda', 'theta', 'pol', 'value', 'tol', 'type', 'weight', 'offset', ...
           'k', 'N', 'Np', 'Npp', 'materials'};
  defaults = {'', [], 0, 's', [], 0, '=', 1, 'fixed', [], [], [], [], {}};
  for t = numel(targets):-1:1
    for f = 1:numel(names)
      if isfield(targets, names{f}) && ~isempty(targets(t).(names{f}))
        e.(names{f}) = targets(t).(names{f});
      else
        e.(names{f}) = defaults{f};
      end
    end
    e = check_target(e, t, who);
    % indices once per target; a completed target for the same materials keeps them
    if isempty(e.N) || ~isequal(e.materials, design.materials) || size(e.N, 2) ~= numel(e.k)
      [e.N, e.Np, e.Npp] = coating_indices(e.k, design.materials);
      e.materials = design.materials;
    end
    list(t) = e;
  end
  ev = list(:).';
end

function e = check_target(e, t, who)
  quantities = {'R', 'T', 'A', 'GD', 'GDD', 'TOD', 'GDt', 'GDDt', 'TODt'};
  if ~ischar(e.quantity) || ~any(strcmp(e.quantity, quantities))
    error([who ':badQuantity'], '%s: targets(%d).quantity must be one of %s.', ...
          who, t, strjoin(quantities, ', '));
  end
  l = e.lambda;
  if ~isnumeric(l) || ~isreal(l) || ~isvector(l) || any(~isfinite(l)) || any(l <= 0)
    error([who ':badLambda'], '%s: targets(%d).lambda must be a vector of wavelengths > 0 in um.', who, t);
  end
  e.lambda = double(l(:).');
  e.k = 2 * pi ./ e.lambda;
  th = e.theta;
  if ~isnumeric(th) || ~isreal(th) || ~isvector(th) || any(~(th >= 0 & th < pi / 2))
    error([who ':badAngle'], ...
          '%s: targets(%d).theta must be angles in RADIANS, 0 <= theta < pi/2.', who, t);
  end
  e.theta = double(th(:).');
  if ~ischar(e.pol) || ~any(strcmpi(e.pol, {'s', 'p', 'avg'}))
    error([who ':badPolarization'], '%s: targets(%d).pol must be ''s'', ''p'' or ''avg''.', who, t);
  end
  e.pol = lower(e.pol);
  v = e.value;
  n = numel(e.lambda);
  if ~isnumeric(v) || ~isreal(v) || ~(isscalar(v) || numel(v) == n) || any(~isfinite(v(:)))
    error([who ':badValue'], ...
          '%s: targets(%d).value must be a finite scalar or one value per wavelength (%d).', who, t, n);
  end
  e.value = double(v(:).') .* ones(1, n);
  if ~isnumeric(e.tol) || ~isscalar(e.tol) || ~(e.tol >= 0)
    error([who ':badTolerance'], '%s: targets(%d).tol must be a scalar >= 0.', who, t);
  end
  if ~ischar(e.type) || ~any(strcmp(e.type, {'=', '>=', '<='}))
    error([who ':badType'], '%s: targets(%d).type must be ''='', ''>='' or ''<=''.', who, t);
  end
  if ~isnumeric(e.weight) || ~isscalar(e.weight) || ~(e.weight >= 0) || ~isfinite(e.weight)
    error([who ':badWeight'], '%s: targets(%d).weight must be a finite scalar >= 0.', who, t);
  end
  if ~ischar(e.offset) || ~any(strcmp(e.offset, {'fixed', 'free'})) ...
     || (strcmp(e.offset, 'free') && ~any(strcmp(e.quantity, {'GD', 'GDt'})))
    error([who ':badOffset'], ...
          '%s: targets(%d).offset must be ''fixed'', or ''free'' for a GD or GDt target.', who, t);
  end
end

%!shared design, k
%! design = struct('d', [0.1; 0.15; 0.08], 'm', [1; 2; 1], 'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%!test  # R, the s/p mean and a free GD offset as coatresponse gives them; J is the difference quotient of r
%! t = struct('quantity', {'R', 'GD'}, 'lambda', {[0.7 0.8 0.9], [0.7 0.8]}, 'theta', {[0 0.3], 0.2}, ...
%!            'pol', {'avg', 'p'}, 'value', {0.5, [1 2]}, 'type', {'>=', '='}, 'tol', {0.01, 0}, ...
%!            'offset', {'fixed', 'free'}, 'weight', {3, 1});
%! [ev, merit, r, J] = coattargets(design, t);
%! [N, Np, Npp] = coating_indices(2*pi ./ [0.7 0.8 0.9], design.materials);
%! s = coatresponse(2*pi ./ [0.7 0.8 0.9], design.d, design.m, 1, N, Np, Npp, 0.3, 's', 'R');
%! p = coatresponse(2*pi ./ [0.7 0.8 0.9], design.d, design.m, 1, N, Np, Npp, 0.3, 'p', 'R');
%! assert(ev(1).q(2, :), (s.R + p.R) / 2, 1e-15);
%! assert(ev(1).excess, min(ev(1).q - 0.5 + 0.01, 0), 1e-15);
%! assert(mean(ev(2).q - [1 2] - ev(2).offset_value), 0, 1e-12);
%! assert(merit, sum(r .^ 2), 1e-12);
%! assert(size(J), [numel(r) 3]);
%! h = 1e-6;                 % central differences: error ~ h^2 |r'''|, far below 1e-6 |J|
%! for j = 1:3
%!   up = design;  up.d(j) += h;  dn = design;  dn.d(j) -= h;
%!   [~, ~, ru] = coattargets(up, ev);  [~, ~, rd] = coattargets(dn, ev);
%!   assert(J(:, j), (ru - rd) / (2 * h), 1e-6 * max(abs(J(:))));
%! end
%!test  # the needle function is the merit's slope for a thin needle inserted there
%! t = struct('quantity', 'GDD', 'lambda', linspace(0.75, 0.85, 7), 'value', -20, 'pol', 'avg', 'theta', 0.1);
%! z = [0.05; 0.2];
%! [~, merit, ~, ~, ng] = coattargets(design, t, z, [1 2]);
%! tt = 1e-7;
%! thin = design;  thin.d = [0.05; tt; 0.05; 0.15; 0.08];  thin.m = [1; 2; 1; 2; 1];
%! [~, m1] = coattargets(thin, t);
%! assert((m1 - merit) / tt, ng(1, 2), 1e-3 * abs(ng(1, 2)));
%! assert(ng(1, 1), 0);                        % a TiO2 needle in TiO2 is no change
%!error id=coattargets:badQuantity coattargets(design, struct('quantity', 'X', 'lambda', 0.8, 'value', 1))
%!error id=coattargets:badOffset coattargets(design, struct('quantity', 'R', 'lambda', 0.8, 'value', 1, 'offset', 'free'))
%!error id=coattargets:badAngle coattargets(design, struct('quantity', 'R', 'lambda', 0.8, 'value', 1, 'theta', 2))
%!error id=coattargets:badDesign coattargets(setfield(design, 'm', [1; 3; 1]), struct('quantity', 'R', 'lambda', 0.8, 'value', 1))
