% Dn = index_differences(design, ev): the derivatives of each
% completed target's quantity with respect to a real shift of each layer
% material's index, constant over the band (Dn{t}: M x n x a, per unit of
% index), by central differences of target_responses: the interim way to
% the index derivatives, two evaluations per material, until coatresponse
% gives them exactly. They are taken at the indices the targets' N carry.
% The step, 1e-5, keeps the
% truncation (of order 1e-10 of a quantity) and the rounding (1e-16 of it
% over the step) both far below any measurement's noise.
function Dn = index_differences(design, ev)
  M = numel(design.materials) - 1;
  h = 1e-5;
  Dn = cell(1, numel(ev));
  for m = 1:M
    up = ev;  down = ev;
    for t = 1:numel(ev)
      up(t).N(m, :) = ev(t).N(m, :) + h;
      down(t).N(m, :) = ev(t).N(m, :) - h;
    end
    Qu = target_responses(design, up, false);
    Qd = target_responses(design, down, false);
    for t = 1:numel(ev)
      if m == 1
        Dn{t} = zeros(M, size(Qu{t}, 2), size(Qu{t}, 1));
      end
      Dn{t}(m, :, :) = permute((Qu{t} - Qd{t}) / (2 * h), [3 2 1]);
    end
  end
end
