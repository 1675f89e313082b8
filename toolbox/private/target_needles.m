% needle = target_needles(design, ev, r, z, mu): the needle function of the
% merit of the judged targets ev (residuals r): P x numel(mu), d merit / dt
% for a layer of material mu(c) and thickness t inserted at depth z(p), per
% um, from coatprofile's 'ng'. Targets of one group share their calls: the
% weights of all their quantities, d merit / d q at each point, go in one
% call per group, angle and polarisation. A field bound (E2) takes no part:
% coatprofile has no needle derivative of |E|^2 at another depth, so needles
% go where the other targets want them, and the refinement that follows
% holds the bound.
function needle = target_needles(design, ev, r, z, mu)
  P = numel(z);
  needle = zeros(P, numel(mu));
  zz = repmat(z(:), numel(mu), 1);
  mm = kron(mu(:), ones(P, 1));
  group = target_groups(ev);
  last = cumsum(arrayfun(@residuals, ev));
  first = [1, last(1:end - 1) + 1];
  for g = unique(group)
    e = ev(g);
    members = find(group == g);
    pols = polarizations(e.pol);
    a = numel(e.theta);  n = numel(e.lambda);
    weights = struct();
    for t = members
      if ~any(ev(t).excess(:)) || strcmp(ev(t).quantity, 'E2')
        continue;
      end
      % d merit / d q: 2 r sqrt(weight / p) / scale for the p points judged,
      % centred where the offset is free, spread over the band by its
      % weights for a mean; split evenly between s and p where they are
      % averaged
      rt = r(first(t):last(t));
      w = 2 * sqrt(ev(t).weight / numel(rt)) / ev(t).scale * rt;
      if strcmp(ev(t).offset, 'free')
        w = w - mean(w);
      end
      if strcmp(ev(t).kind, 'mean')
        w = w * band_weights(ev(t).lambda) / numel(pols);
      else
        w = reshape(w, n, a).' / numel(pols);
      end
      name = ev(t).quantity;
      if isfield(weights, name)
        weights.(name) = weights.(name) + w;
      else
        weights.(name) = w;
      end
    end
    names = fieldnames(weights);
    if isempty(names)
      continue;
    end
    for ia = 1:a
      wa = struct();
      for f = 1:numel(names)
        wa.(names{f}) = weights.(names{f})(ia, :);
      end
      for ip = 1:numel(pols)
        o = coatprofile(e.k, design.d, design.m, design.ambient, e.N, e.Np, e.Npp, ...
                        e.theta(ia), pols{ip}, zz, 'ng', mm, wa);
        needle = needle + reshape(o.ng, P, numel(mu));
      end
    end
  end
end

% How many residuals a judged target has: one per point, and a field target
% one per sampled depth at each point.
function c = residuals(e)
  c = numel(e.excess);
  if strcmp(e.quantity, 'E2')
    c = numel(e.field);
  end
end
