% c = stack_case(L, K, theta): a test stack of L uneven layers (2.3 / 1.45 on
% 1.52) over K wavenumbers around 800 nm, with dispersive index slopes.
function c = stack_case(L, K, theta)
  if nargin < 3, theta = 0.5; end
  j = (0:L-1)';
  base = 0.087 + (0.138 - 0.087) * mod(j, 2);
  c.d = base .* (1 + 0.37 * sin(1.3 * j + 0.4));
  c.k = linspace(6.5, 9.5, K);
  c.na = 1;
  c.N = repmat([2.3; 1.45; 1.52], 1, K);
  c.Np = repmat([0.021; 0.0043; 0.0051], 1, K);
  c.theta = theta;
end
