% y = linear_yield(design, ev, model, n, seed): the yield of a design under
% the error model (error_model) with its quantities linearised about it:
% each of n draws (error_draws, seeded with seed) moves every quantity by
% dq/dd (D - d) + dq/dn dn, and is judged as the targets judge it
% (target_excess). ev: the design's evaluation in the 'jacobian' mode
% (evaluate_targets). One evaluation and a product, no call of the modules
% a draw: while the errors are small enough for the spread to be linear
% (coattolerance's linear and std agree), this is the Monte-Carlo yield at
% a small part of its cost, to screen many designs.
function y = linear_yield(design, ev, model, n, seed)
  L = numel(design.d);
  [D, ~, dn] = error_draws(model, design.d, design.m, n, seed);
  E = D - repmat(design.d, 1, n);
  slopes = index_slopes(design, ev, model);
  ok = true(1, n);
  for t = 1:numel(ev)
    [a, nl] = size(ev(t).q);
    G = reshape(ev(t).dq, L, nl * a);                 % columns: wavelength fastest, then angle
    X = G.' * E;
    for mu = find(model.index(:).' > 0)
      X = X + reshape(slopes{t, mu}.', nl * a, 1) * dn(mu, :);
    end
    q0 = reshape(ev(t).q.', nl * a, 1);
    for j = find(ok)
      q = reshape(q0 + X(:, j), nl, a).';
      ok(j) = ~any(any(target_excess(ev(t), q)));
    end
  end
  y = mean(ok);
end
