% ev = check_targets(targets, design, who): the targets completed and
% checked, each with its defaults, its wavenumbers k, the indices of the
% design's materials there (N, Np, Npp, taken once; a target completed
% before for the same materials keeps them), its scale and its group
% (target_groups). Errors, under
% who: badTargets, badQuantity, badLambda, badAngle, badPolarization,
% badValue, badTolerance, badScale, badType, badWeight, badOffset.
%
% The scale divides a target's excess, so that targets of different
% quantities weigh alike in a merit: the field scale where given, else the
% tolerance where it is > 0, else the natural unit of the quantity
% (natural_scale).
function ev = check_targets(targets, design, who)
  if completed(targets, design)
    ev = targets;
    return;
  end
  if ~isstruct(targets) || isempty(targets) || ~isfield(targets, 'quantity') ...
     || ~isfield(targets, 'lambda') || ~isfield(targets, 'value')
    fault(who, 'badTargets', ...
         'input 2 (targets) must be a struct array with at least the fields quantity, lambda and value.');
  end
  names = {'quantity', 'lambda', 'theta', 'pol', 'value', 'tol', 'type', 'weight', 'offset', ...
           'scale', 'k', 'N', 'Np', 'Npp', 'materials'};
  defaults = {'', [], 0, 's', [], 0, '=', 1, 'fixed', [], [], [], [], [], {}};
  for t = numel(targets):-1:1
    for f = 1:numel(names)
      if isfield(targets, names{f}) && ~isempty(targets(t).(names{f}))
        e.(names{f}) = targets(t).(names{f});
      else
        e.(names{f}) = defaults{f};
      end
    end
    e = check_target(e, t, who);
    if isempty(e.N) || ~isequal(e.materials, design.materials) || size(e.N, 2) ~= numel(e.k)
      [e.N, e.Np, e.Npp] = coating_indices(e.k, design.materials);
      e.materials = design.materials;
    end
    list(t) = e;
  end
  ev = list(:).';
  group = target_groups(ev);           % found afresh: the grids may have changed
  for t = 1:numel(ev)
    ev(t).group = group(t);
  end
end

% Targets an earlier call completed for these materials go as they are.
function ready = completed(targets, design)
  ready = isstruct(targets) && ~isempty(targets) && all(isfield(targets, {'N', 'k', 'materials', 'scale'}));
  for t = 1:numel(targets) * ready
    e = targets(t);
    ready = ready && ~isempty(e.N) && ~isempty(e.scale) && size(e.N, 2) == numel(e.lambda) ...
            && numel(e.k) == numel(e.lambda) && isequal(e.materials, design.materials);
  end
end

function e = check_target(e, t, who)
  quantities = {'R', 'T', 'A', 'GD', 'GDD', 'TOD', 'GDt', 'GDDt', 'TODt'};
  if ~ischar(e.quantity) || ~any(strcmp(e.quantity, quantities))
    fault(who, 'badQuantity', 'targets(%d).quantity must be one of %s.', t, strjoin(quantities, ', '));
  end
  l = e.lambda;
  if ~isnumeric(l) || ~isreal(l) || ~isvector(l) || any(~isfinite(l)) || any(l <= 0)
    fault(who, 'badLambda', 'targets(%d).lambda must be a vector of wavelengths > 0 in um.', t);
  end
  e.lambda = double(l(:).');
  e.k = 2 * pi ./ e.lambda;
  th = e.theta;
  if ~isnumeric(th) || ~isreal(th) || ~isvector(th) || any(~(th >= 0 & th < pi / 2))
    fault(who, 'badAngle', 'targets(%d).theta must be angles in RADIANS, 0 <= theta < pi/2.', t);
  end
  e.theta = double(th(:).');
  if ~ischar(e.pol) || ~any(strcmpi(e.pol, {'s', 'p', 'avg'}))
    fault(who, 'badPolarization', 'targets(%d).pol must be ''s'', ''p'' or ''avg''.', t);
  end
  e.pol = lower(e.pol);
  v = e.value;
  n = numel(e.lambda);
  if ~isnumeric(v) || ~isreal(v) || ~(isscalar(v) || numel(v) == n) || any(~isfinite(v(:)))
    fault(who, 'badValue', 'targets(%d).value must be a finite scalar or one value per wavelength (%d).', t, n);
  end
  e.value = double(v(:).') .* ones(1, n);
  if ~isnumeric(e.tol) || ~isscalar(e.tol) || ~(e.tol >= 0) || ~isfinite(e.tol)
    fault(who, 'badTolerance', 'targets(%d).tol must be a finite scalar >= 0.', t);
  end
  if ~ischar(e.type) || ~any(strcmp(e.type, {'=', '>=', '<='}))
    fault(who, 'badType', 'targets(%d).type must be ''='', ''>='' or ''<=''.', t);
  end
  if ~isnumeric(e.weight) || ~isscalar(e.weight) || ~(e.weight >= 0) || ~isfinite(e.weight)
    fault(who, 'badWeight', 'targets(%d).weight must be a finite scalar >= 0.', t);
  end
  if ~ischar(e.offset) || ~any(strcmp(e.offset, {'fixed', 'free'})) ...
     || (strcmp(e.offset, 'free') && ~any(strcmp(e.quantity, {'GD', 'GDt'})))
    fault(who, 'badOffset', 'targets(%d).offset must be ''fixed'', or ''free'' for a GD or GDt target.', t);
  end
  if isempty(e.scale)
    if e.tol > 0
      e.scale = e.tol;
    else
      e.scale = natural_scale(e.quantity);
    end
  elseif ~isnumeric(e.scale) || ~isscalar(e.scale) || ~(e.scale > 0) || ~isfinite(e.scale)
    fault(who, 'badScale', 'targets(%d).scale must be a finite scalar > 0 in the unit of its quantity.', t);
  end
  e.scale = double(e.scale);
end
