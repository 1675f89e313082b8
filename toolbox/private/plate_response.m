% o = plate_response(k, design, back, N, theta, pol, gradients, outside):
% the plate of coatplate in one polarisation pol ('s' or 'p') at the
% wavenumbers k (1xK) for a checked plate design (check_plate) whose front
% coating is design.d, design.m and whose back coating is back (d, m, from
% the substrate outward); N the indices of design.materials at k
% (coating_indices). The fields of o: R, T, A, Rfront, Tfront, Rfront_in,
% Tfront_in, Rback_in, Tback_in, P; gradients, a cell array of some of 'R',
% 'T', 'A', gives dR, dT, dA of those ((Lf+Lb)xK, the front's rows first;
% dA with dR and dT); with outside Rback and Tback (else NaN). The
% coatings' coherent responses from each side, from coatresponse, combined
% in intensity: see help coatplate.
function o = plate_response(k, design, back, N, theta, pol, gradients, outside)
  K = numel(k);
  s = design.ambient * sin(theta);                 % the tangential index, real
  names = {'R', 'T'};  sub = {'Rsub', 'Tsub'};
  if ~isempty(gradients)
    names = {'R', 'T', 'dR', 'dT'};  sub = {'Rsub', 'Tsub', 'dRsub', 'dTsub'};
  end
  % the front coating from both sides: from the ambient, and from the
  % substrate (coatresponse's names ...sub), in one call. A lossless coating
  % on a lossless substrate reflects alike from both sides (its T is
  % reciprocal, and R = 1 - T on each), so the ambient's side alone is asked
  % for then. Where no wave propagates in a lossless substrate, no light
  % comes from it: NaN there (coatresponse refuses to light a stack from it).
  M = size(N, 1) - 1;
  ns = N(M + 1, :);
  lit = imag(ns) > 0 | real(ns) .^ 2 > s ^ 2;
  absorbs = any(imag(N), 2);
  lossless = ~any(absorbs([design.m; M + 1]));
  if lossless
    f = coatresponse(k, design.d, design.m, design.ambient, N, [], [], theta, pol, names);
    fi = f;
    for i = 1:numel(names)
      fi.(names{i})(:, ~lit) = NaN;
    end
  else
    [f, fi] = both_sides(k, design.d, design.m, design.ambient, N, theta, pol, names, sub, lit);
  end
  % the back coating from inside: lit from the substrate, its layers listed
  % from the exit medium (the coatresponse ambient) inwards
  o.Rback = NaN(1, K);  o.Tback = NaN(1, K);
  if s < design.exit
    [c, bi] = both_sides(k, back.d(end:-1:1), back.m(end:-1:1), design.exit, N, ...
                         asin(s / design.exit), pol, names(1:2 * outside), sub, lit);
    if outside
      o.Rback = c.R;  o.Tback = c.T;
    end
    first = 1;
  else
    % no wave propagates in the exit medium (total reflection inside), and
    % no real angle is there: the exit becomes a layer, thick enough that
    % its evanescent field has died (by e^-80) before the plate's own
    % ambient, the coatresponse ambient behind it
    thick = 40 / (min(k) * sqrt(s ^ 2 - design.exit ^ 2));
    [~, bi] = both_sides(k, [min(thick, 1e300); back.d(end:-1:1)], [M + 1; back.m(end:-1:1)], ...
                         design.ambient, [N(1:M, :); design.exit * ones(1, K); N(M + 1, :)], ...
                         theta, pol, {}, sub, lit);
    first = 2;
    if isinf(thick)                                % grazing at the exit's critical angle
      for i = 1:numel(names), bi.(names{i})(:) = NaN; end
    end
  end
  % what passes the thick exit layer is no light in the exit medium: T = 0;
  % the back coating's rows back in its order from the substrate
  bi.T = bi.T * (first == 1);
  if ~isempty(gradients)
    bi.dR = bi.dR(end:-1:first, :);  bi.dT = bi.dT(end:-1:first, :) * (first == 1);
  end
  qs = sqrt(ns .^ 2 - s ^ 2);               % Im >= 0 for Re n_s > 0, Im n_s >= 0
  P = exp(-2 * k .* imag(qs) * design.thickness);
  % no light enters a substrate in which no wave propagates: nothing bounces there
  shut = f.T == 0 & ~lit;
  P(shut) = 0;
  o.Rfront = f.R;  o.Tfront = f.T;
  o.Rfront_in = fi.R;  o.Tfront_in = fi.T;  o.Rback_in = bi.R;  o.Tback_in = bi.T;
  o.P = P;
  for x = {'R', 'T', 'dR', 'dT'}
    if isfield(fi, x{1})
      fi.(x{1})(:, shut) = 0;  bi.(x{1})(:, shut) = 0;
    end
  end
  X = P .^ 2 .* bi.R;                              % one round trip's return from the back
  D = 1 - fi.R .* X;
  o.R = f.R + f.T .* fi.T .* X ./ D;
  o.T = f.T .* bi.T .* P ./ D;
  o.A = 1 - o.R - o.T;
  if isempty(gradients)
    return;
  end
  % the chain rule through the series' closed form: per coating side a
  % coefficient row against its gradient's rows (bsxfun), only the
  % quantities asked for; front rows from the front coating's two sides
  % (one where they are alike), back rows from the back coating's inside
  rows = @(a, G) bsxfun(@times, a, G);
  b = f.T .* fi.T ./ D .^ 2;
  c = o.T ./ D;
  want = @(q) any(strcmp(q, gradients)) || any(strcmp('A', gradients));
  if want('R')
    if lossless
      front = rows(1 + b .* X .^ 2, f.dR) + rows((fi.T + f.T) .* X ./ D, f.dT);
    else
      front = f.dR + rows(fi.T .* X ./ D, f.dT) + rows(f.T .* X ./ D, fi.dT) + rows(b .* X .^ 2, fi.dR);
    end
    o.dR = [front; rows(b .* P .^ 2, bi.dR)];
  end
  if want('T')
    if lossless
      front = rows(bi.T .* P ./ D, f.dT) + rows(c .* X, f.dR);
    else
      front = rows(bi.T .* P ./ D, f.dT) + rows(c .* X, fi.dR);
    end
    o.dT = [front; rows(f.T .* P ./ D, bi.dT) + rows(c .* fi.R .* P .^ 2, bi.dR)];
  end
  if any(strcmp('A', gradients))
    o.dA = -(o.dR + o.dT);
  end
end

% A coating lit from its ambient (the names, all wavenumbers) and from its
% substrate (the names sub, where lit; NaN elsewhere), each struct's fields
% named as names, from one coatresponse call where every wavenumber is lit.
function [f, fi] = both_sides(k, d, m, na, N, theta, pol, names, sub, lit)
  plain = strrep(sub, 'sub', '');
  if all(lit)
    c = coatresponse(k, d, m, na, N, [], [], theta, pol, [names, sub]);
  else
    c = struct();
    if ~isempty(names)
      c = coatresponse(k, d, m, na, N, [], [], theta, pol, names);
    end
    for i = 1:numel(sub)
      c.(sub{i}) = NaN(1 + (numel(d) - 1) * (sub{i}(1) == 'd'), numel(k));
    end
    if any(lit)
      part = coatresponse(k(lit), d, m, na, N(:, lit), [], [], theta, pol, sub);
      for i = 1:numel(sub)
        c.(sub{i})(:, lit) = part.(sub{i});
      end
    end
  end
  f = struct();
  for i = 1:numel(names)
    f.(names{i}) = c.(names{i});
  end
  for i = 1:numel(sub)
    fi.(plain{i}) = c.(sub{i});
  end
end
