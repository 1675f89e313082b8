% o = plate_response(k, design, back, N, theta, pol, gradients, outside):
% the plate of coatplate in one polarisation pol ('s' or 'p') at the
% wavenumbers k (1xK) for a checked plate design (check_plate) whose front
% coating is design.d, design.m and whose back coating is back (d, m, from
% the substrate outward); N the indices of design.materials at k
% (coating_indices). The fields of o: R, T, A, Rfront, Tfront, Rfront_in,
% Tfront_in, Rback_in, Tback_in, P; with gradients dR, dT, dA ((Lf+Lb)xK,
% the front's rows first); with outside Rback and Tback (else NaN). The
% coatings' coherent responses from each side, from coatresponse, combined
% in intensity: see help coatplate.
function o = plate_response(k, design, back, N, theta, pol, gradients, outside)
  K = numel(k);  Lf = numel(design.d);  Lb = numel(back.d);
  s = design.ambient * sin(theta);                 % the tangential index, real
  names = {'R', 'T'};
  if gradients
    names = {'R', 'T', 'dR', 'dT'};
  end
  f = coatresponse(k, design.d, design.m, design.ambient, N, [], [], theta, pol, names);
  % the front coating lit from the substrate, its layers from the substrate outward
  fi = from_substrate(k, flipud(design.d), flipud(design.m), N, design.ambient, s, pol, names);
  bi = from_substrate(k, back.d, back.m, N, design.exit, s, pol, names);
  qs = sqrt(N(end, :) .^ 2 - s ^ 2);               % Im >= 0 for Re n_s > 0, Im n_s >= 0
  P = exp(-2 * k .* imag(qs) * design.thickness);
  % no light enters a substrate in which no wave propagates: nothing bounces there
  shut = f.T == 0 & isnan(fi.R);
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
  if gradients
    % the chain rule through the series' closed form; front rows from the
    % front coating's two sides (fi's rows back in the front's order)
    fi.dR = flipud(fi.dR);  fi.dT = flipud(fi.dT);
    front_R = f.dR + bsxfun(@times, fi.T .* X ./ D, f.dT) + bsxfun(@times, f.T .* X ./ D, fi.dT) ...
              + bsxfun(@times, f.T .* fi.T .* X .^ 2 ./ D .^ 2, fi.dR);
    front_T = bsxfun(@times, bi.T .* P ./ D, f.dT) + bsxfun(@times, o.T .* X ./ D, fi.dR);
    back_R = bsxfun(@times, f.T .* fi.T .* P .^ 2 ./ D .^ 2, bi.dR);
    back_T = bsxfun(@times, f.T .* P ./ D, bi.dT) + bsxfun(@times, o.T .* fi.R .* P .^ 2 ./ D, bi.dR);
    o.dR = [front_R; back_R];
    o.dT = [front_T; back_T];
    o.dA = -o.dR - o.dT;
  end
  o.Rback = NaN(1, K);  o.Tback = NaN(1, K);
  if outside && s < design.exit
    c = coatresponse(k, flipud(back.d), flipud(back.m), design.exit, N, [], [], ...
                     asin(s / design.exit), pol, {'R', 'T'});
    o.Rback = c.R;  o.Tback = c.T;
  end
end

% A coating of layers d, m (layer 1 next to the substrate) lit from inside
% the substrate (the last row of N), the light leaving into the real index
% n_out, at the tangential index s: coatresponse with the substrate as its
% ambient and n_out as its substrate, once per distinct substrate index
% (its ambient has no dispersion), the substrate's Re n taken; NaN where no
% wave propagates in the substrate. Gradient rows in the order of d.
function o = from_substrate(k, d, m, N, n_out, s, pol, names)
  K = numel(k);  L = numel(d);
  for i = 1:numel(names)
    o.(names{i}) = NaN(1 + (L - 1) * (names{i}(1) == 'd'), K);
  end
  ns = real(N(end, :));
  [u, ~, j] = unique(ns);
  for i = 1:numel(u)
    if ~(u(i) > s), continue; end
    idx = find(j(:).' == i);
    c = coatresponse(k(idx), d, m, u(i), [N(1:end - 1, idx); n_out * ones(1, numel(idx))], [], [], ...
                     asin(s / u(i)), pol, names);
    for f = 1:numel(names)
      o.(names{f})(:, idx) = c.(names{f});
    end
  end
end

