% out = dispersive_mirror(png, K)
% A chirped titania/silica mirror on fused silica around 800 nm: 20 pairs
% (40 layers) whose quarter-wave wavelength ramps linearly from 640 nm next
% to the ambient to 1060 nm next to the substrate, the first three pairs
% tapered for matching.
% Computes R, GD and GDD from 650 to 950 nm over K wavelengths (default 601)
% for TE and TM at 0 and 45 degrees, with Sellmeier dispersion of both
% materials (coating_indices), prints a short table and writes one figure of
% three panels to the PNG file png (default dispersive_mirror.png).
%
% Why the GDD is negative: each pair reflects most strongly near its own
% quarter-wave wavelength. Short wavelengths turn back in the first pairs,
% longer ones travel deeper before they do, so GD rises with wavelength,
% falls with frequency, and GDD = dGD/domega < 0: the mirror compensates the
% positive GDD of glass and of the gain medium.
%
% Why the taper: the bare stack meets air with an abrupt impedance step, and
% the wave reflected there beats with the one reflected deep in the stack
% (a Gires-Tournois cavity), ringing in GDD. In the first three pairs the
% titania share of each half-wave pair grows as 1/8, 2/8, 3/8 of its optical
% thickness, then stays at 1/2 (the pair stays half a wave thick), which
% softens the step. The ramp runs past 950 nm so that the end of the stack
% stays out of the band at 45 degrees, where every pair reflects at a
% shorter wavelength. What rings is left, strongest at 45 degrees where the
% delays are longest, is what a numerical design removes
% (design_with_gradients shows the method).
%
% out has the fields lambda_nm (1xK), cases (labels), R, GD, GDD (4xK, one
% row per case: 0 deg TE, 0 deg TM, 45 deg TE, 45 deg TM), d (the 40
% thicknesses, um), band_nm and mean_gdd, the mean GDD at normal incidence
% over band_nm (700 to 900 nm), in fs^2.
function out = dispersive_mirror(png, K)
  if nargin < 1, png = 'dispersive_mirror.png'; end
  if nargin < 2, K = 601; end

  pairs = 20;  taper = 3;
  first = 0.64;  last = 1.06;                 % quarter-wave wavelengths, um
  n800 = coating_indices(2 * pi / 0.8);       % design indices at 800 nm
  centre = linspace(first, last, pairs);      % of each pair, ambient first
  share = 0.5 * ones(1, pairs);               % titania share of the pair
  share(1:taper) = (1:taper) / (2 * (taper + 1));
  d = zeros(2 * pairs, 1);
  d(1:2:end) = share .* centre / (2 * n800(1));          % A: titania
  d(2:2:end) = (1 - share) .* centre / (2 * n800(2));    % B: silica

  lambda = linspace(0.65, 0.95, K);           % um
  k = 2 * pi ./ lambda;                       % rad/um
  [N, Np] = coating_indices(k);               % titania, silica, fused silica
  angles = [0 0 45 45];
  pols = {'TE', 'TM', 'TE', 'TM'};
  R = zeros(4, K);  GD = R;  GDD = R;
  for c = 1:4
    [R(c, :), GD(c, :), GDD(c, :)] = ...
        coatdisp(k, d, 1.0, N, Np, angles(c) * pi / 180, pols{c});
  end
  lambda_nm = 1000 * lambda;
  cases = arrayfun(@(c) sprintf('%d deg %s', angles(c), pols{c}), 1:4, ...
                   'UniformOutput', false);
  band_nm = [700 900];
  inband = lambda_nm >= band_nm(1) & lambda_nm <= band_nm(2);
  mean_gdd = mean(GDD(1, inband));

  printf('Chirped mirror: %d layers TiO2/SiO2 on fused silica, quarter-wave %d to %d nm\n', ...
         2 * pairs, round(1000 * first), round(1000 * last));
  printf('  lambda |     0 deg (TE = TM)     |     45 deg TE           |     45 deg TM\n');
  printf('    (nm) |  R       GD      GDD    |  R       GD      GDD    |  R       GD      GDD\n');
  for l = 650:50:950
    [~, i] = min(abs(lambda_nm - l));
    printf('  %6.0f |', lambda_nm(i));
    for c = [1 3 4]
      printf(' %.4f %6.1f %8.1f  |', R(c, i), GD(c, i), GDD(c, i));
    end
    printf('\n');
  end
  printf('  R in 1, GD in fs, GDD in fs^2\n');
  printf('  Mean GDD at 0 deg over %d to %d nm: %.1f fs^2\n', band_nm, mean_gdd);

  h = coat_print_png();
  styles = {'-', '--', '-', '-'};
  colours = {[0 0.35 0.75], [0.3 0.75 1], [0.85 0.3 0.1], [0.2 0.6 0.2]};
  quantities = {R, GD, GDD};
  labels = {'R', 'GD (fs)', 'GDD (fs^2)'};
  bottoms = [0.71 0.415 0.12];
  for p = 1:3
    axes('position', [0.15 bottoms(p) 0.80 0.22], 'fontsize', 8);
    hold on;
    for c = 1:4
      plot(lambda_nm, quantities{p}(c, :), styles{c}, 'color', colours{c}, ...
           'linewidth', 1.5);
    end
    hold off;
    ylabel(labels{p});  grid on;  xlim([650 950]);
    if p == 1
      ylim([0.98 1.0005]);
      title(sprintf('Chirped TiO_2/SiO_2 mirror, %d layers on fused silica', 2 * pairs));
    elseif p == 2
      ylim([0 60]);
      legend(cases, 'location', 'northwest');
    else
      ylim([-300 100]);
      xlabel('wavelength (nm)');
    end
  end
  coat_print_png(h, png, 800, 960);
  printf('Plot written to %s\n', png);

  out = struct('lambda_nm', lambda_nm, 'R', R, 'GD', GD, 'GDD', GDD, 'd', d, ...
               'band_nm', band_nm, 'mean_gdd', mean_gdd);
  out.cases = cases;
end
