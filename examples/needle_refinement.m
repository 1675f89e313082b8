% out = needle_refinement(png, K, insertions)
% Refines the GDD design of design_gdd by needle insertions. design_gdd
% optimises the 50 thicknesses of a chirped titania/silica mirror to
% GDD -50 +- 5 fs^2 and R >= 99.8 % over 750 to 850 nm (K wavenumbers,
% default 101); from that design, up to `insertions` times (default 4):
%   1. scan the needle function of its merit (gdd_merit) over the whole
%      depth: at each depth z, dm/dt for a thin layer of the other material
%      inserted there, from coatneedle,
%        dm/dt = 2 nGDD e' / K - 2 w nR max(0, Rd - R)'
%      (the thickness term of the merit does not see a needle of zero
%      thickness; only depths that leave both pieces of the split layer at
%      least dmin thick are candidates);
%   2. insert a layer of 1 nm at the depth where dm/dt is most negative
%      (stop if it is nowhere negative);
%   3. re-optimise all thicknesses with fminunc and the exact gradient, as
%      design_gdd does (the thickness term then brings the new layer up to
%      dmin at least).
% For comparison, thickness optimisation alone is given the same number of
% further fminunc runs from the same design, without insertions.
%
% Writes png (default needle_refinement.png): the needle function of the
% starting design against depth, with the layer boundaries, the depths that
% are no candidates in grey, and the depth chosen; the merit after each insertion beside thickness optimisation alone;
% and the GDD before and after. The design_gdd figures of the start go beside
% it, with '_start' before the extension.
%
% out has the fields k, z (um), needle (dm/dt at z for the starting design,
% per um), boundaries (um), chosen (the depths inserted at, um), d0 and d (the
% thicknesses before and after, um), merits (the merit of the start and after
% each insertion), merit_alone (after thickness optimisation alone, one entry
% per further run), GDD0, GDD, R (over the band), worst_gdd_error (fs^2),
% min_R, time (s) and merit_args (those of gdd_merit after x and k).
function out = needle_refinement(png, K, insertions)
  if nargin < 1, png = 'needle_refinement.png'; end
  if nargin < 2, K = 101; end
  if nargin < 3, insertions = 4; end
  tries = 3;                        % candidate depths tried per insertion

  [folder, name, ext] = fileparts(png);
  start = design_gdd(fullfile(folder, [name '_start' ext]), K);
  k = start.k;
  [N, Np, Npp, theta, pol, target, Rd, dmin, w] = start.merit_args{:};
  f = @(x) gdd_merit(x, k, start.merit_args{:});
  options = optimset('GradObj', 'on', 'MaxIter', 4000, 'MaxFunEvals', 1e7, ...
                     'TolX', 1e-9, 'TolFun', 1e-9);
  tic;

  d = start.d;
  merits = start.merit;
  chosen = [];
  rejected = [];                    % [depth, merit after re-optimisation] of each rejected try
  runs = 0;
  for i = 1:max(insertions, 1)
    [z, needle, j, u, v] = needle_scan(d, k, N, Np, Npp, theta, pol, target, Rd, w);
    if i == 1
      first = struct('z', z, 'needle', needle, 'boundaries', cumsum(d), ...
                     'candidate', min(u, v) >= dmin);
    end
    if i > insertions, break; end
    % Candidates: the local minima of dm/dt below zero, most negative first,
    % at depths that leave both pieces of the split layer depositable.
    allowed = needle;
    allowed(min(u, v) < dmin) = Inf;
    padded = [Inf; allowed; Inf];
    p = find(allowed < 0 & allowed <= padded(1:end - 2) & allowed <= padded(3:end));
    [~, order] = sort(allowed(p));
    accepted = false;
    for p = p(order(1:min(tries, end)))'
      % The new layer starts at dmin, the thinnest the merit lets it be.
      trial = [d(1:j(p) - 1); u(p); dmin; v(p); d(j(p) + 1:end)];
      [x, m] = fminunc(f, log(trial), options);
      runs++;
      if m < merits(end)
        d = exp(x);
        merits(end + 1) = m;
        chosen(end + 1) = z(p);
        accepted = true;
        break;
      end
      rejected(end + 1, :) = [z(p) m];
    end
    if !accepted, break; end
  end
  time = toc;

  % Thickness optimisation alone, from the same design, given as many
  % further fminunc runs as the insertions used.
  merit_alone = zeros(1, max(runs, 1));
  x = log(start.d);
  for i = 1:numel(merit_alone)
    [x, merit_alone(i)] = fminunc(f, x, options);
  end

  [R, ~, GDD] = coatdispgrad(k, d, 1, N, Np, Npp, theta, pol);
  worst = max(abs(GDD - target));
  printf('Needle refinement of the GDD design (K = %d)\n', K);
  printf('  start: %d layers, merit %.4g, worst |GDD - target| %.2f fs^2\n', ...
         numel(start.d), start.merit, start.worst_gdd_error);
  for i = 2:numel(merits)
    printf('  insertion %d at %.3f um: %d layers, merit %.4g\n', ...
           i - 1, chosen(i - 1), numel(start.d) + 2 * (i - 1), merits(i));
  end
  for r = 1:rows(rejected)
    printf('  rejected: a layer at %.3f um, merit %.4g after re-optimisation\n', rejected(r, :));
  end
  printf('  thickness optimisation alone, %d further fminunc runs: merit %.4g\n', ...
         numel(merit_alone), merit_alone(end));
  printf('  end: worst |GDD - target| %.2f fs^2, min R %.4f %%, thinnest layer %.1f nm, %.1f s\n', ...
         worst, 100 * min(R), 1000 * min(d), time);

  plot_refinement(png, first, chosen, start, merits, merit_alone, k, GDD, target, ...
                  start.tolerance, dmin);
  out = struct('k', k, 'z', first.z, 'needle', first.needle, ...
               'boundaries', first.boundaries, 'chosen', chosen, 'd0', start.d, 'd', d, ...
               'merits', merits, 'rejected', rejected, 'merit_alone', merit_alone, ...
               'GDD0', start.GDD, ...
               'GDD', GDD, 'R', R, 'worst_gdd_error', worst, 'min_R', min(R), 'time', time, ...
               'merit_args', {start.merit_args});
end

% The needle function dm/dt of the optical part of the merit at depths z
% every nanometre or so, with the layer j holding each depth (the deeper one
% on a boundary) and the distances u, v from its front and back.
function [z, needle, j, u, v] = needle_scan(d, k, N, Np, Npp, theta, pol, target, Rd, w)
  b = [0; cumsum(d)];
  z = linspace(0, b(end), ceil(1000 * b(end)) + 1)';
  [R, ~, GDD] = coatdispgrad(k, d, 1, N, Np, Npp, theta, pol);
  [nR, ~, nGDD] = coatneedle(k, d, 1, N, Np, Npp, theta, pol, z);
  needle = 2 * nGDD * (GDD - target)' / numel(k) - 2 * w * nR * max(0, Rd - R)';
  j = lookup(b(1:end - 1), z);                  % the last front at or above z
  u = z - b(j);
  v = b(j + 1) - z;
end

function plot_refinement(png, first, chosen, start, merits, merit_alone, k, GDD, target, tol, dmin)
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
                numel(start.d) + 2 * (n - 1), target, tol));
  coat_print_png(h, png, 900, 1000);
  printf('Plot written to %s\n', png);
end
