%COATPLOT The figure a designer reads: each target against wavelength with its band, the spread, the layers.
%   coatplot(design, targets)
%   coatplot(design, targets, report)
%   coatplot(design, targets, report, png)
%   h = coatplot(...)
%
%   Inputs
%     design   a struct as coatoptimize returns it: d (Lx1 um), m, materials,
%              ambient (see help coattargets).
%     targets  the targets, a struct array as coattargets takes it.
%     report   [] or the report of coattolerance for these targets: its
%              outermost quantiles are drawn as the Monte-Carlo envelope
%              (without samples, the linearised standard deviation either
%              side of the design).
%     png      a file name: the figure is drawn offscreen and written there
%              as a PNG (900 pixels wide, 260 high per panel); omitted, the
%              figure (of that size) is shown.
%
%   One panel per target, its quantity against wavelength (nm) on a grid
%   ten times finer than the target's, every angle a line (s/p mean where
%   pol is 'avg'), the band where the target is met shaded (shifted by the
%   free constant of a GD target; out to the axis on a one-sided target's
%   open side). R and T are shown as log10(1 - R) where the target asks for
%   more than 90 %, else in %; the axis spans the curves and the band's
%   finite edges (R >= 1 asks for 1 - R = 0, below every such axis: its
%   band is a strip at the bottom; a band of no width, a strip about its
%   value). A target at one wavelength is a point and its band a bar, on an
%   axis 2 % either side, with the design's curve there as a thin line. A
%   'mean' target adds its mean at each angle, dotted, against its band. A
%   field bound (E2) shows the highest |E|^2 of its sampled depths at each
%   wavelength, relative to the incident wave's, against its bound.
%   Last, the thicknesses in nm as bars of one width, layer 1 next to the
%   ambient, coloured by material, the legend above the thickest. Each
%   panel has room above for its title and below for its tick labels.
%
%   Output: h, the figure's handle ([] after writing png, which closes it).
%
%   Each panel's title gives the target and its worst excess on that grid,
%   in the quantity's unit and in units of the target's scale (see help
%   coattargets).
%
%   Errors (identifiers coatplot:<reason>): notEnoughInputs, badReport (not
%   a report of these targets), badFile, and those of coattargets for the
%   design and the targets (badDesign, badQuantity, ...).
%
%   Example: a quarter-wave mirror's reflectance and its layers, as a PNG
%     design = struct('d', repmat([0.0845; 0.1376], 8, 1), 'm', repmat([1; 2], 8, 1), ...
%                     'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%     t = struct('quantity', 'R', 'lambda', linspace(0.7, 0.9, 41), 'value', 0.99, 'type', '>=');
%     coatplot(design, t, [], fullfile(tempdir(), 'mirror_targets.png'));
%
%   See also coatoptimize, coattolerance, coattargets, coat_print_png.
function h = coatplot(design, targets, report, png)
  who = 'coatplot';
  if nargin < 2
    fault(who, 'notEnoughInputs', 'needs a design and targets.');
  end
  if nargin < 3, report = []; end
  if nargin > 3 && ~(ischar(png) && ~isempty(png))
    fault(who, 'badFile', 'input 4 (png) must be a file name; a %s was given.', class(png));
  end
  design = check_design(design, who);
  ev = check_targets(targets, design, who);
  if ~isempty(report) && ~(isstruct(report) && isfield(report, 'targets') ...
                           && numel(report.targets) == numel(ev))
    fault(who, 'badReport', 'input 3 (report) must be [] or coattolerance''s report for these %d targets.', numel(ev));
  end
  fine = evaluate_targets(design, check_targets(coat_dense_targets(ev, 10), design, who), 'values');

  % The layout in pixels: a panel of 260 for each target and the layers,
  % 900 wide; in each, room above the axes for the title and below for the
  % tick labels and the axis label, so that no title meets the tick labels
  % of the panel above.
  panels = numel(ev) + 1;
  width = 900;  height = 260 * panels;
  if nargin > 3
    h = coat_print_png();
  else
    h = figure();
  end
  set(h, 'position', [50 50 width height], 'defaultaxesfontsize', 7, 'defaulttextfontsize', 7);
  below = 66;  above = 46;
  slot = @(i) [0.12, 1 - (i * 260 - below) / height, 0.84, (260 - below - above) / height];
  style = struct('blue', [0 0.35 0.75], 'sand', [1 0.88 0.75], 'swatch', [0.98 0.76 0.52], ...
                 'grey', [0.5 0.5 0.5]);
  for t = 1:numel(ev)
    axes('position', slot(t));
    x = [];
    if ~isempty(report), x = envelope(report.targets(t)); end
    near = [];
    if numel(unique(fine(t).lambda)) == 1
      % one wavelength: the design near it too, 2 % either side
      around = rmfield(ev(t), intersect(fieldnames(ev(t)), {'N', 'Np', 'Npp', 'k', 'materials', 'group'}));
      around.lambda = fine(t).lambda(1) * linspace(0.98, 1.02, 41);
      around.value = around.value(1);
      around.offset = 'fixed';
      near = evaluate_targets(design, check_targets(around, design, who), 'values');
    end
    draw_target(fine(t), x, near, style);
  end

  axes('position', slot(panels));
  draw_layers(design);
  if nargin > 3
    coat_print_png(h, png, width, height);
    h = [];
  end
end

% One target's panel: its quantity against wavelength (nm), every angle a
% line, the band where the target is met shaded out to the axes' edges on
% its open side, the Monte-Carlo envelope x where given; one wavelength a
% point with its band as a bar, the design near it (near) a thin line.
function draw_target(e, x, near, style)
  nm = 1000 * e.lambda;
  high = any(strcmp(e.quantity, {'R', 'T'})) && min(e.value) > 0.9;
  units = struct('R', '', 'T', '', 'A', '', 'GD', ' (fs)', 'GDD', ' (fs^2)', 'TOD', ' (fs^3)', ...
                 'GDt', ' (fs)', 'GDDt', ' (fs^2)', 'TODt', ' (fs^3)');
  if high
    % 1 - R on a log scale: R = 1 lies at -Inf, below every axis
    show = @(v) log10(max(1 - v, 0));
    label = sprintf('log10(1 - %s)', e.quantity);
  elseif any(strcmp(e.quantity, {'R', 'T', 'A'}))
    show = @(v) 100 * v;
    label = [e.quantity ' (%)'];
  elseif strcmp(e.quantity, 'E2')
    % a field bound: the highest |E|^2 of its sampled depths at each wavelength
    show = @(v) v;
    if iscell(e.layers)
      label = sprintf('max |E|^2, outer %d', e.layers{2});
    else
      label = sprintf('max |E|^2 in %s', material_name(e.materials{e.layers}));
    end
  else
    show = @(v) v;
    label = [e.quantity units.(e.quantity)];
  end
  mean_ = strcmp(e.kind, 'mean');
  % the band's edges, in the quantity (+-Inf on a one-sided target's open side)
  v = e.value + e.offset_value;
  switch e.type
    case '='
      lo = v - e.tol;  hi = v + e.tol;
    case '>='
      lo = v - e.tol;  hi = Inf(size(v));
    otherwise
      lo = -Inf(size(v));  hi = v + e.tol;
  end
  % the axis: every curve and every finite edge of the band, with a margin
  curves = show(e.q);
  if ~isempty(near), curves = [curves(:); show(near.q(:))]; end
  if ~isempty(x), curves = [curves(:); show(x.lo(:)); show(x.hi(:))]; end
  if mean_, curves = [curves(:); show(e.band_mean(:))]; end
  seen = [curves(:); show(lo(:)); show(hi(:))];
  seen = seen(isfinite(seen));
  if isempty(seen), seen = 0; end
  span = [min(seen), max(seen)];
  pad = 0.08 * diff(span);
  if pad == 0, pad = 0.1 * max(abs(span(1)), 1); end
  yl = span + [-pad, pad];
  clip = @(y) min(max(y, yl(1)), yl(2));
  e1 = clip(show(lo));  e2 = clip(show(hi));
  bottom = min(e1, e2);  top = max(e1, e2);
  % a band too thin to see (a tolerance of 0; R >= 1, whose 1 - R = 0 lies
  % at -Inf, below the axis) is a strip of 3 % of the axis about it
  strip = 0.03 * diff(yl);
  thin = top - bottom < strip;
  bottom(thin) = max(min((bottom(thin) + top(thin)) / 2 - strip / 2, yl(2) - strip), yl(1));
  top(thin) = bottom(thin) + strip;
  single = numel(unique(nm)) == 1;
  if single
    % one wavelength: 2 % either side, the band a bar a twentieth as wide
    xl = nm(1) * [0.98 1.02];
    bar_ = diff(xl) / 40;
    fill(nm(1) + bar_ * [-1 1 1 -1], [bottom(1) bottom(1) top(1) top(1)], style.sand, 'edgecolor', 'none');
  else
    [nms, o] = sort(nm);
    xl = [nms(1), nms(end)];
    if numel(bottom) == 1, bottom = bottom * ones(size(nm)); top = top * ones(size(nm)); end
    fill([nms, fliplr(nms)], [bottom(o), fliplr(top(o))], style.sand, 'edgecolor', 'none');
  end
  hold on;
  % the legend names one line of each kind; the band by a swatch of its
  % own, since gnuplot draws a filled area over its legend entry
  keys = plot(NaN, NaN, '-', 'color', style.swatch, 'linewidth', 6);
  names = {'target'};
  if ~isempty(near)
    l = plot(1000 * near.lambda, show(near.q), '-', 'color', 0.5 * style.blue + 0.5, 'linewidth', 0.8);
    keys(end + 1) = l(1);  names{end + 1} = 'near it';
  end
  if ~isempty(x)
    lq = 1000 * x.lambda;
    mark = '--';
    if single, mark = 'x'; end
    for a = 1:size(x.lo, 1)
      l = plot(lq, show(x.lo(a, :)), mark, 'color', style.grey);
      plot(lq, show(x.hi(a, :)), mark, 'color', style.grey);
    end
    keys(end + 1) = l;  names{end + 1} = x.name;
  end
  for a = 1:size(e.q, 1)
    if single
      l = plot(nm, show(e.q(a, :)), 'o', 'color', style.blue, 'markerfacecolor', style.blue, 'markersize', 5);
    else
      l = plot(nm, show(e.q(a, :)), '-', 'color', style.blue, 'linewidth', 1.2);
    end
  end
  keys(end + 1) = l;  names{end + 1} = 'design';
  what = '';  reached = '';
  if mean_
    for a = 1:numel(e.band_mean)
      l = plot(xl, show(e.band_mean(a)) * [1 1], ':', 'color', style.blue, 'linewidth', 1.2);
    end
    keys(end + 1) = l;  names{end + 1} = 'its mean';
    what = 'mean ';
    reached = sprintf('mean %.5g, ', e.band_mean(1));
  end
  hold off;
  xlim(xl);  ylim(yl);
  grid on;
  ylabel(label);
  xlabel('wavelength (nm)');
  tolerance = '';
  if e.tol > 0, tolerance = sprintf(', tolerance %g', e.tol); end
  title(sprintf('%s%s (%s) %s %g%s: %sworst excess %.3g (%.3g scales of %g)', what, e.quantity, ...
                e.pol, e.type, e.value(1), tolerance, reached, e.worst, e.worst / e.scale, e.scale));
  legend(keys, names, 'location', 'northeast');
  legend('boxoff');
end

% The spread of a tolerance report's target (x): its outermost quantiles
% (a x n each), or without samples the linearised one standard deviation
% either side of the nominal values.
function env = envelope(x)
  env.lambda = x.lambda;
  if isfield(x, 'quantiles') && ~isempty(x.quantiles)
    env.lo = permute(x.quantiles(1, :, :), [3 2 1]);
    env.hi = permute(x.quantiles(end, :, :), [3 2 1]);
    env.name = sprintf('Monte-Carlo %g to %g %%', 100 * x.p(1), 100 * x.p(end));
  else
    env.lo = x.nominal - x.linear;
    env.hi = x.nominal + x.linear;
    env.name = 'linearised, 1 sigma';
  end
end

% The thicknesses in nm as bars of a fixed width (0.7 of a layer's step,
% whatever the materials' order), one colour and one legend entry per
% material, with headroom above the thickest for the legend.
function draw_layers(design)
  colours = [0 0.35 0.75; 1 0.6 0.2; 0.3 0.65 0.3; 0.8 0.2 0.1; 0.5 0.3 0.7; 0.4 0.4 0.4];
  L = numel(design.d);
  used = unique(design.m).';
  handles = [];
  hold on;
  for mu = used
    j = find(design.m == mu).';
    c = colours(1 + mod(mu - 1, size(colours, 1)), :);
    handles(end + 1) = patch([j - 0.35; j + 0.35; j + 0.35; j - 0.35], ...
                             [0; 0; 1; 1] * (1000 * design.d(j).'), c, 'edgecolor', c);
  end
  hold off;
  top = max([1000 * design.d; 1]);
  xlim([0 L + 1]);  ylim([0 1.4 * top]);  grid on;
  ylabel('thickness (nm)');  xlabel('layer (1 next to the ambient)');
  names = cellfun(@material_name, design.materials(used), 'UniformOutput', false);
  if ~isempty(handles)
    legend(handles, names{:}, 'location', 'north', 'orientation', 'horizontal');
    legend('boxoff');
  end
end

%!test  # two targets and the Monte-Carlo envelope, offscreen, as a PNG of the size given
%! design = struct('d', repmat([0.0845; 0.1376], 4, 1), 'm', repmat([1; 2], 4, 1), ...
%!                 'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%! t = struct('quantity', {'R', 'GDD'}, 'lambda', {linspace(0.7, 0.9, 5), [0.78 0.8 0.82]}, ...
%!            'value', {0.95, 0}, 'type', {'>=', '='}, 'tol', {0, 10}, 'pol', {'s', 'avg'}, 'theta', {0, [0 0.2]});
%! report = coattolerance(design, t, 0.002, 'samples', 20);
%! file = [tempname() '.png'];
%! unwind_protect
%!   coatplot(design, t, report, file);
%!   fid = fopen(file, 'r');  head = fread(fid, 24, 'uint8')';  fclose(fid);
%!   assert(head(1:4), [137 80 78 71]);
%!   assert(head(17:24) * [256 .^ (3:-1:0), zeros(1, 4); zeros(1, 4), 256 .^ (3:-1:0)]', [900 780]);
%!   delete(file);
%!   coatplot(design, t, coattolerance(design, t, 0.002, 'samples', 0), file);   % linearised alone
%!   assert(exist(file, 'file') == 2);
%! unwind_protect_cleanup
%!   if exist(file, 'file'), delete(file); end
%! end_unwind_protect
%!function X = patches(a, field)   # the faces of the patches of axes a, one column each
%!  X = get(findobj(a, 'type', 'patch'), field);
%!  if iscell(X), X = [X{:}]; end
%!endfunction

%!test  # what a designer met: one wavelength, R >= 1, bands short of the axis, four layers, titles on tick labels
%! set(0, 'defaultfigurevisible', 'off');
%! state = warning('off', 'Octave:gnuplot-graphics');
%! design = struct('d', [0.12; 0.18; 0.11; 0.2], 'm', [1; 2; 1; 2], 'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%! band = linspace(0.95, 1.1, 16);
%! t = struct('quantity', {'T', 'R', 'R'}, 'lambda', {1.03, band, band}, 'value', {0.5, 1, 0.99}, ...
%!            'tol', {0.02, 0, 0}, 'type', {'=', '>=', '>='});
%! h = coatplot(design, t);
%! unwind_protect
%!   ax = findobj(h, 'type', 'axes');
%!   ax = ax(!strcmp(get(ax, 'tag'), 'legend'));
%!   pos = cell2mat(get(ax, 'position'));
%!   [~, o] = sort(pos(:, 2), 'descend');  ax = ax(o);  pos = pos(o, :);
%!   shaded = @(a) [min(patches(a, 'ydata')(:)), max(patches(a, 'ydata')(:))];
%!   % T at 1030 nm: an axis about it, the point drawn, its band a bar over it
%!   xl = get(ax(1), 'xlim');  yl = get(ax(1), 'ylim');
%!   assert(xl(1) < 1030 - 10 && xl(2) > 1030 + 10);
%!   dots = findobj(ax(1), 'type', 'line', 'marker', 'o');
%!   assert(numel(dots) == 1 && get(dots, 'xdata') == 1030 && 100 * coattargets(design, t(1)).q == get(dots, 'ydata'));
%!   x = patches(ax(1), 'xdata');
%!   assert(min(x) < 1030 && max(x) > 1030 && abs(shaded(ax(1)) - [48 52]) < 1e-9);
%!   % R >= 1: the axis spans the curve, not 1e-12, and the band lies on it, at the bottom
%!   q = log10(1 - coattargets(design, coat_dense_targets(t(2), 10)).q);
%!   yl = get(ax(2), 'ylim');  y = shaded(ax(2));
%!   assert(diff(yl) < 1.5 * (max(q) - min(q)) && y(1) == yl(1) && y(2) > y(1));
%!   % R >= 0.99: shaded from its bound (1 - R = 0.01) down to the axis
%!   yl = get(ax(3), 'ylim');  y = shaded(ax(3));
%!   assert(y, [yl(1), -2], 1e-12);
%!   % four layers: bars apart, below the legend
%!   x = patches(ax(4), 'xdata');
%!   x = sortrows([min(x); max(x)]');
%!   assert(size(x, 1) == 4 && all(x(1:end - 1, 2) < x(2:end, 1)));
%!   key = get(findobj(h, 'type', 'axes', 'tag', 'legend'), 'position');
%!   key = key{cellfun(@(k) k(2) < pos(4, 2) + pos(4, 4), key)};
%!   yl = get(ax(4), 'ylim');
%!   assert(yl(1) + (key(2) - pos(4, 2)) / pos(4, 4) * diff(yl) > 1000 * max(design.d));
%!   % between panels, room for a title, tick labels and an axis label: 100
%!   % pixels at this size (as the PNGs show them; subplot leaves 82)
%!   figure_height = get(h, 'position')(4);
%!   assert(all((pos(1:end - 1, 2) - pos(2:end, 2) - pos(2:end, 4)) * figure_height >= 100));
%! unwind_protect_cleanup
%!   close(h);
%!   warning(state);
%! end_unwind_protect
%!error id=coatplot:badReport coatplot(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1), struct('x', 1), 'a.png')
%!error id=coatplot:badFile coatplot(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1), [], 3)
