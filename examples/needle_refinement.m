% out = needle_refinement(png, K, insertions)
% Refines the GDD design of design_gdd by needle insertions, with
% coatoptimize's needle rounds. design_gdd optimises the 50 thicknesses of a
% chirped titania/silica mirror to GDD -50 +- 5 fs^2 and R >= 99.8 % over
% 750 to 850 nm (K wavenumbers, default 101), least squares in GDD; from that
% design, with the same targets (its merit, gdd_merit), up to `insertions`
% rounds (default 4) of:
%   1. the needle function of the merit over the whole depth (coatprofile's
%      'ng' through coattargets): at each depth z, dm/dt for a thin layer of
%      each material inserted there;
%   2. a layer of 20 nm (the thinnest allowed) at the depth where dm/dt is
%      most negative, where both pieces of a split layer keep 20 nm (or
%      between two layers), and re-optimisation of all thicknesses; kept if
%      the merit fell, else the next two candidates are tried;
%   3. layers left at 20 nm that would rather be thinner removed.
% For comparison, thickness optimisation alone runs again from the same
% design, without insertions.
%
% Writes png (default needle_refinement.png): the needle function of the
% starting design against depth, with the layer boundaries, the depths that
% are no candidates in grey, and the depth chosen; the merit after each
% insertion beside thickness optimisation alone; and the GDD before and
% after. The design_gdd figures of the start go beside it, with '_start'
% before the extension.
%
% out has the fields k, z (um), needle (dm/dt at z for the starting design,
% for a needle of the other material, per um), boundaries (um), chosen (the
% depths of the insertions kept, um), rejected ([depth, merit] of those
% dropped), d0 and d (the thicknesses before and after, um), merits (the
% merit of the start and after each kept insertion), merit_alone (after
% thickness optimisation alone), GDD0, GDD, R (over the band),
% worst_gdd_error (fs^2), min_R, time (s) and merit_args (those of gdd_merit
% after x and k).
function out = needle_refinement(png, K, insertions)
  if nargin < 1, png = 'needle_refinement.png'; end
  if nargin < 2, K = 101; end
  if nargin < 3, insertions = 4; end

  [folder, name, ext] = fileparts(png);
  start = design_gdd(fullfile(folder, [name '_start' ext]), K);
  k = start.k;
  [N, Np, Npp, theta, pol, target, Rd, dmin, w, scale] = start.merit_args{:};
  tic;
  refined = coatoptimize(start.design, start.targets, 'dmin', dmin, 'dense', 1, ...
                         'needle', insertions, 'maxIterations', 400);
  time = toc;
  alone = coatoptimize(start.design, start.targets, 'dmin', dmin, 'dense', 1, ...
                       'maxIterations', 400);
  ins = refined.record.insertions;
  kept = [ins.kept];
  chosen = [ins(kept).depth];
  rejected = [[ins(~kept).depth]', [ins(~kept).merit]'];
  merits = [start.merit, [ins(kept).merit]];
  d = refined.d;

  % The needle function of the start every nanometre, for a needle of
  % either material (0 in its own): the other material's at each depth. The
  % depths are laid out layer by layer, so each knows its layer and how far
  % it lies from the layer's faces.
  b = [0; cumsum(start.d)];
  z = cell(numel(start.d), 1);  room = z;
  for j = 1:numel(start.d)
    u = linspace(0, start.d(j), ceil(1000 * start.d(j)) + 1)';
    z{j} = b(j) + u(1:end - 1);
    room{j} = min(u(1:end - 1), start.d(j) - u(1:end - 1));
  end
  z = [vertcat(z{:}); b(end)];
  [~, ~, ~, ~, ng] = coattargets(start.design, start.targets, 'needle', z, [1 2]);
  needle = sum(ng, 2);
  first = struct('z', z, 'needle', needle, 'boundaries', b(2:end), ...
                 'candidate', [vertcat(room{:}); 0] >= dmin);

  o = coatresponse(k, d, refined.m, 1, N, Np, Npp, theta, pol, {'R', 'GDD'});
  R = o.R;  GDD = o.GDD;
  worst = max(abs(GDD - target));
  printf('Needle refinement of the GDD design (K = %d)\n', K);
  printf('  start: %d layers, merit %.4g, worst |GDD - target| %.2f fs^2\n', ...
         numel(start.d), start.merit, start.worst_gdd_error);
  for i = 1:numel(ins)
    printf('  needle of material %d at %.3f um: %d layers, merit %.4g (%s)\n', ins(i).material, ...
           ins(i).depth, ins(i).layers, ins(i).merit, ifelse(ins(i).kept, 'kept', 'dropped'));
  end
  printf('  thickness optimisation alone, run again: merit %.4g\n', alone.merit);
  printf('  end: %d layers, merit %.4g, worst |GDD - target| %.2f fs^2, min R %.4f %%, thinnest layer %.1f nm, %.1f s\n', ...
         numel(d), refined.merit, worst, 100 * min(R), 1000 * min(d), time);

  plot_refinement(png, first, chosen, start, merits, alone.merit, k, GDD, target, ...
                  start.tolerance, dmin, numel(d));
  out = struct('k', k, 'z', z, 'needle', needle, ...
               'boundaries', first.boundaries, 'chosen', chosen, 'd0', start.d, 'd', d, ...
               'm', refined.m, 'merits', merits, 'rejected', rejected, 'merit_alone', alone.merit, ...
               'GDD0', start.GDD, ...
               'GDD', GDD, 'R', R, 'worst_gdd_error', worst, 'min_R', min(R), 'time', time, ...
               'merit_args', {start.merit_args});
end

function s = ifelse(c, a, b)
  if c, s = a; else s = b; end
end

function plot_refinement(png, first, chosen, start, merits, merit_alone, k, GDD, target, tol, dmin, layers)
  blue = [0 0.35 0.75];  grey = [0.6 0.6 0.6];  orange = [1 0.6 0.2];  sand = [1 0.88 0.75];
  h = coat_print_png();
  set(h, 'defaultaxesfontsize', 7, 'defaulttextfontsize', 7);

  axes('position', [0.12 0.72 0.83 0.23]);
  % Near the surface dm/dt rises far above its dips, where the layers go:
  % the axis stops at four times the deepest dip.
  low = min(first.needle);
  lim = [1.1 * low, min(max(first.needle), -4 * low)];
  hold on;
  for b = first.boundaries(1:end - 1)'
    plot([b b], lim, '-', 'color', [0.85 0.85 0.85]);
  end
  plot(first.z, first.needle, '-', 'color', grey, 'linewidth', 1);
  shown = first.needle;
  shown(!first.candidate) = NaN;
  plot(first.z, shown, '-', 'color', blue, 'linewidth', 1.2);
  plot(first.z([1 end]), [0 0], '-', 'color', grey);
  if !isempty(chosen)
    [~, p] = min(abs(first.z - chosen(1)));
    plot(first.z(p), first.needle(p), 'v', 'color', orange, 'markerfacecolor', orange);
  end
  hold off;
  xlim(first.z([1 end]));  ylim(lim);  box on;
  xlabel('depth z (um); vertical lines: layer boundaries; triangle: inserted');
  ylabel('dm/dt (fs^4 per um)');
  title(sprintf('Needle function of the start (grey: split piece < %g nm; clipped above)', ...
                1000 * dmin));

  axes('position', [0.12 0.41 0.83 0.20]);
  n = numel(merits);
  semilogy(0:n - 1, merits, 'o-', 'color', blue, 'markerfacecolor', blue, 'linewidth', 1.2);
  hold on;
  semilogy(0:numel(merit_alone), [start.merit merit_alone], 's--', 'color', grey, ...
           'linewidth', 1.2);
  hold off;
  xlim([-0.2 max(n - 1, numel(merit_alone)) + 0.2]);  grid on;
  set(gca, 'xtick', 0:max(n - 1, numel(merit_alone)));
  xlabel('insertions (or further runs of thickness optimisation alone)');
  ylabel('merit (fs^4)');
  legend('needle insertion + re-optimisation', 'thickness optimisation alone', ...
         'location', 'southwest');
  legend('boxoff');

  axes('position', [0.12 0.07 0.83 0.22]);
  nm = 2000 * pi ./ k;
  fill(nm([1 end end 1]), target + tol * [-1 -1 1 1], sand, 'edgecolor', 'none');
  hold on;
  plot(nm, start.GDD, '-', 'color', grey, 'linewidth', 1.2);
  plot(nm, GDD, '-', 'color', blue, 'linewidth', 1.2);
  hold off;
  shown = [start.GDD GDD target + tol * [-1 1]];
  xlim(sort(nm([1 end])));  ylim([min(shown) max(shown)] + [-0.05 0.05] * range(shown));
  grid on;
  xlabel('wavelength (nm)');  ylabel('GDD (fs^2)');
  title(sprintf('GDD: start grey, refined blue (%d layers); target %g \\pm %g fs^2 shaded', ...
                layers, target, tol));
  coat_print_png(h, png, 900, 1000);
  printf('Plot written to %s\n', png);
end
