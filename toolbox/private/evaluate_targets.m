% [ev, merit, r, J, needle] = evaluate_targets(design, ev, mode, z, mu): the
% evaluation behind coattargets, for a checked design and completed targets
% (check_design, check_targets), in one of three modes:
%   'values'    the quantities, the excesses, the merit and the residuals;
%   'jacobian'  and J, dr/dd (ev(t).dq too);
%   'needle'    and the needle function at the depths z for the needle
%               materials mu.
% Outputs not asked for by the mode are [].
function [ev, merit, r, J, needle] = evaluate_targets(design, ev, mode, z, mu)
  gradients = strcmp(mode, 'jacobian');
  [Q, D] = target_responses(design, ev, gradients);
  [ev, merit, r, J] = judge_targets(ev, Q, D);
  needle = [];
  if strcmp(mode, 'needle')
    needle = target_needles(design, ev, r, z, mu);
  end
end
