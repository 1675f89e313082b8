% Designs from targets alone: coatdesign on five design tasks, each with
% default weights, each result checked here by coatresponse itself on a grid
% ten times finer than the targets'.
%   octave-cli --eval "addpath('build/mex'); addpath('bench'); design_goals"
%   design_goals('tisapphire')         one case: tisapphire, wide, coupler,
%                                      silver, hd
%   design_goals('tisapphire', 'parallel', false, 'seed', 2)
%                                      options passed on to coatdesign
%   design_goals('evolution')          the Ti:sapphire mirror grown from a
%                                      thin start alone (coatoptimize with
%                                      needles and growth, as coatdesign's
%                                      thin start), for comparison
% Prints, per case: met (coatdesign's verdict and this check's), layers,
% thinnest layer, total thickness, the worst excess on the fine grid, and
% the seconds. Timings depend on the machine's load: note it (uptime).
function results = design_goals(which, varargin)
  if nargin < 1 || isempty(which)
    which = {'tisapphire', 'wide', 'coupler', 'silver', 'hd'};
  elseif ischar(which)
    which = {which};
  end
  results = struct('name', {}, 'met', {}, 'checked', {}, 'layers', {}, 'thinnest', {}, ...
                   'thickness', {}, 'time', {}, 'design', {});
  for i = 1:numel(which)
    [targets, materials, options, limits] = goal(which{i});
    tic;
    if strcmp(which{i}, 'evolution')
      n = coating_indices(2 * pi / 0.8, materials);
      thin = struct('d', 0.8 ./ (4 * n(1:2).'), 'm', [1; 2], 'materials', {materials});
      design = coatoptimize(thin, targets, 'dmin', 0.015, 'maxLayers', 50, 'needle', 50, ...
                            'grow', true, 'maxIterations', 1000, varargin{:});
      design.record.stop = design.record.message;
    else
      design = coatdesign(targets, materials, options{:}, varargin{:});
    end
    time = toc;
    [checked, worst] = check(design, targets, limits);
    fprintf(['%-11s met %d (checked %d), %2d layers, thinnest %.1f nm, %.3f um, %.1f s; ' ...
             'worst excess on the fine grid: %s; %s\n'], which{i}, design.record.met, checked, ...
            numel(design.d), 1000 * min(design.d(~fixed_layers(design, options))), sum(design.d), ...
            time, worst, design.record.stop);
    results(end + 1) = struct('name', which{i}, 'met', design.record.met, 'checked', checked, ...
                              'layers', numel(design.d), ...
                              'thinnest', min(design.d), 'thickness', sum(design.d), ...
                              'time', time, 'design', design);
  end
end

function fixed = fixed_layers(design, options)
  fixed = false(size(design.d));
  i = find(strcmpi(options(1:2:end), 'fixed'));
  if ~isempty(i)
    fixed(end - numel(options{2 * i}.d) + 1:end) = true;
  end
end

function [targets, materials, options, limits] = goal(name)
  limits = struct('maxLayers', Inf, 'dmin', 0);
  switch name
    case {'tisapphire', 'evolution'}
      % Ti:sapphire dispersive mirror: 10 deg, s and p averaged
      targets = struct('quantity', {'GDD', 'R'}, 'lambda', linspace(0.72, 0.88, 81), ...
                       'theta', 10 * pi / 180, 'pol', 'avg', 'value', {-60, 0.997}, ...
                       'tol', {6, 0}, 'type', {'=', '>='});
      materials = {'TiO2', 'SiO2', 'fused silica'};
      options = {'maxLayers', 50, 'dmin', 0.015, 'time', 15};
      limits = struct('maxLayers', 50, 'dmin', 0.015);
    case 'wide'
      % the same mirror, wider: -80 +- 5 fs^2 over 700-900 nm
      targets = struct('quantity', {'GDD', 'R'}, 'lambda', linspace(0.70, 0.90, 101), ...
                       'theta', 10 * pi / 180, 'pol', 'avg', 'value', {-80, 0.997}, ...
                       'tol', {5, 0}, 'type', {'=', '>='});
      materials = {'TiO2', 'SiO2', 'fused silica'};
      options = {'maxLayers', 50, 'dmin', 0.015, 'time', 60};
      limits = struct('maxLayers', 50, 'dmin', 0.015);
    case 'coupler'
      % output coupler: T 3 +- 0.3 % at 1030 nm, |GDD| <= 5 fs^2 over 1000-1060 nm
      targets = struct('quantity', {'T', 'GDD'}, 'lambda', {1.03, linspace(1.0, 1.06, 31)}, ...
                       'value', {0.03, 0}, 'tol', {0.003, 5}, 'type', {'=', '='});
      materials = {'TiO2', 'SiO2', 'fused silica'};
      options = {'maxLayers', 20, 'dmin', 0.01, 'time', 30};
      limits = struct('maxLayers', 20, 'dmin', 0.01);
    case 'silver'
      % protected, enhanced silver: 150 nm of silver (kept) on fused silica
      % under silica and titania, R >= 98 % from 500 to 1000 nm at 0 and
      % 45 deg, s and p averaged (bare, this silver reflects 95 to 98 %)
      targets = struct('quantity', 'R', 'lambda', linspace(0.5, 1.0, 51), ...
                       'theta', [0 pi / 4], 'pol', 'avg', 'value', 0.98, 'type', '>=');
      materials = {'TiO2', 'SiO2', 'Ag', 'fused silica'};
      options = {'maxLayers', 8, 'dmin', 0.01, 'time', 30, ...
                 'fixed', struct('d', 0.15, 'm', 3)};
      limits = struct('maxLayers', 8, 'dmin', 0.01);
    case 'hd'
      % high-dispersion mirror: -1300 +- 65 fs^2 (5 %), R >= 99.9 %, 780-820 nm
      targets = struct('quantity', {'GDD', 'R'}, 'lambda', linspace(0.78, 0.82, 41), ...
                       'value', {-1300, 0.999}, 'tol', {65, 0}, 'type', {'=', '>='});
      materials = {'Ta2O5', 'SiO2', 'fused silica'};
      options = {'maxLayers', 90, 'dmin', 0.015, 'time', 300};
      limits = struct('maxLayers', 90, 'dmin', 0.015);
  end
end

% Every target on a grid ten times finer than its own, by coatresponse
% itself (not coattargets): whether each holds within tolerance, and the
% worst excess of each, in the quantity's unit.
function [ok, text] = check(design, targets, limits)
  ok = numel(design.d) <= limits.maxLayers;
  text = '';
  for t = 1:numel(targets)
    e = targets(t);
    l = e.lambda;
    if numel(l) > 1
      l = linspace(min(l), max(l), 10 * (numel(l) - 1) + 1);
    end
    k = 2 * pi ./ l;
    [N, Np, Npp] = coating_indices(k, design.materials);
    if ~isfield(e, 'theta') || isempty(e.theta), e.theta = 0; end
    if ~isfield(e, 'pol') || isempty(e.pol), e.pol = 's'; end
    if ~isfield(e, 'tol') || isempty(e.tol), e.tol = 0; end
    worst = 0;
    for a = e.theta
      pols = {e.pol};
      if strcmp(e.pol, 'avg'), pols = {'s', 'p'}; end
      q = 0;
      for p = 1:numel(pols)
        o = coatresponse(k, design.d, design.m, 1, N, Np, Npp, a, pols{p}, e.quantity);
        q = q + o.(e.quantity) / numel(pols);
      end
      switch e.type
        case '='
          x = max(abs(q - e.value) - e.tol);
        case '>='
          x = max(e.value - e.tol - q);
        otherwise
          x = max(q - e.value - e.tol);
      end
      worst = max(worst, x);
    end
    ok = ok && worst <= 0;
    text = [text, sprintf('%s %.3g  ', e.quantity, max(worst, 0))];
  end
end
