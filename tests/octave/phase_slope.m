% [gd, gdd] = phase_slope(rho_of_k, k, h): (1/c) d(arg rho)/dk and
% (1/c^2) d^2(arg rho)/dk^2 by central differences of step h, taken as
% arguments of ratios so that no unwrapping is needed.
function [gd, gdd] = phase_slope(rho_of_k, k, h)
  c = 0.299792458;
  up = rho_of_k(k + h);  down = rho_of_k(k - h);  mid = rho_of_k(k);
  gd = angle(up ./ down) / (2 * h) / c;
  gdd = angle(up .* down ./ mid.^2) / h^2 / c^2;
end
