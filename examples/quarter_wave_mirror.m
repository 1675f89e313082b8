% quarter_wave_mirror(png, K)
% A quarter-wave high reflector: 15 pairs of n = 2.3 / 1.45 layers on glass
% (n = 1.45), centred at 800 nm, seen at normal incidence from air. Prints a
% short table of the TM reflectance from 600 to 1000 nm and writes a plot of
% R against wavelength to the PNG file png (default quarter_wave_mirror.png),
% over K wavelengths (default 801). Returns the wavelengths (nm) and R.
function [lambda_nm, R] = quarter_wave_mirror(png, K)
  if nargin < 1, png = 'quarter_wave_mirror.png'; end
  if nargin < 2, K = 801; end
  nH = 2.3;  nL = 1.45;  nGlass = 1.45;  centre = 0.8;   % um
  d = repmat([centre / (4 * nH); centre / (4 * nL)], 15, 1);
  lambda = linspace(0.6, 1.0, K);                        % um
  k = 2 * pi ./ lambda;                                  % rad/um
  N = repmat([nH; nL; nGlass], 1, K);
  R = coatrefl2(k, d, 1.0, N, 0);
  lambda_nm = 1000 * lambda;

  printf('Quarter-wave mirror, 15 pairs %.2f/%.2f on n = %.2f, centred at %d nm\n', ...
         nH, nL, nGlass, round(1000 * centre));
  printf('  lambda (nm)   R\n');
  for l = 600:50:1000
    [~, i] = min(abs(lambda_nm - l));
    printf('  %7.0f     %.6f\n', lambda_nm(i), R(i));
  end

  h = coat_print_png();
  plot(lambda_nm, R, 'linewidth', 1.5);
  xlabel('wavelength (nm)');  ylabel('R (TM, normal incidence)');
  title('15 pairs of 2.3 / 1.45 at 800 nm');
  ylim([0 1.05]);  grid on;
  coat_print_png(h, png, 800, 480);
  printf('Plot written to %s\n', png);
end
