% out = pulse_compressor(png)
% A 15 fs pulse at 800 nm crosses 3 mm of Ti:sapphire and is compressed
% again by two chirped mirrors, n bounces on each: coatpulse gives the pulse
% before and after, in time. Prints the crystal's dispersion and, for 0 to
% 3 bounces on each mirror, the duration, the peak against the transform
% limit and the energy in the main peak; writes coatpulse's figure for the
% best number of bounces to the PNG file png (default
% pulse_compressor.png): the pulse that meets the mirrors, the pulse after
% them and the transform limit, linear and in dB, with the output spectrum
% and the phase the compressor leaves.
%
% The crystal: sapphire, ordinary ray (coating_indices' 'Al2O3', Malitson
% and Dodge), its GDD = D (2 n' + k n'') / c^2 from the exact n' = dn/dk and
% n'' = d2n/dk2, its TOD the derivative of that GDD in omega (a central
% difference of the exact formula).
%
% The mirrors, titania/silica on fused silica at 5 degrees, s: mirror A is
% a chirped stack of 20 pairs whose quarter-wave wavelength ramps from
% 620 nm next to the air to 1040 nm next to the substrate, the first three
% pairs tapered (see dispersive_mirror): longer wavelengths reach deeper,
% so GD rises with wavelength and the GDD is negative. Its front still
% reflects a little, and that wave beats with the deep one (a
% Gires-Tournois cavity): the GDD rings across the band. Mirror B is A under
% 270 nm more silica, which moves its ringing against A's, so that the
% pair rings less than either mirror twice; the mirrors' own TOD, of the
% crystal's sign, is what neither removes.
%
% out has the fields crystal (mm), gdd (fs^2) and tod (fs^3) of the
% crystal; mirrors (the two designs); lambda_nm and mirror_gdd (2xK, the
% GDD of each mirror over 700 to 900 nm); bounces (0:3), fwhm, peak and
% main (the output's duration in fs, peak against its transform limit and
% the fraction of its energy in the main peak, per number of bounces);
% best (the number of bounces with the highest peak); p (coatpulse's output
% for that number).
function out = pulse_compressor(png)
  if nargin < 1, png = 'pulse_compressor.png'; end
  c = 0.299792458;                            % um/fs
  pulse = struct('lambda', 0.8, 'fwhm', 15, 'shape', 'gaussian');

  crystal = 3;                                % mm of Ti:sapphire
  k = 2 * pi / pulse.lambda + [-1e-3 0 1e-3];  % rad/um
  [~, n1, n2] = coating_indices(k, {'Al2O3'});
  G = 1000 * crystal * (2 * n1 + k .* n2) / c ^ 2;
  gdd = G(2);
  tod = (G(3) - G(1)) / (2e-3 * c);           % dGDD/domega = dGDD/dk / c

  mats = {'TiO2', 'SiO2', 'fused silica'};
  pairs = 20;  taper = 3;
  n800 = coating_indices(2 * pi / 0.8, mats);
  centre = linspace(0.62, 1.04, pairs);       % quarter-wave wavelengths, um
  share = 0.5 * ones(1, pairs);               % titania share of each pair
  share(1:taper) = (1:taper) / (2 * (taper + 1));
  d = [share .* centre / (2 * n800(1)); (1 - share) .* centre / (2 * n800(2))];
  A = struct('d', d(:), 'm', repmat([1; 2], pairs, 1), 'materials', {mats});
  B = struct('d', [0.27; A.d], 'm', [2; A.m], 'materials', {mats});
  theta = 5 * pi / 180;

  lambda = linspace(0.7, 0.9, 201);
  kk = 2 * pi ./ lambda;
  [N, Np, Npp] = coating_indices(kk, mats);
  mirror_gdd = zeros(2, numel(lambda));
  designs = {A, B};
  for i = 1:2
    o = coatresponse(kk, designs{i}.d, designs{i}.m, 1, N, Np, Npp, theta, 's', 'GDD');
    mirror_gdd(i, :) = o.GDD;
  end

  bounces = 0:3;
  fwhm = zeros(size(bounces));  peak = fwhm;  main = fwhm;
  for b = bounces
    if b == 0
      q = coatpulse([], pulse, 'gdd', gdd, 'tod', tod);
    else
      q = coatpulse({A, B}, pulse, 'bounces', b, 'theta', theta, 'gdd', gdd, 'tod', tod);
    end
    fwhm(b + 1) = q.fwhm;  peak(b + 1) = q.peak;  main(b + 1) = q.mainFraction;
  end
  [~, i] = max(peak);
  best = bounces(i);
  p = coatpulse({A, B}, pulse, 'bounces', best, 'theta', theta, 'gdd', gdd, 'tod', tod, ...
                'figure', png);

  inband = lambda >= 0.75 & lambda <= 0.85;
  fprintf('Pulse: %g fs gaussian at %g nm; %g mm of Ti:sapphire: GDD %.1f fs^2, TOD %.1f fs^3\n', ...
          pulse.fwhm, 1000 * pulse.lambda, crystal, gdd, tod);
  fprintf('Mirrors at 5 deg, s, mean GDD over 750 to 850 nm: A %.1f fs^2, B %.1f fs^2\n', ...
          mean(mirror_gdd(:, inband), 2));
  fprintf('  bounces on each | fwhm (fs) | peak / limit | main peak\n');
  for b = bounces
    fprintf('  %15d | %9.1f | %12.3f | %8.1f %%\n', b, fwhm(b + 1), peak(b + 1), 100 * main(b + 1));
  end
  fprintf('Best: %d bounces on each mirror, %.1f fs (transform limit %.1f fs); delay %.1f fs\n', ...
          best, p.fwhm, p.fwhmTL, p.delay);
  fprintf('Plot written to %s\n', png);

  out = struct('crystal', crystal, 'gdd', gdd, 'tod', tod, 'lambda_nm', 1000 * lambda, ...
               'mirror_gdd', mirror_gdd, 'bounces', bounces, 'fwhm', fwhm, 'peak', peak, ...
               'main', main, 'best', best, 'p', p);
  out.mirrors = {A, B};
end
