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
function [ev, merit, r, J] = judge_targets(ev, Q, D)
  gradients = ~isempty(D) && ~isempty(D{1});
  merit = 0;
  r = cell(numel(ev), 1);
  J = cell(numel(ev), 1);
  for t = 1:numel(ev)
    e = ev(t);
    q = Q{t};
    [a, n] = size(q);
    [s, c] = target_excess(e, q);
    mean_ = strcmp(e.kind, 'mean');
    rs = sqrt(e.weight / numel(s));
    [worst, i] = max(abs(s(:)));
    ia = mod(i - 1, a) + 1;  il = (i - ia) / a + 1;
    ev(t).q = q;
    if gradients
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
    ev(t).merit = e.weight * mean((s(:) / e.scale) .^ 2);
    merit = merit + ev(t).merit;
    st = s.';
    r{t} = rs / e.scale * st(:);
    if gradients
      L = size(D{t}, 1);
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
