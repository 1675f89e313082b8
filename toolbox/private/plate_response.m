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
  K = numel(k);
  s = design.ambient * sin(theta);                 % the tangential index, real
  names = {'R', 'T'};
  if gradients
    names = {'R', 'T', 'dR', 'dT'};
  end
  sub = strcat(names, 'sub');
  % the front coating from both sides in one call: from the ambient, and
  % from the substrate (coatresponse's names ...sub)
  c = coatresponse(k, design.d, design.m, design.ambient, N, [], [], theta, pol, [names, sub]);
  for i = 1:numel(names)
    f.(names{i}) = c.(names{i});
    fi.(names{i}) = c.(sub{i});
  end
  % the back coating from inside: lit from the substrate, its layers listed
  % from the exit medium (the coatresponse ambient) inwards
  o.Rback = NaN(1, K);  o.Tback = NaN(1, K);
  M = size(N, 1) - 1;
  if s < design.exit
    want = sub;
    if outside, want = [sub, {'R', 'T'}]; end
    c = coatresponse(k, flipud(back.d), flipud(back.m), design.exit, N, [], [], ...
                     asin(s / design.exit), pol, want);
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
    c = coatresponse(k, [min(thick, 1e300); flipud(back.d)], [M + 1; flipud(back.m)], design.ambient, ...
                     [N(1:M, :); design.exit * ones(1, K); N(M + 1, :)], [], [], theta, pol, sub);
    first = 2;
    if isinf(thick)                                % grazing at the exit's critical angle
      for i = 1:numel(sub), c.(sub{i})(:) = NaN; end
    end
  end
  % what passes the thick exit layer is no light in the exit medium: T = 0
  bi.R = c.Rsub;  bi.T = c.Tsub * (first == 1);
  if gradients
    bi.dR = flipud(c.dRsub(first:end, :));  bi.dT = flipud(c.dTsub(first:end, :)) * (first == 1);
  end
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
    % front coating's two sides, back rows from the back coating's inside
    front_R = f.dR + bsxfun(@times, fi.T .* X ./ D, f.dT) + bsxfun(@times, f.T .* X ./ D, fi.dT) ...
              + bsxfun(@times, f.T .* fi.T .* X .^ 2 ./ D .^ 2, fi.dR);
    front_T = bsxfun(@times, bi.T .* P ./ D, f.dT) + bsxfun(@times, o.T .* X ./ D, fi.dR);
    back_R = bsxfun(@times, f.T .* fi.T .* P .^ 2 ./ D .^ 2, bi.dR);
    back_T = bsxfun(@times, f.T .* P ./ D, bi.dT) + bsxfun(@times, o.T .* fi.R .* P .^ 2 ./ D, bi.dR);
    o.dR = [front_R; back_R];
    o.dT = [front_T; back_T];
    o.dA = -o.dR - o.dT;
  end
end
