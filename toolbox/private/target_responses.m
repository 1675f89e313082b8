% [Q, D] = target_responses(design, ev, gradients): each completed target's
% quantity at the design, Q{t} (a x n: its a angles by its n wavelengths,
% the s/p mean where pol is 'avg'), and with gradients true its thickness
% derivatives D{t} (L x n x a), from coatresponse. Targets on one grid at
% the same angles and polarisation share their calls: one call per group,
% angle and polarisation asks for every quantity of the group.
% [Q, D, Dn] = target_responses(design, ev, gradients, true): and the
% derivatives by a real shift of each layer material's index, Dn{t}
% (M x n x a; coatresponse's dnX without the substrate's row).
function [Q, D, Dn] = target_responses(design, ev, gradients, indices)
  if nargin < 4, indices = false; end
  group = target_groups(ev);
  L = numel(design.d);
  M = numel(design.materials) - 1;
  Q = cell(1, numel(ev));
  D = cell(1, numel(ev));
  Dn = cell(1, numel(ev));
  for g = unique(group)
    e = ev(g);
    members = find(group == g);
    names = {};
    for t = members
      if ~any(strcmp(ev(t).quantity, names)), names{end + 1} = ev(t).quantity; end
    end
    want = names;
    if gradients
      for i = 1:numel(names), want{end + 1} = ['d' names{i}]; end
    end
    if indices
      for i = 1:numel(names), want{end + 1} = ['dn' names{i}]; end
    end
    pols = polarizations(e.pol);
    a = numel(e.theta);  n = numel(e.lambda);
    for t = members
      Q{t} = zeros(a, n);
      if gradients
        D{t} = zeros(L, n, a);
      end
      if indices
        Dn{t} = zeros(M, n, a);
      end
    end
    for ia = 1:a
      for ip = 1:numel(pols)
        o = coatresponse(e.k, design.d, design.m, design.ambient, e.N, e.Np, e.Npp, ...
                         e.theta(ia), pols{ip}, want);
        for t = members
          name = ev(t).quantity;
          Q{t}(ia, :) = Q{t}(ia, :) + o.(name) / numel(pols);
          if gradients
            D{t}(:, :, ia) = D{t}(:, :, ia) + o.(['d' name]) / numel(pols);
          end
          if indices
            Dn{t}(:, :, ia) = Dn{t}(:, :, ia) + o.(['dn' name])(1:M, :) / numel(pols);
          end
        end
      end
    end
  end
end
