% dn = index_slopes(design, ev, model): dq/dn_mu of each completed target
% (dn{t, mu}, a x n) for the materials with an index error in the error
% model (the others empty), by a central difference of 1e-4 in the real
% part of the index: the quantities are smooth in n, so the difference is
% good to ~1e-8 of their spread.
function dn = index_slopes(design, ev, model)
  M = numel(model.index);
  dn = cell(numel(ev), M);
  h = 1e-4;
  for mu = find(model.index(:).' > 0)
    up = ev;  down = ev;
    for t = 1:numel(ev)
      up(t).N(mu, :) = ev(t).N(mu, :) + h;
      down(t).N(mu, :) = ev(t).N(mu, :) - h;
    end
    a = evaluate_targets(design, up, 'values');
    b = evaluate_targets(design, down, 'values');
    for t = 1:numel(ev)
      dn{t, mu} = (a(t).q - b(t).q) / (2 * h);
    end
  end
end
