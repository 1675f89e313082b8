% group = target_groups(ev): for each target the first target on the same
% grid, at the same angles and polarisation: targets of one group are
% answered by the same calls of coatresponse and coatprofile. Completed
% targets carry it (check_targets) in their field group.
function group = target_groups(ev)
  if isfield(ev, 'group') && ~isempty(ev(1).group)
    group = [ev.group];
    return;
  end
  group = 1:numel(ev);
  for t = 2:numel(ev)
    for u = 1:t - 1
      if group(u) == u && strcmp(ev(u).pol, ev(t).pol) && isequal(ev(u).theta, ev(t).theta) ...
         && isequal(ev(u).lambda, ev(t).lambda)
        group(t) = u;
        break;
      end
    end
  end
end
