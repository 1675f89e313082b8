% out = beam_splitter(png, K)
% A plate beam splitter at 45 degrees in transmission, evaluated with
% coatresponse: five layers of titania and silica on N-BK7 (34.2, 203.9,
% 151.7, 60.4 and 15.5 nm from the air, titania first and last), which
% split s-polarised light 50:50 from 700 to 900 nm. Computes R, T, GDt and
% GDDt in s and p from 650 to 950 nm over K wavelengths (default 301), with
% the Sellmeier dispersion of all three materials (coating_indices), prints
% a short table and writes one figure of three panels to png (default
% beam_splitter.png).
%
% What it shows: at 45 degrees a dielectric coating splits s and p
% differently (p, nearer its Brewster angle, reflects less at every
% interface), so a splitter made 50:50 for s passes about 78 % of p. The
% coating is lossless: R + T = 1 in both. In transmission its group delay is
% that of the coating's thickness, about 3 fs, and its GDDt under 1 fs^2
% from 650 to 950 nm: small beside the GDD of the substrate the beam then
% crosses (printed per mm of N-BK7 at the same angle), which is what a
% pulse passing a splitter mostly needs compensated.
%
% GDt and GDDt are the derivatives of arg t, t the field just inside the
% substrate, with every index following n(k) (coatresponse). The plate's
% GDD is that of the phase k D sqrt(n^2 - sin^2 theta) across a thickness D,
%   GDD = D (2 q' + k q'') / c^2,  q = sqrt(n^2 - sin^2 theta),
%   q' = n n' / q,  q'' = (n'^2 + n n'') / q - (n n')^2 / q^3,
% with n' = dn/dk and n'' = d2n/dk2 from coating_indices.
%
% out has the fields lambda_nm (1xK), k, d (um, air first), m (1 titania,
% 2 silica), materials, theta (rad), pols ({'s', 'p'}), R, T, A, GDt (fs),
% GDDt (fs^2) (2xK: s, then p), T_bare (2xK: the uncoated N-BK7 surface),
% band_nm ([700 900]) and plate_gdd (1xK, fs^2 per mm of N-BK7 at theta).
function out = beam_splitter(png, K)
  if nargin < 1, png = 'beam_splitter.png'; end
  if nargin < 2, K = 301; end

  materials = {'TiO2', 'SiO2', 'N-BK7'};
  d = [34.2; 203.9; 151.7; 60.4; 15.5] / 1000;       % um, air first
  m = [1; 2; 1; 2; 1];
  theta = pi / 4;
  pols = {'s', 'p'};
  band_nm = [700 900];
  c = 0.299792458;                                    % um/fs

  lambda = linspace(0.65, 0.95, K);
  k = 2 * pi ./ lambda;
  [N, Np, Npp] = coating_indices(k, materials);
  R = zeros(2, K);  T = R;  A = R;  GDt = R;  GDDt = R;  T_bare = R;
  for p = 1:2
    o = coatresponse(k, d, m, 1, N, Np, Npp, theta, pols{p}, {'R', 'T', 'A', 'GDt', 'GDDt'});
    R(p, :) = o.R;  T(p, :) = o.T;  A(p, :) = o.A;  GDt(p, :) = o.GDt;  GDDt(p, :) = o.GDDt;
    o = coatresponse(k, [], [], 1, N(3, :), Np(3, :), Npp(3, :), theta, pols{p}, 'T');
    T_bare(p, :) = o.T;
  end

  n = N(3, :);  n1 = Np(3, :);  n2 = Npp(3, :);
  q = sqrt(n .^ 2 - sin(theta) ^ 2);
  q1 = n .* n1 ./ q;
  q2 = (n1 .^ 2 + n .* n2) ./ q - (n .* n1) .^ 2 ./ q .^ 3;
  plate_gdd = 1000 * (2 * q1 + k .* q2) / c ^ 2;      % fs^2 per mm

  lambda_nm = 1000 * lambda;
  inband = lambda_nm >= band_nm(1) & lambda_nm <= band_nm(2);
  fprintf('Beam splitter: %d layers TiO2/SiO2 on N-BK7 at 45 deg, in transmission\n', numel(d));
  fprintf('  lambda |           s                  |           p\n');
  fprintf('    (nm) |  T      R      GDt   GDDt    |  T      R      GDt   GDDt\n');
  for l = 700:50:900
    [~, i] = min(abs(lambda_nm - l));
    fprintf('  %6.0f |', lambda_nm(i));
    for p = 1:2
      fprintf(' %.3f  %.3f  %5.2f  %6.2f   |', T(p, i), R(p, i), GDt(p, i), GDDt(p, i));
    end
    fprintf('\n');
  end
  fprintf('  GDt in fs, GDDt in fs^2\n');
  fprintf('  %d to %d nm: T_s %.3f to %.3f, T_p %.3f to %.3f, |GDDt| <= %.2f fs^2, max |R + T - 1| %.1e\n', ...
          band_nm, min(T(1, inband)), max(T(1, inband)), min(T(2, inband)), max(T(2, inband)), ...
          max(max(abs(GDDt(:, inband)))), max(max(abs(R + T - 1))));
  fprintf('  uncoated N-BK7 at 45 deg: T_s %.3f, T_p %.3f at 800 nm\n', ...
          interp1(lambda_nm, T_bare(1, :), 800), interp1(lambda_nm, T_bare(2, :), 800));
  fprintf('  1 mm of N-BK7 crossed at 45 deg adds %.1f fs^2 at 800 nm\n', ...
          interp1(lambda_nm, plate_gdd, 800));

  blue = [0 0.35 0.75];  orange = [0.85 0.45 0.1];  grey = [0.6 0.6 0.6];
  h = coat_print_png();
  set(h, 'defaultaxesfontsize', 7, 'defaulttextfontsize', 7);
  axes('position', [0.12 0.70 0.83 0.24]);
  fill(band_nm([1 2 2 1]), [0 0 1 1], [0.93 0.93 0.93], 'edgecolor', 'none');
  hold on;
  plot(lambda_nm, T(1, :), '-', 'color', blue, 'linewidth', 1.5);
  plot(lambda_nm, T(2, :), '--', 'color', blue, 'linewidth', 1.5);
  plot(lambda_nm, R(1, :), '-', 'color', orange, 'linewidth', 1.5);
  plot(lambda_nm, R(2, :), '--', 'color', orange, 'linewidth', 1.5);
  plot(lambda_nm, T_bare(1, :), '-', 'color', grey, 'linewidth', 1);
  plot(lambda_nm, T_bare(2, :), '--', 'color', grey, 'linewidth', 1);
  hold off;
  xlim(lambda_nm([1 end]));  ylim([0 1]);  grid on;
  ylabel('T, R');  xlabel('wavelength (nm)');
  % Each curve labelled where it lies, outside the band: s solid, p dashed.
  left = lambda_nm(1) + 2;  right = lambda_nm(end) - 2;
  text(left, T(2, 1), 'T_p', 'verticalalignment', 'top');
  text(left, R(2, 1), 'R_p', 'verticalalignment', 'bottom');
  text(left, max(T(1, 1), R(1, 1)), 'T_s, R_s', 'verticalalignment', 'bottom');
  text(left, T_bare(1, 1), 'T_s uncoated', 'verticalalignment', 'top');
  text(right, T_bare(2, end), 'T_p uncoated', 'verticalalignment', 'top', ...
       'horizontalalignment', 'right');
  text(mean(band_nm), 0.06, sprintf('%d to %d nm', band_nm), 'horizontalalignment', 'center');
  title(sprintf('%d layers TiO_2/SiO_2 on N-BK7 at 45 deg: s solid, p dashed', numel(d)));
  labels = {'GDt (fs)', 'GDDt (fs^2)'};
  quantities = {GDt, GDDt};
  bottoms = [0.39 0.08];
  places = {'northeast', 'north'};
  for panel = 1:2
    axes('position', [0.12 bottoms(panel) 0.83 0.22]);
    values = quantities{panel};
    plot(lambda_nm, values(1, :), '-', 'color', blue, 'linewidth', 1.5);
    hold on;
    plot(lambda_nm, values(2, :), '--', 'color', blue, 'linewidth', 1.5);
    hold off;
    xlim(lambda_nm([1 end]));  grid on;
    ylabel(labels{panel});  xlabel('wavelength (nm)');
    legend('s', 'p', 'location', places{panel});
    legend('boxoff');
  end
  coat_print_png(h, png, 900, 960);
  fprintf('Plot written to %s\n', png);

  out = struct('lambda_nm', lambda_nm, 'k', k, 'd', d, 'm', m, 'theta', theta, ...
               'R', R, 'T', T, 'A', A, 'GDt', GDt, 'GDDt', GDDt, 'T_bare', T_bare, ...
               'band_nm', band_nm, 'plate_gdd', plate_gdd);
  out.materials = materials;
  out.pols = pols;
end
