% [ev, merit, r, J] = expected_linear(design, ev, mode, model): the
% expected merit of a design under a production-error model (error_model)
% with its quantities linearised about it, for robust design. At each point
% of each target the quantity as made is normal, of mean q (the design's)
% and standard deviation sigma_q, the linearised spread: the root of
%   sum_j (s_j dq/dd_j)^2 + sum_mu (rate_mu sum_{j in mu} d_j dq/dd_j)^2
%   + sum_mu (index_mu dq/dn_mu)^2,
% s_j the layer's random standard deviation. The expected square of its
% excess beyond each bound u (deviation less tolerance, in the quantity's
% unit) is then, in closed form,
%   f(u, sigma_q) = E[max(u + sigma_q z, 0)^2]
%                 = (u^2 + sigma_q^2) Phi(u / sigma_q) + u sigma_q phi(u / sigma_q),
% which is max(u, 0)^2 as sigma_q goes to 0: the merit of the targets, with
% no sampling noise and no draws to fit. merit = weight * nominal merit +
% the sum over targets of weight * mean(f / scale^2), weight = samples (the
% nominal targets outweigh the spread, as in evaluate_robust). r holds the
% nominal residuals times sqrt(weight), then the root of each point's part,
% so that merit = sum(r.^2); J = dr/dd. The spread's derivative needs the
% second derivatives of the quantities: each column of the Hessian is the
% forward difference of the exact gradients along one layer (a step of
% 1e-6 um, good to ~1e-5 of the spread's gradient), so a Jacobian costs
% L + 1 evaluations with gradients and the values one. The index spreads
% (a central difference in n, index_slopes) are taken as constant in d.
function [ev, merit, r, J] = expected_linear(design, ev, mode, model)
  gradients = strcmp(mode, 'jacobian');
  W = max(model.samples, 1);
  [ev, nominal, rn, Jn] = evaluate_targets(design, ev, 'jacobian');
  d = design.d;  L = numel(d);
  s = sqrt(model.sigma .^ 2 + (model.relative .* d) .^ 2) .* ones(L, 1);
  slope = zeros(L, 1);                            % ds/dd, relative errors alone
  rho = model.relative(:) .* ones(L, 1);
  slope(s > 0) = rho(s > 0) .^ 2 .* d(s > 0) ./ s(s > 0);
  rates = find(model.rate(:).' > 0);
  dn = index_slopes(design, ev, model);
  [G, dev] = point_slopes(ev);
  H = cell(1, L);
  if gradients
    h = 1e-6;
    for k = 1:L
      up = design;  up.d(k) = d(k) + h;
      e = evaluate_targets(up, ev, 'jacobian');
      Gk = point_slopes(e);
      H{k} = cellfun(@(a, b) (a - b) / h, Gk, G, 'UniformOutput', false);
    end
  end
  merit = W * nominal;
  r = {sqrt(W) * rn};
  J = {sqrt(W) * Jn};
  for t = 1:numel(ev)
    e = ev(t);
    g = G{t};                                      % points x L
    P = size(g, 1);
    R = zeros(P, numel(model.rate));
    v = (g .^ 2) * (s .^ 2);
    for mu = rates
      R(:, mu) = model.rate(mu) * (g(:, e_layers(design, mu)) * d(e_layers(design, mu)));
      v = v + R(:, mu) .^ 2;
    end
    for mu = find(model.index(:).' > 0)
      x = dn{t, mu};
      if strcmp(e.kind, 'mean'), x = x * band_weights(e.lambda).'; else x = x.'; end
      x = x(:);
      if strcmp(e.offset, 'free'), x = x - mean(x); end
      v = v + (model.index(mu) * x) .^ 2;
    end
    sq = sqrt(v);
    [f, fu, fs] = side_terms(e, dev{t}, sq);
    c = e.weight / P / e.scale ^ 2;
    merit = merit + c * sum(f);
    rt = sqrt(c * f);
    r{end + 1} = rt;
    if gradients
      % d sigma_q / dd_k = (sum_j s_j^2 g_j H_jk + s_k s_k' g_k^2
      %                     + sum_mu R_mu rate_mu (g_k [k in mu] + sum_{j in mu} d_j H_jk)) / sigma_q
      dv = bsxfun(@times, g .^ 2, (s .* slope).');
      for k = 1:L
        Hk = H{k}{t};
        dv(:, k) = dv(:, k) + sum(bsxfun(@times, Hk, (s .^ 2).') .* g, 2);
        for mu = rates
          in = e_layers(design, mu);
          dv(:, k) = dv(:, k) + R(:, mu) * model.rate(mu) .* (g(:, k) * any(in == k) + Hk(:, in) * d(in));
        end
      end
      dsig = bsxfun(@rdivide, dv, max(sq, realmin));
      grad = bsxfun(@times, fu, g) + bsxfun(@times, fs, dsig);     % dF/dd, points x L
      Jt = bsxfun(@times, grad, c ./ (2 * max(rt, realmin)));
      Jt(rt == 0, :) = 0;
      J{end + 1} = Jt;
    end
  end
  r = vertcat(r{:});
  if gradients
    J = vertcat(J{:});
  else
    J = [];
  end
end

% Each target's points (wavelength-fastest, as judge_targets orders them; a
% mean's one a angle): the slopes dq/dd (points x L) and the deviation from
% the value (the free offset taken off, its slopes centred).
function [G, dev] = point_slopes(ev)
  G = cell(1, numel(ev));  dev = G;
  for t = 1:numel(ev)
    e = ev(t);
    [L, n, a] = size(e.dq);
    if strcmp(e.kind, 'mean')
      w = band_weights(e.lambda);
      g = reshape(sum(bsxfun(@times, e.dq, w), 2), L, a).';
      x = e.q * w.' - e.value(1);
    else
      g = reshape(permute(e.dq, [2 3 1]), a * n, L);
      x = bsxfun(@minus, e.q, e.value).';
      x = x(:);
    end
    if strcmp(e.offset, 'free')
      g = bsxfun(@minus, g, mean(g, 1));
      x = x - mean(x);
    end
    G{t} = g;  dev{t} = x;
  end
end

function in = e_layers(design, mu)
  in = find(design.m == mu);
end

% The expected squared excess beyond the target's bounds, f (points x 1),
% and its derivatives by the mean deviation (fu) and by the spread (fs).
function [f, fu, fs] = side_terms(e, x, sq)
  f = zeros(size(x));  fu = f;  fs = f;
  if any(strcmp(e.type, {'=', '<='}))
    [a, b, c] = shortfall(x - e.tol, sq);
    f = f + a;  fu = fu + b;  fs = fs + c;
  end
  if any(strcmp(e.type, {'=', '>='}))
    [a, b, c] = shortfall(-x - e.tol, sq);
    f = f + a;  fu = fu - b;  fs = fs + c;
  end
end

% f = E[max(u + s z, 0)^2] for standard normal z, df/du, df/ds.
function [f, fu, fs] = shortfall(u, s)
  z = u ./ max(s, realmin);
  P = 0.5 * erfc(-z / sqrt(2));
  p = exp(-z .^ 2 / 2) / sqrt(2 * pi);
  f = (u .^ 2 + s .^ 2) .* P + u .* s .* p;
  fu = 2 * (u .* P + s .* p);
  fs = 2 * s .* P;
  zero = s == 0;
  f(zero) = max(u(zero), 0) .^ 2;
  fu(zero) = 2 * max(u(zero), 0);
  fs(zero) = 0;
end
