% [ev, merit, r, J] = judge_targets(ev, Q, D): the completed targets judged
% at the values Q{t} (a x n) and, where D is not empty, their thickness
% derivatives D{t} (L x n x a). Each target gains q, dq (with D),
% offset_value, excess (in its quantity's unit, target_excess: a x n, or
% a x 1 for a 'mean' target), band_mean (a 'mean' target's mean at each
% angle, a x 1; [] for the others), worst (max |excess|) and where
% (worst_lambda, NaN for a 'mean' target, worst_theta), met and merit, its
% part of the merit: weight * mean((excess / scale).^2). r stacks the
% residuals, sqrt(weight / p) * excess / scale for the p points judged
% (wavelength-fastest), so that merit = sum(r.^2); J = dr/dd (numel(r) x L;
% [] without D), 0 where a point is within its tolerance, centred where the
% offset is free; a mean's row is the band's weights times dq/dd.
%
% A field target (E2) comes with Q{t} a x n x P, |E|^2 at its P sampled
% depths, and D{t} L x n x a x P: every sampled depth is a point judged,
% one residual each (wavelength fastest, then angle, then depth), so that
% the bound is smooth where it binds; q and excess are the maximum over the
% depths (a x n), what the bound is about, dq its derivative (at the
% highest depth), and field keeps the samples.
function [ev, merit, r, J] = judge_targets(ev, Q, D)
  gradients = ~isempty(D) && any(~cellfun(@isempty, D));
  merit = 0;
  r = cell(numel(ev), 1);
  J = cell(numel(ev), 1);
  for t = 1:numel(ev)
    e = ev(t);
    q = Q{t};
    [s, c] = target_excess(e, q);
    judged = s;
    if strcmp(e.quantity, 'E2')
      ev(t).field = q;
      [a, n, P] = size(q);
      if P == 0
        q = zeros(a, n);  s = q;  at = ones(a, n);
      else
        [q, at] = max(q, [], 3);  s = max(s, [], 3);
      end
    end
    [a, n] = size(q);
    mean_ = strcmp(e.kind, 'mean');
    rs = sqrt(e.weight / max(numel(judged), 1));
    [worst, i] = max(abs(s(:)));
    ia = mod(i - 1, a) + 1;  il = (i - ia) / a + 1;
    ev(t).q = q;
    if gradients && strcmp(e.quantity, 'E2')
      ev(t).dq = zeros(size(D{t}, 1), n, a);
      for i = 1:numel(at) * (size(D{t}, 4) > 0)
        ev(t).dq(:, ceil(i / a), mod(i - 1, a) + 1) = D{t}(:, ceil(i / a), mod(i - 1, a) + 1, at(i));
      end
    elseif gradients
      ev(t).dq = D{t};
    end
    ev(t).offset_value = c;
    ev(t).excess = s;
    ev(t).band_mean = [];
    ev(t).worst = worst;
    if mean_
      ev(t).band_mean = q * band_weights(e.lambda).';
      ev(t).worst_lambda = NaN;
    else
      ev(t).worst_lambda = e.lambda(il);
    end
    ev(t).worst_theta = e.theta(ia);
    ev(t).met = worst == 0;
    ev(t).merit = e.weight * sum((judged(:) / e.scale) .^ 2) / max(numel(judged), 1);
    merit = merit + ev(t).merit;
    st = permute(judged, [2 1 3]);
    r{t} = rs / e.scale * st(:);
    if gradients
      L = size(D{t}, 1);
      if strcmp(e.quantity, 'E2')
        % D{t} is L x n x a x P, its columns in r's order; only the samples
        % beyond the bound have rows
        J{t} = zeros(numel(judged), L);
        active = find(st(:) ~= 0);
        DD = reshape(D{t}, L, []);
        J{t}(active, :) = rs / e.scale * DD(:, active).';
        continue;
      end
      if mean_
        G = reshape(sum(bsxfun(@times, D{t}, band_weights(e.lambda)), 2), L, a).';   % a x L
      else
        G = reshape(permute(D{t}, [2 3 1]), a * n, L);   % points x L, in r's order
      end
      if strcmp(e.offset, 'free')
        G = bsxfun(@minus, G, mean(G, 1));
      end
      J{t} = bsxfun(@times, G, rs / e.scale * (st(:) ~= 0));
    end
  end
  r = vertcat(r{:});
  if gradients
    J = vertcat(J{:});
  else
    J = [];
  end
end
