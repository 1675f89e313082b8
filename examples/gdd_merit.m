% [m, g] = gdd_merit(x, k, N, Np, Npp, theta, pol, target, Rmin, dmin, w, s)
% The merit of design_gdd and, when asked for, its exact gradient with respect
% to x = log(d): the mean square distance of coatdispgrad's GDD from the
% target over the wavenumbers k, in units of s fs^2 (default 1), plus w
% times the squared shortfalls of R below Rmin and of the thicknesses below
% dmin (see design_gdd).
function [m, g] = gdd_merit(x, k, N, Np, Npp, theta, pol, target, Rmin, dmin, w, s)
  if nargin < 12, s = 1; end
  d = exp(x);
  if nargout < 2
    [R, ~, GDD] = coatdispgrad(k, d, 1, N, Np, Npp, theta, pol);
  else
    [R, ~, GDD, dR, ~, dGDD] = coatdispgrad(k, d, 1, N, Np, Npp, theta, pol);
  end
  e = (GDD - target) / s;
  short = max(0, Rmin - R);
  thin = max(0, dmin - d);
  m = mean(e .^ 2) + w * sum(short .^ 2) + w * sum(thin .^ 2);
  if nargout > 1
    g = d .* (2 * dGDD * e' / (s * numel(k)) - 2 * w * dR * short' - 2 * w * thin);
  end
end
