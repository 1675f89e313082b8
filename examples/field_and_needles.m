% out = field_and_needles(png, K)
% What coatprofile shows of a design: the standing wave inside it, and where
% a thin layer of which material would lower its merit.
%
% The field: |E|^2 at 800 nm (TE, normal incidence) at 2000 depths through
% the silver-backed mirror of metal_mirror (run first, over K wavenumbers,
% default 101), and its peak in each material. Laser damage starts where the
% field peaks in a weak material or at the outer surface: the mirror keeps
% titania, the weaker of its high-index materials, in the inner pairs, where
% the wave reflected by the outer ones has faded.
%
% The needles: six layers of the same materials on the same silver,
% optimised in thickness (fminunc) for metal_mirror's merit with a GDD
% target six layers can nearly reach, mean((GDD + 10).^2) + w * sum(max(0,
% 0.996 - R).^2) over 750 to 850 nm. coatprofile's 'ng', with the weights of
% coatresponse's 'g', is dm/dt for a layer of material mu, thickness t,
% inserted at each depth: one call per material. At the most negative
% (material, depth) the host layer is split and layers of 0.01 to 2 nm put
% in: below about 0.1 nm the merit falls as ng * t; beyond, its curvature in
% t takes over, so a 2 nm needle is followed by a re-optimisation of every
% layer, which lets the needle grow and its host shrink.
%
% Writes png (default field_and_needles.png): |E|^2 against depth over the
% layers shaded by material, the needle functions, the merit against t.
% out has the fields materials, d, m (the mirror, um, silver last), z (um),
% E2, layer (of each depth), peak_E2, peak_layer (per material), surface_E2;
% of the six layers: k, d0, m0, merit0, zn, ng (one column per material),
% mu, depth, ng_min, t, dmerit, predicted (ng_min * t), d_needle, m_needle,
% merit_inserted (the 2 nm needle), d_after and merit_after.
function out = field_and_needles(png, K)
  if nargin < 1, png = 'field_and_needles.png'; end
  if nargin < 2, K = 101; end

  scratch = [tempname() '.png'];              % metal_mirror's own figure is not shown here
  mirror = metal_mirror(scratch, K);
  delete(scratch);
  mats = mirror.materials;  d = mirror.d;  m = mirror.m;  k = mirror.k;
  names = mats(1:4);  labels = {'TiO_2', 'SiO_2', 'Ta_2O_5', 'Ag'};
  k0 = 2 * pi / 0.8;
  [N0, Np0, Npp0] = coating_indices(k0, mats);
  b = [0; cumsum(d)];
  z = linspace(0, b(end), 2000)';
  field = coatprofile(k0, d, m, 1, N0, Np0, Npp0, 0, 'TE', z, 'E2');
  E2 = field.E2;
  layer = layer_of(b, z);
  fprintf('\n|E|^2 at 800 nm in the mirror (relative to the incident wave): %.2f at the surface\n', E2(1));
  peak = nan(1, 4);  peak_layer = nan(1, 4);
  for q = unique(m)'
    in = find(m(layer) == q);
    [peak(q), i] = max(E2(in));
    peak_layer(q) = layer(in(i));
    fprintf('  %-6s peak %.3f in layer %d\n', names{q}, peak(q), peak_layer(q));
  end

  % The small stack, optimised in thickness alone.
  [N, Np, Npp] = coating_indices(k, mats);
  c = {k, N, Np, Npp, -10, 0.996, 1e5};
  m0 = [3 2 3 2 1 2 4]';
  n800 = real(N0(m0(1:end - 1)));
  options = optimset('GradObj', 'on', 'MaxIter', 2000, 'TolX', 1e-12, 'TolFun', 1e-12);
  x = fminunc(@(x) merit_x(x, m0, c), log(0.8 ./ (4 * n800)), options);
  d0 = [exp(x); 0.2];
  [merit0, weights] = merit(d0, m0, c);

  % The needle function of each material at 1000 depths inside the dielectric
  % (midpoints: no needle on a boundary, so that every piece of a split is a layer).
  b0 = [0; cumsum(d0)];
  zn = ((1:1000)' - 0.5) * b0(end - 1) / 1000;
  ng = zeros(numel(zn), 3);
  for mu = 1:3
    o = coatprofile(k, d0, m0, 1, N, Np, Npp, 0, 'TE', zn, 'ng', mu, weights);
    ng(:, mu) = o.ng;
  end
  [ng_min, i] = min(ng(:));
  [p, mu] = ind2sub(size(ng), i);
  j = layer_of(b0, zn(p));
  split = @(t) [d0(1:j - 1); zn(p) - b0(j); t; b0(j + 1) - zn(p); d0(j + 1:end)];
  m1 = [m0(1:j); mu; m0(j:end)];
  t = [0.01 0.03 0.1 0.3 1 2]' / 1000;        % um
  dmerit = arrayfun(@(t) merit(split(t), m1, c), t) - merit0;
  o = coatprofile(k0, d0, m0, 1, N0, Np0, Npp0, 0, 'TE', zn(p), 'E2');
  E2n = o.E2;
  fprintf('\nSmall stack, %d layers on silver: merit %.4g at its thickness optimum\n', numel(m0) - 1, merit0);
  fprintf('  most negative needle: %s at %.1f nm (in layer %d, %s), ng = %.4g per um; |E|^2 there %.2f\n', ...
          names{mu}, 1000 * zn(p), j, names{m0(j)}, ng_min, E2n);
  fprintf('  t (nm)   merit change   ng * t\n');
  fprintf('  %6.2f   %12.4g   %8.4g\n', [1000 * t, dmerit, ng_min * t]');
  d1 = split(0.002);  merit1 = merit(d1, m1, c);
  x = fminunc(@(x) merit_x(x, m1, c), log(d1(1:end - 1)), options);
  d2 = [exp(x); 0.2];  merit2 = merit(d2, m1, c);
  fprintf('  2 nm needle: merit %.4g; re-optimised %.4g, the needle %.1f nm, its host %.1f and %.1f nm\n', ...
          merit1, merit2, 1000 * d2([j + 1, j, j + 2]));

  % The figure: the field over the mirror's layers; the needle function; the first order.
  colours = {[0.6 0.75 1], [1 0.8 0.55], [0.65 0.88 0.65], [0.75 0.75 0.75]};
  ink = {[0 0.35 0.75], [0.9 0.5 0.1], [0.2 0.6 0.2]};
  h = coat_print_png();
  set(h, 'defaultaxesfontsize', 7, 'defaulttextfontsize', 7);
  axes('position', [0.10 0.60 0.86 0.33]);
  top = 1.3 * max(E2);
  handles = shade(b, m, [0 top], colours);
  curve = plot(1000 * z, E2, 'k-', 'linewidth', 1.5);
  hold off;
  xlim([0 1000 * b(end)]);  ylim([0 top]);
  xlabel('depth from the air (nm)');  ylabel('|E|^2 at 800 nm (TE)');
  q = find(handles);
  legend([curve handles(q)], ['|E|^2', labels(q)], 'location', 'north', 'orientation', 'horizontal');
  legend('boxoff');
  title(sprintf('Field in the silver-backed mirror: peak %.2f in Ta_2O_5, %.2f in TiO_2', peak(3), peak(1)));

  axes('position', [0.10 0.09 0.46 0.36]);
  span = [min(ng(:)) max(ng(:))] * [1.05 -0.05; -0.05 1.05];
  shade(b0(1:end - 1), m0, span, colours);
  curves = plot(1000 * zn, ng, 'linewidth', 1.2);
  set(curves, {'color'}, ink');
  plot(1000 * zn(p), ng_min, 'ko', 'markersize', 6);
  hold off;
  xlim([0 1000 * b0(end - 1)]);  ylim(span);
  xlabel('depth in the small stack (nm)');  ylabel('ng: dm/dt of a needle (per um)');
  legend(curves, strcat(labels(1:3), ' needle'), 'location', 'northwest');  legend('boxoff');
  title(sprintf('Needles in the %d-layer stack: %s at %.0f nm', numel(m0) - 1, labels{mu}, 1000 * zn(p)));

  axes('position', [0.68 0.09 0.28 0.36]);
  tf = linspace(0, 1, 41)' / 1000;
  plot(1000 * tf, [arrayfun(@(t) merit(split(t), m1, c), tf) - merit0, ng_min * tf], 'linewidth', 1.5);
  grid on;
  xlabel(sprintf('%s needle thickness t (nm)', labels{mu}));  ylabel('merit change');
  legend('merit(t) - merit(0)', 'ng t', 'location', 'northwest');  legend('boxoff');
  title('First order: ng t');
  coat_print_png(h, png, 900, 800);
  fprintf('Plot written to %s\n', png);

  out = struct('d', d, 'm', m, 'z', z, 'E2', E2, 'layer', layer, 'peak_E2', peak, ...
               'peak_layer', peak_layer, 'surface_E2', E2(1), 'k', k, 'd0', d0, 'm0', m0, ...
               'merit0', merit0, 'zn', zn, 'ng', ng, 'mu', mu, 'depth', zn(p), 'ng_min', ng_min, ...
               't', t, 'dmerit', dmerit, 'predicted', ng_min * t, 'd_needle', d1, ...
               'm_needle', m1, 'merit_inserted', merit1, 'd_after', d2, 'merit_after', merit2);
  out.materials = mats;
  if ng_min >= 0 || merit2 >= merit0
    error('field_and_needles: no needle lowers the merit (ng %.3g, merit %.4g -> %.4g)', ng_min, merit0, merit2);
  end
end

% metal_mirror's merit without its floor on thicknesses (a needle starts
% thin), and the weights that make coatresponse's g and coatprofile's ng
% its derivatives: dm/dGDD and dm/dR at each wavenumber.
function [f, weights] = merit(d, m, c)
  [k, N, Np, Npp, target, Rd, w] = c{:};
  o = coatresponse(k, d, m, 1, N, Np, Npp, 0, 'TE', {'R', 'GDD'});
  e = o.GDD - target;
  short = max(0, Rd - o.R);
  f = mean(e .^ 2) + w * sum(short .^ 2);
  weights = struct('GDD', 2 * e / numel(k), 'R', -2 * w * short);
end

% The merit in x = log(d) of the dielectric layers (the silver, last, held).
function [f, g] = merit_x(x, m, c)
  d = [exp(x); 0.2];
  [f, weights] = merit(d, m, c);
  o = coatresponse(c{1}, d, m, 1, c{2:4}, 0, 'TE', 'g', weights);
  g = exp(x) .* o.g(1:end - 1);
end

% Layers as patches from b(j) to b(j + 1) (um), coloured by material, with
% hold on for what is drawn over them; one handle per material (0 if absent).
function handles = shade(b, m, range, colours)
  handles = zeros(1, numel(colours));
  hold on;
  for j = 1:numel(b) - 1
    handles(m(j)) = fill(1000 * b([j j + 1 j + 1 j])', range([1 1 end end]), colours{m(j)}, ...
                         'edgecolor', 'none');
  end
end

% The layer holding each depth z (a column) below the boundaries b = [0;
% cumsum(d)]: a boundary belongs to the deeper layer, sum(d) to the last.
function j = layer_of(b, z)
  j = min(sum(z(:) >= b(1:end - 1).', 2), numel(b) - 1);
end
