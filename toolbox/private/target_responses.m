% [Q, D] = target_responses(design, ev, gradients): each completed target's
% quantity at the design, Q{t} (a x n: its a angles by its n wavelengths,
% the s/p mean where pol is 'avg'), and with gradients true its thickness
% derivatives D{t} (L x n x a), from coatresponse, and for the whole
% plate's Rplate, Tplate and Aplate from plate_response. Targets on one
% grid at the same angles and polarisation share their calls: one call per
% group, angle and polarisation asks for every quantity of the group. A
% field target (E2) is sampled at depths in its layers (field_samples): its
% Q{t} is a x n x P and D{t} L x n x a x P. A plate's back coating
% (design.back, or the layers after design.front where coatoptimize joined
% them to the front's) adds its rows to D after the front's: L = Lf + Lb,
% the coating's own quantities 0 there.
% [Q, D, Dn] = target_responses(design, ev, gradients, true): and the
% derivatives by a real shift of each layer material's index, Dn{t}
% (M x n x a; coatresponse's dnX without the substrate's row).
function [Q, D, Dn] = target_responses(design, ev, gradients, indices)
  if nargin < 4, indices = false; end
  group = target_groups(ev);
  [design, back] = plate_parts(design);
  Lf = numel(design.d);
  L = Lf + numel(back.d);
  M = numel(design.materials) - 1;
  Q = cell(1, numel(ev));
  D = cell(1, numel(ev));
  Dn = cell(1, numel(ev));
  for g = unique(group)
    e = ev(g);
    members = find(group == g);
    names = {};
    for t = members
      if strcmp(ev(t).quantity, 'E2')
        [Q{t}, D{t}] = field_samples(design, ev(t), gradients);
      elseif ~any(strcmp(ev(t).quantity, names))
        names{end + 1} = ev(t).quantity;
      end
    end
    members = members(~strcmp({ev(members).quantity}, 'E2'));
    if isempty(members)
      continue;
    end
    plate = regexprep(names(~cellfun(@isempty, regexp(names, 'plate$'))), 'plate$', '');
    names = names(cellfun(@isempty, regexp(names, 'plate$')));
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
        if ~isempty(want)
          o = coatresponse(e.k, design.d, design.m, design.ambient, e.N, e.Np, e.Npp, ...
                           e.theta(ia), pols{ip}, want);
        end
        if ~isempty(plate)
          op = plate_response(e.k, design, back, e.N, e.theta(ia), pols{ip}, plate(1:numel(plate) * gradients), false);
          for i = 1:numel(plate)
            o.([plate{i} 'plate']) = op.(plate{i});
            if gradients, o.(['d' plate{i} 'plate']) = op.(['d' plate{i}]); end
          end
        end
        for t = members
          name = ev(t).quantity;
          Q{t}(ia, :) = Q{t}(ia, :) + o.(name) / numel(pols);
          if gradients
            Dt = o.(['d' name]);
            D{t}(1:size(Dt, 1), :, ia) = D{t}(1:size(Dt, 1), :, ia) + Dt / numel(pols);
          end
          if indices
            Dn{t}(:, :, ia) = Dn{t}(:, :, ia) + o.(['dn' name])(1:M, :) / numel(pols);
          end
        end
      end
    end
  end
end

% The front coating (design, its own d and m) and the back coating (d, m;
% none where the design is no plate) of a design, joined or not.
function [design, back] = plate_parts(design)
  back = struct('d', zeros(0, 1), 'm', zeros(0, 1));
  if isfield(design, 'front')
    b = design.front + 1:numel(design.d);
    back = struct('d', design.d(b), 'm', design.m(b));
    design.d = design.d(1:design.front);  design.m = design.m(1:design.front);
  elseif isfield(design, 'back') && isstruct(design.back) && isfield(design.back, 'd')
    back = design.back;
  end
end
