% [D, G, dn] = error_draws(model, d, m, n, seed): n draws of the production
% errors of a completed model (error_model) for the thicknesses d (Lx1, um)
% of materials m: D (L x n) the thicknesses as made, G (L x n) the
% derivative of each made thickness by its own design thickness (no made
% thickness depends on another layer's), dn (M x n) each material's index
% offset. Draw j makes
%   D(i, j) = max(d(i) (1 + rate(m(i)) x(m(i))) + s(i) e(i), 0),
%   s(i) = sqrt(sigma(i)^2 + (relative(i) d(i))^2),
% from standard normal x (the rates), y (dn = index .* y) and e (the
% layers), drawn by seeded_draws(seed, 'randn', 2 M + L, n), a column a
% draw: rows 1..M the rates, M+1..2M the indices, 2M+i layer i. Draw j is
% the same however many are drawn, and the same seed gives the same errors:
% the optimisers' common random numbers, and the same samples for every
% factor of coattolerance's yield curve. antithetic, true: the second half
% of the draws are the first half's negatives (e and -e), the first
% ceil(n / 2) drawn as above.
function [D, G, dn] = error_draws(model, d, m, n, seed, antithetic)
  L = numel(d);  M = numel(model.rate);
  if nargin > 5 && antithetic
    Z = seeded_draws(seed, 'randn', 2 * M + L, ceil(n / 2));
    Z = [Z, -Z];
    Z = Z(:, 1:n);
  else
    Z = seeded_draws(seed, 'randn', 2 * M + L, n);
  end
  x = Z(1:M, :);  y = Z(M + 1:2 * M, :);  e = Z(2 * M + 1:end, :);
  rho = model.relative .* ones(L, 1);
  s = sqrt(model.sigma .^ 2 + (rho .* d) .^ 2);
  factor = 1 + repmat(model.rate(m), 1, n) .* x(m, :);
  D = repmat(d, 1, n) .* factor + repmat(s, 1, n) .* e;
  % ds/dd = relative^2 d / s, where s > 0
  slope = zeros(L, 1);
  slope(s > 0) = rho(s > 0) .^ 2 .* d(s > 0) ./ s(s > 0);
  G = factor + repmat(slope, 1, n) .* e;
  G(D < 0) = 0;
  D = max(D, 0);
  dn = repmat(model.index, 1, n) .* y;
end
