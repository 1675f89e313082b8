% c = stack_case(L, K, theta): a test stack of L uneven layers (2.3 / 1.45 on
% 1.52) over K wavenumbers around 800 nm. The indices N, their slopes Np and
% curvatures Npp differ at every wavenumber, so that a module reading
% another wavenumber's (its lane group's first, say) fails; take K = 11 to
% mix lane groups (8 + 3, 4 + 4 + 3).
function c = stack_case(L, K, theta)
  if nargin < 3, theta = 0.5; end
  j = (0:L-1)';
  base = 0.087 + (0.138 - 0.087) * mod(j, 2);
  c.d = base .* (1 + 0.37 * sin(1.3 * j + 0.4));
  c.k = linspace(6.5, 9.5, K);
  c.na = 1;
  i = 0:K-1;
  c.N = [2.3 + 0.02 * cos(0.7 * i); 1.45 + 0.01 * sin(1.1 * i); 1.52 + 0 * i];
  c.Np = [0.021 + 0.006 * sin(1.3 * i); 0.0043 + 0.003 * cos(0.9 * i); 0.0051 + 0.004 * sin(2.3 * i)];
  c.Npp = [0.0042 + 0.003 * cos(1.1 * i); 0.0009 + 0.0008 * sin(1.9 * i); -0.0007 + 0.0005 * cos(2.9 * i)];
  c.theta = theta;
end
