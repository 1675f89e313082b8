% out = design_with_gradients(png, K)
% Designs a dispersive mirror with exact thickness gradients. Starting from a
% quarter-wave titania/silica stack at 800 nm (40 layers on fused silica, with
% Sellmeier dispersion from coating_indices), Octave's fminunc adjusts all 40
% thicknesses until the group delay over 750 to 850 nm (TE, normal incidence,
% K wavenumbers, default 201) follows a constant GDD of -40 fs^2, with the
% reflectance held above 99.9 % and no layer thinner than 20 nm. fminunc is
% given the exact gradient from coatdelaygrad, at the cost of about one
% coatdelay call; the same run is then repeated with fminunc's own forward
% differences, L + 1 coatdelay calls per gradient, for comparison. Prints
% the merit before and after, the iterations and the times, and writes GD
% (before, after, target) and R to the PNG file png (default
% design_with_gradients.png). Ends with an error if the exact-gradient run
% does not converge or does not lower the merit at least tenfold.
%
% Merit, in fs^2:
%   e = GD - target;  e = e - mean(e)       (a constant delay is free)
%   m = sum(e.^2) + w * sum(max(0, Rmin - R).^2) + w * sum(max(0, dmin - d).^2)
% and its gradient, from dGD and dR (LxK, row j = layer j):
%   dm/dd = 2 * dGD * e' - 2 * w * dR * max(0, Rmin - R)' - 2 * w * max(0, dmin - d)
% (the mean removal drops out of the gradient because sum(e) = 0). The
% reflectance term is zero while R >= Rmin everywhere in the band, and keeps
% the optimiser from buying delay with leaked light; the thickness term is
% zero while every layer is at least dmin thick, and keeps the design
% depositable.
%
% The variables are x = log(d), so that no thickness can turn negative:
% dm/dx = d .* dm/dd.
%
% out has the fields lambda_nm, k, target (the target GD over the band),
% d0, d (um), GD0, GD, R0, R (over the band), merit0, merit, ratio,
% rms_error (fs, of GD against the target with the mean delay removed),
% iterations, time, converged, and the same for the finite-difference run:
% merit_fd, iterations_fd, time_fd.
function out = design_with_gradients(png, K)
  if nargin < 1, png = 'design_with_gradients.png'; end
  if nargin < 2, K = 201; end

  c = 0.299792458;                            % um/fs
  band = [0.75 0.85];                         % um
  gdd = -40;                                  % fs^2
  Rmin = 0.999;                               % lowest R in the band
  dmin = 0.02;                                % thinnest layer, um
  w = 1e6;                                    % weight of both bounds
  L = 40;

  k = linspace(2 * pi / band(2), 2 * pi / band(1), K);   % rad/um
  omega = c * k;                                          % rad/fs
  target = gdd * (omega - mean(omega));                   % fs
  [N, Np] = coating_indices(k);
  n800 = coating_indices(2 * pi / 0.8);
  d0 = repmat([0.8 / (4 * n800(1)); 0.8 / (4 * n800(2))], L / 2, 1);
  x0 = log(d0);

  f = @(x) merit(x, k, N, Np, target, Rmin, dmin, w);
  options = optimset('GradObj', 'on', 'MaxIter', 2000, 'MaxFunEvals', 1e7, ...
                     'TolX', 1e-7, 'TolFun', 1e-7);

  merit0 = f(x0);
  tic;
  [x, merit1, info, output] = fminunc(f, x0, options);
  time = toc;
  tic;
  [~, merit_fd, info_fd, output_fd] = ...
      fminunc(f, x0, optimset(options, 'GradObj', 'off'));
  time_fd = toc;

  d = exp(x);
  [R0, GD0] = coatdelay(k, d0, 1, N, Np, 0, 'TE');
  [R, GD] = coatdelay(k, d, 1, N, Np, 0, 'TE');
  ratio = merit0 / merit1;
  e = GD - target;
  rms_error = sqrt(mean((e - mean(e)) .^ 2));          % fs
  converged = info > 0;

  printf('Design: %d layers TiO2/SiO2 on fused silica, GDD %g fs^2 over %d to %d nm (K = %d)\n', ...
         L, gdd, round(1000 * band), K);
  printf('                      merit (fs^2)   iterations   time (s)   fminunc exit\n');
  printf('  start               %12.5g\n', merit0);
  printf('  exact gradient      %12.5g   %10d   %8.3f   %d\n', ...
         merit1, output.iterations, time, info);
  printf('  finite differences  %12.5g   %10d   %8.3f   %d\n', ...
         merit_fd, output_fd.iterations, time_fd, info_fd);
  printf('  merit lowered %.3g times; rms GD error %.3g fs; min R %.5f (start %.5f)\n', ...
         ratio, rms_error, min(R), min(R0));
  printf('  thicknesses %.1f to %.1f nm (start %.1f and %.1f nm)\n', ...
         1000 * min(d), 1000 * max(d), 1000 * d0(1), 1000 * d0(2));

  % The design on a fine grid, a little beyond the band.
  lambda_fine = linspace(band(1) - 0.03, band(2) + 0.03, 601);
  kf = 2 * pi ./ lambda_fine;
  [Nf, Npf] = coating_indices(kf);
  [Rf0, GDf0] = coatdelay(kf, d0, 1, Nf, Npf, 0, 'TE');
  [Rf, GDf] = coatdelay(kf, d, 1, Nf, Npf, 0, 'TE');
  inband = lambda_fine >= band(1) & lambda_fine <= band(2);
  target_fine = gdd * (c * kf - mean(omega)) + mean(GD - target);
  target_fine(!inband) = NaN;

  h = coat_print_png();
  nm = 1000 * lambda_fine;
  axes('position', [0.13 0.45 0.82 0.47]);
  hold on;
  plot(nm, GDf0, '-', 'color', [0.55 0.55 0.55], 'linewidth', 1.5);
  plot(nm, target_fine, '-', 'color', [1 0.7 0.4], 'linewidth', 5);
  plot(nm, GDf, '-', 'color', [0 0.35 0.75], 'linewidth', 1.5);
  hold off;
  % Outside the band nothing holds GD: resonances there may run off the axis.
  ylabel('GD (fs)');  grid on;  xlim(nm([1 end]));
  ylim([0, 10 * ceil(max(GDf(inband)) / 10 + 1)]);
  legend('quarter-wave start', sprintf('target, GDD %g fs^2', gdd), ...
         'designed', 'location', 'northwest');
  title(sprintf('%d layers TiO_2/SiO_2, TE at 0 deg', L));
  axes('position', [0.13 0.15 0.82 0.20]);
  hold on;
  plot(nm, Rf0, '-', 'color', [0.55 0.55 0.55], 'linewidth', 1.5);
  plot(nm, Rf, '-', 'color', [0 0.35 0.75], 'linewidth', 1.5);
  hold off;
  ylabel('R');  xlabel('wavelength (nm)');  grid on;
  xlim(nm([1 end]));  ylim([0.998 1.0002]);  set(gca, 'ytick', [0.998 0.999 1]);
  coat_print_png(h, png, 800, 720);
  printf('Plot written to %s\n', png);

  out = struct('lambda_nm', 2000 * pi ./ k, 'k', k, 'target', target, ...
               'd0', d0, 'd', d, 'GD0', GD0, 'GD', GD, 'R0', R0, 'R', R, ...
               'merit0', merit0, 'merit', merit1, 'ratio', ratio, ...
               'rms_error', rms_error, ...
               'iterations', output.iterations, 'time', time, ...
               'converged', converged, 'merit_fd', merit_fd, ...
               'iterations_fd', output_fd.iterations, 'time_fd', time_fd);
  if !converged
    error('design_with_gradients: fminunc did not converge (exit %d)', info);
  end
  if ratio < 10
    error('design_with_gradients: the merit fell only %.3g times', ratio);
  end
end

% The merit and, when asked for, its exact gradient with respect to x = log(d).
% With one output only R and GD are computed, as a finite-difference
% optimiser would call it.
function [m, g] = merit(x, k, N, Np, target, Rmin, dmin, w)
  d = exp(x);
  if nargout < 2
    [R, GD] = coatdelay(k, d, 1, N, Np, 0, 'TE');
  else
    [R, GD, dR, dGD] = coatdelaygrad(k, d, 1, N, Np, 0, 'TE');
  end
  e = GD - target;
  e = e - mean(e);
  short = max(0, Rmin - R);
  thin = max(0, dmin - d);
  m = sum(e .^ 2) + w * sum(short .^ 2) + w * sum(thin .^ 2);
  if nargout > 1
    g = d .* (2 * dGD * e' - 2 * w * dR * short' - 2 * w * thin);
  end
end
