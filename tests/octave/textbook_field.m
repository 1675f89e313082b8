% E2 = textbook_field(k, d, m, na, N, theta, pol, z)
% |E|^2 at depths z (P x K) relative to the incident wave's, by the textbook
% characteristic matrices (fields as exp(-i omega t), H in units of the
% vacuum admittance): [E; H] at a depth is M(delta) times [E; H] at the back
% of its layer, and [E; H] = [1; eta_S] at the top of the substrate. TE: the
% tangential E; TM: the tangential E_x and the normal E_z = -n_a sin(theta)
% H / n^2, over the incident |E| = |E_x| / cos(theta). A boundary depth is in
% the deeper medium; sum(d) is the substrate's top.
function E2 = textbook_field(k, d, m, na, N, theta, pol, z)
  k = k(:).';  d = d(:);  M = size(N, 1) - 1;  L = numel(d);
  tau = (na * sin(theta))^2;
  q = sqrt(N.^2 - tau);
  q(imag(q) < 0) = -q(imag(q) < 0);
  tm = strcmpi(pol, 'TM') || strcmpi(pol, 'p');
  if tm, eta = N.^2 ./ q;  etaA = na / cos(theta); else, eta = q;  etaA = na * cos(theta); end
  % [E; H] at the back of every layer and at the top, E at the substrate 1.
  E = ones(L + 1, numel(k));  H = repmat(eta(M + 1, :), L + 1, 1);   % row j + 1: back of layer j
  for j = L:-1:1
    x = m(j);  delta = k .* q(x, :) * d(j);
    E(j, :) = cos(delta) .* E(j + 1, :) - 1i * sin(delta) ./ eta(x, :) .* H(j + 1, :);
    H(j, :) = -1i * eta(x, :) .* sin(delta) .* E(j + 1, :) + cos(delta) .* H(j + 1, :);
  end
  incident = (etaA * E(1, :) + H(1, :)) / (2 * etaA);     % tangential E of the incident wave
  top = [0; cumsum(d)];
  E2 = zeros(numel(z), numel(k));
  for p = 1:numel(z)
    j = find(top(1:L) <= z(p), 1, 'last');
    if isempty(j) || z(p) >= top(end)
      Ez = E(L + 1, :);  Hz = H(L + 1, :);  x = M + 1;
    else
      x = m(j);  delta = k .* q(x, :) * (top(j + 1) - z(p));
      Ez = cos(delta) .* E(j + 1, :) - 1i * sin(delta) ./ eta(x, :) .* H(j + 1, :);
      Hz = -1i * eta(x, :) .* sin(delta) .* E(j + 1, :) + cos(delta) .* H(j + 1, :);
    end
    if tm
      normal = na * sin(theta) * Hz ./ N(x, :).^2;
      E2(p, :) = (abs(Ez).^2 + abs(normal).^2) * cos(theta)^2 ./ abs(incident).^2;
    else
      E2(p, :) = abs(Ez).^2 ./ abs(incident).^2;
    end
  end
end
