% ev = check_targets(targets, design, who): the targets completed and
% checked, each with its defaults, its wavenumbers k, the indices of the
% design's materials there (N, Np, Npp, taken once; a target completed
% before for the same materials keeps them), its scale and its group
% (target_groups). Names are taken in any case and come back in one
% spelling: the quantity as listed below ('gdd' is 'GDD'), pol 's', 'p' or
% 'avg' ('TE' is 's', 'TM' is 'p'), offset and kind in lower case. The
% targets are checked in order, so a fault is named at the first target
% that has it. A target of the whole plate (Rplate, Tplate, Aplate) needs
% a plate design (a field thickness, see check_plate). Errors, under who:
% badTargets, badQuantity, noPlate, badLambda,
% lambdaUnits, badAngle, badPolarization, badValue, fractionUnits (an R, T
% or A value, tolerance or scale outside [0, 1]), badTolerance, badScale,
% badType, badWeight, badOffset, badKind, badLayers.
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
           'kind', 'scale', 'k', 'N', 'Np', 'Npp', 'materials', 'layers'};
  defaults = {'', [], 0, 's', [], 0, '=', 1, 'fixed', 'point', [], [], [], [], [], {}, []};
  for t = 1:numel(targets)
    for f = 1:numel(names)
      if isfield(targets, names{f}) && ~isempty(targets(t).(names{f}))
        e.(names{f}) = targets(t).(names{f});
      else
        e.(names{f}) = defaults{f};
      end
    end
    e = check_target(e, t, who);
    e.layers = check_field(e, t, design, who);
    if any(strcmp(e.quantity, {'Rplate', 'Tplate', 'Aplate'})) && ~isfield(design, 'thickness')
      fault(who, 'noPlate', ['targets(%d).quantity is %s, of the whole plate, yet the design has no plate: ' ...
                             'it needs thickness (the substrate''s, um), and may have back and exit (see help coatplate).'], ...
            t, e.quantity);
    end
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
  ready = isstruct(targets) && ~isempty(targets) && all(isfield(targets, {'N', 'k', 'materials', 'scale', 'kind'}));
  for t = 1:numel(targets) * ready
    e = targets(t);
    ready = ready && ~isempty(e.N) && ~isempty(e.scale) && size(e.N, 2) == numel(e.lambda) ...
            && numel(e.k) == numel(e.lambda) && isequal(e.materials, design.materials);
  end
end

function e = check_target(e, t, who)
  quantities = {'R', 'T', 'A', 'GD', 'GDD', 'TOD', 'GDt', 'GDDt', 'TODt'};
  quantities{end + 1} = 'E2';        % a field bound, in coatprofile's terms
  quantities = [quantities, {'Rplate', 'Tplate', 'Aplate'}];   % of the whole plate (coatplate)
  q = [];
  if ischar(e.quantity)
    q = find(strcmpi(e.quantity, quantities), 1);
  end
  if isempty(q)
    fault(who, 'badQuantity', 'targets(%d).quantity must be one of %s (in any case); %s was given.', ...
          t, strjoin(quantities, ', '), shown(e.quantity));
  end
  e.quantity = quantities{q};
  fraction = any(strcmp(e.quantity, {'R', 'T', 'A', 'Rplate', 'Tplate', 'Aplate'}));
  l = e.lambda;
  if ~isnumeric(l) || ~isreal(l) || ~isvector(l) || any(~isfinite(l)) || any(l <= 0)
    fault(who, 'badLambda', 'targets(%d).lambda must be a vector of wavelengths > 0 in um.', t);
  end
  check_wavelengths(who, sprintf('targets(%d).lambda', t), l);
  e.lambda = double(l(:).');
  e.k = 2 * pi ./ e.lambda;
  th = e.theta;
  if ~isnumeric(th) || ~isreal(th) || ~isvector(th) || any(~(th >= 0 & th < pi / 2))
    guess = '';
    bad = [];
    if isnumeric(th) && isreal(th)
      bad = th(~(th >= 0 & th < pi / 2));
    end
    if ~isempty(bad) && bad(1) >= pi / 2 && bad(1) < 90
      guess = sprintf('; %g looks like degrees (%.4g rad)', bad(1), bad(1) * pi / 180);
    end
    fault(who, 'badAngle', 'targets(%d).theta must be angles in RADIANS, 0 <= theta < pi/2%s.', t, guess);
  end
  e.theta = double(th(:).');
  pol = polarization_name(e.pol, true);
  if isempty(pol)
    fault(who, 'badPolarization', ...
          'targets(%d).pol must be ''s'' (or ''TE''), ''p'' (or ''TM'') or ''avg'', in any case; %s was given.', ...
          t, shown(e.pol));
  end
  e.pol = pol;
  kinds = {'point', 'mean'};
  if ~ischar(e.kind) || ~any(strcmpi(e.kind, kinds))
    fault(who, 'badKind', 'targets(%d).kind must be ''point'' (every point) or ''mean'' (the band''s mean); %s was given.', ...
          t, shown(e.kind));
  end
  e.kind = lower(e.kind);
  mean_ = strcmp(e.kind, 'mean');
  v = e.value;
  n = numel(e.lambda);
  if ~isnumeric(v) || ~isreal(v) || ~(isscalar(v) || numel(v) == n) || any(~isfinite(v(:))) ...
     || (mean_ && any(v(:) ~= v(1)))
    if mean_
      fault(who, 'badValue', 'targets(%d).value must be a finite scalar: the value of the band''s mean.', t);
    end
    fault(who, 'badValue', 'targets(%d).value must be a finite scalar or one value per wavelength (%d).', t, n);
  end
  if fraction
    check_fraction(who, t, e.quantity, 'value', v);
  end
  e.value = double(v(:).') .* ones(1, n);
  if ~isnumeric(e.tol) || ~isscalar(e.tol) || ~(e.tol >= 0) || ~isfinite(e.tol)
    fault(who, 'badTolerance', 'targets(%d).tol must be a finite scalar >= 0.', t);
  end
  if fraction
    check_fraction(who, t, e.quantity, 'tol', e.tol);
  end
  if ~ischar(e.type) || ~any(strcmp(e.type, {'=', '>=', '<='}))
    fault(who, 'badType', 'targets(%d).type must be ''='', ''>='' or ''<=''; %s was given.', t, shown(e.type));
  end
  if ~isnumeric(e.weight) || ~isscalar(e.weight) || ~(e.weight >= 0) || ~isfinite(e.weight)
    fault(who, 'badWeight', 'targets(%d).weight must be a finite scalar >= 0.', t);
  end
  if ~ischar(e.offset) || ~any(strcmpi(e.offset, {'fixed', 'free'})) ...
     || (strcmpi(e.offset, 'free') && (~any(strcmp(e.quantity, {'GD', 'GDt'})) || mean_))
    fault(who, 'badOffset', 'targets(%d).offset must be ''fixed'', or ''free'' for a GD or GDt target of every point.', t);
  end
  e.offset = lower(e.offset);
  if isempty(e.scale)
    if e.tol > 0
      e.scale = e.tol;
    else
      e.scale = natural_scale(e.quantity);
    end
  elseif ~isnumeric(e.scale) || ~isscalar(e.scale) || ~(e.scale > 0) || ~isfinite(e.scale)
    fault(who, 'badScale', 'targets(%d).scale must be a finite scalar > 0 in the unit of its quantity.', t);
  elseif fraction
    check_fraction(who, t, e.quantity, 'scale', e.scale);
  end
  e.scale = double(e.scale);
end

% A field bound ('E2') bounds |E|^2 from above in the layers it selects: a
% material number or name, or {'outer', c}; its value is >= 0 (relative to
% the incident wave's |E|^2), its type '<=' and its kind 'point'. The
% selector comes back as a material number or {'outer', c}; other targets
% take none.
function layers = check_field(e, t, design, who)
  layers = e.layers;
  if ~strcmp(e.quantity, 'E2')
    if ~isempty(layers)
      fault(who, 'badLayers', 'targets(%d).layers selects the layers of a field target (quantity ''E2''); a %s target takes none.', ...
            t, e.quantity);
    end
    return;
  end
  M = numel(design.materials) - 1;
  names = cellfun(@material_name, design.materials(1:M), 'UniformOutput', false);
  if ischar(layers) && any(strcmpi(layers, names))
    layers = find(strcmpi(layers, names), 1);
  end
  outer = iscell(layers) && numel(layers) == 2 && ischar(layers{1}) && strcmpi(layers{1}, 'outer') ...
          && isnumeric(layers{2}) && isscalar(layers{2}) && layers{2} >= 1 && layers{2} == round(layers{2});
  if outer
    layers = {'outer', double(layers{2})};
  elseif ~(isnumeric(layers) && isscalar(layers) && layers >= 1 && layers <= M && layers == round(layers))
    fault(who, 'badLayers', ['targets(%d).layers must select the layers whose |E|^2 is bounded: a material ' ...
          'number 1..%d, a material name (%s) or {''outer'', c} for the c layers next to the ambient; %s was given.'], ...
          t, M, strjoin(names, ', '), shown(layers));
  end
  if any(e.value < 0)
    fault(who, 'badValue', 'targets(%d).value bounds |E|^2, relative to the incident wave''s: >= 0 expected, %g given.', ...
          t, min(e.value));
  end
  if ~strcmp(e.type, '<=') || ~strcmp(e.kind, 'point')
    fault(who, 'badType', 'targets(%d) bounds |E|^2 from above: its type must be ''<='' and its kind ''point''.', t);
  end
end

% R, T and A are fractions: a value, tolerance or scale outside [0, 1] was
% most likely given in percent.
function check_fraction(who, t, quantity, field, x)
  bad = x(~(x >= 0 & x <= 1));
  if isempty(bad)
    return;
  end
  guess = '';
  if bad(1) > 1 && bad(1) <= 100
    guess = sprintf('; %g looks like a percentage (%g)', bad(1), bad(1) / 100);
  end
  fault(who, 'fractionUnits', 'targets(%d).%s = %g, yet %s is a fraction from 0 to 1%s.', ...
        t, field, bad(1), quantity, guess);
end

% A value as a message shows it: text quoted, anything else by its class.
function s = shown(x)
  if ischar(x) && size(x, 1) <= 1
    s = [ x ];
  else
    s = sprintf('a %s', class(x));
  end
end
