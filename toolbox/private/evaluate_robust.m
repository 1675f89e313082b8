% [ev, merit, r, J, needle] = evaluate_robust(design, ev, mode, model, z, mu):
% evaluate_targets for robust design under a production-error model
% (error_model): the merit is
%   S * (the nominal design's merit) + (its expected merit),
% the expected merit being the mean, over the model's S = samples draws of
% the errors, of the merit of the design as made. The draws come from
% error_draws with model.seed in antithetic pairs (e and -e: the mean of a
% pair has no term odd in the errors, so the optimiser cannot buy a
% sample's luck with a shift of the design); they are the same at every
% call, so the merit is a smooth function of the thicknesses. r stacks the
% nominal residuals times sqrt(S), then each draw's divided by sqrt(S), so
% that merit = sum(r.^2), and J = dr/dd exactly: each draw's Jacobian taken
% through its made thicknesses by the chain rule. ev is the nominal
% evaluation; the needle mode gives the nominal design's needle function.
% With no samples, this is evaluate_targets.
%
% The nominal term costs nothing while the design meets its targets; beyond
% them it weighs as much as all the draws together S times over, so that
% no trade of the nominal targets for robustness pays.
function [ev, merit, r, J, needle] = evaluate_robust(design, ev, mode, model, z, mu)
  if nargin < 5, z = [];  mu = []; end
  if strcmp(model.method, 'linear') && ~strcmp(mode, 'needle')
    [ev, merit, r, J] = expected_linear(design, ev, mode, model);
    needle = [];
    return;
  end
  [ev, merit, r, J, needle] = evaluate_targets(design, ev, mode, z, mu);
  S = model.samples;
  if S == 0 || strcmp(mode, 'needle'), return; end
  gradients = strcmp(mode, 'jacobian');
  merit = S * merit;
  r = sqrt(S) * r;
  J = sqrt(S) * J;
  [D, G, dn] = error_draws(model, design.d, design.m, S, model.seed, true);
  made = design;
  shifted = ev;
  rs = cell(S, 1);  Js = cell(S, 1);
  w = 1 / sqrt(S);
  for j = 1:S
    made.d = D(:, j);
    if any(dn(:, j))
      for t = 1:numel(ev)
        shifted(t).N = ev(t).N + repmat([dn(:, j); 0], 1, size(ev(t).N, 2));
      end
    end
    if gradients
      [~, mj, rj, Jj] = evaluate_targets(made, shifted, 'jacobian');
      Js{j} = w * bsxfun(@times, Jj, G(:, j).');
    else
      [~, mj, rj] = evaluate_targets(made, shifted, 'values');
    end
    merit = merit + mj / S;
    rs{j} = w * rj;
  end
  r = [r; vertcat(rs{:})];
  if gradients
    J = [J; vertcat(Js{:})];
  end
end
