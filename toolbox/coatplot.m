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
%              outermost quantiles are drawn as the Monte-Carlo envelope.
%     png      a file name: the figure is drawn offscreen and written there
%              as a PNG (900 pixels wide, 260 high per panel); omitted, the
%              figure is shown.
%
%   One panel per target, its quantity against wavelength (nm) on a grid
%   ten times finer than the target's, every angle a line (s/p mean where
%   pol is 'avg'), the band where the target is met shaded (shifted by the
%   free constant of a GD target). R and T are shown as log10(1 - R) where
%   the target asks for more than 90 %, else in %. Last, the thicknesses in
%   nm as bars, layer 1 next to the ambient, coloured by material.
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

  if nargin > 3
    h = coat_print_png();
  else
    h = figure();
  end
  set(h, 'defaultaxesfontsize', 7, 'defaulttextfontsize', 7);
  blue = [0 0.35 0.75];  sand = [1 0.88 0.75];  grey = [0.5 0.5 0.5];
  units = struct('R', '', 'T', '', 'A', '', 'GD', ' (fs)', 'GDD', ' (fs^2)', 'TOD', ' (fs^3)', ...
                 'GDt', ' (fs)', 'GDDt', ' (fs^2)', 'TODt', ' (fs^3)');
  panels = numel(ev) + 1;
  for t = 1:numel(ev)
    e = fine(t);
    subplot(panels, 1, t);
    nm = 1000 * e.lambda;
    high = any(strcmp(e.quantity, {'R', 'T'})) && min(e.value) > 0.9;
    if high
      show = @(x) log10(max(1 - x, 1e-12));
      label = sprintf('log10(1 - %s)', e.quantity);
    elseif any(strcmp(e.quantity, {'R', 'T', 'A'}))
      show = @(x) 100 * x;
      label = [e.quantity ' (%)'];
    else
      show = @(x) x;
      label = [e.quantity units.(e.quantity)];
    end
    v = e.value + e.offset_value;
    q = e.q;
    span = [min(q(:)), max(q(:))];
    switch e.type
      case '='
        lo = v - e.tol;  hi = v + e.tol;
      case '>='
        lo = v - e.tol;  hi = max([span(2), lo]) * ones(size(v));
      otherwise
        hi = v + e.tol;  lo = min([span(1), hi]) * ones(size(v));
    end
    [nms, o] = sort(nm);
    band = [show(lo(o)), fliplr(show(hi(o)))];
    fill([nms, fliplr(nms)], band, sand, 'edgecolor', 'none');
    hold on;
    names = {'target'};
    if ~isempty(report)
      x = report.targets(t);
      lq = 1000 * x.lambda;
      for a = 1:size(x.quantiles, 3)
        plot(lq, show(x.quantiles(1, :, a)), '--', 'color', grey);
        plot(lq, show(x.quantiles(end, :, a)), '--', 'color', grey);
      end
      names{end + 1} = sprintf('Monte-Carlo %g to %g %%', 100 * x.p(1), 100 * x.p(end));
      names{end + 1} = '';
      names(end + 1:end + 2 * (size(x.quantiles, 3) - 1)) = {''};
    end
    for a = 1:size(q, 1)
      plot(nm, show(q(a, :)), '-', 'color', blue, 'linewidth', 1.2);
    end
    names{end + 1} = 'design';
    hold off;
    xlim([min(nm), max(nm) + (max(nm) == min(nm))]);
    grid on;
    ylabel(label);
    title(sprintf('%s (%s) %s %g, tolerance %g: worst excess %.3g (%.2g of its scale %g)', ...
                  e.quantity, e.pol, e.type, e.value(1), e.tol, e.worst, e.worst / e.scale, e.scale));
    legend(names{:}, 'location', 'northeast');
    legend('boxoff');
  end
  xlabel('wavelength (nm)');

  subplot(panels, 1, panels);
  colours = [0 0.35 0.75; 1 0.6 0.2; 0.3 0.65 0.3; 0.8 0.2 0.1; 0.5 0.3 0.7; 0.4 0.4 0.4];
  L = numel(design.d);
  used = unique(design.m).';
  handles = [];
  hold on;
  for mu = used
    j = find(design.m == mu);
    b = bar(j, 1000 * design.d(j), 0.6);
    c = colours(1 + mod(mu - 1, size(colours, 1)), :);
    set(b, 'facecolor', c, 'edgecolor', c);
    handles(end + 1) = b;
  end
  hold off;
  xlim([0 L + 1]);  grid on;
  ylabel('thickness (nm)');  xlabel('layer (1 next to the ambient)');
  names = cellfun(@material_name, design.materials(used), 'UniformOutput', false);
  legend(handles, names{:}, 'location', 'northwest', 'orientation', 'horizontal');
  legend('boxoff');
  if nargin > 3
    coat_print_png(h, png, 900, 260 * panels);
    h = [];
  end
end

function s = material_name(m)
  if ischar(m)
    s = m;
  else
    s = [m.model ' model'];
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
%! unwind_protect_cleanup
%!   if exist(file, 'file'), delete(file); end
%! end_unwind_protect
%!error id=coatplot:badReport coatplot(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1), struct('x', 1), 'a.png')
%!error id=coatplot:badFile coatplot(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1), [], 3)
