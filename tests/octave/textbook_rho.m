% rho = textbook_rho(k, d, na, N, theta, pol, closing, Np, k0)
% Reflection coefficient of the stack by the textbook characteristic-matrix
% method, vectorised over the wavenumbers, in the modules' sign convention
% (conj(r) in TE, -conj(r) in TM). closing: 'physical' (the last layer's own
% interface with the substrate) or 'slot3' (B-to-substrate coefficients behind
% the last layer, whatever L is). With Np and k0 (3 x K and 1 x K) the first
% modules' dispersion: each layer's phase k (q + q' (k - k0)) d with
% q' = Np N / q, the interfaces frozen at k0.
function rho = textbook_rho(k, d, na, N, theta, pol, closing, Np, k0)
  tau = (na * sin(theta))^2;
  q = sqrt(N.^2 - tau);                       % 3 x K normal indices
  if strcmp(pol, 'TM')
    eta = N.^2 ./ q;  etaAmb = na / cos(theta);
  else
    eta = q;          etaAmb = na * cos(theta);
  end
  L = numel(d);
  etaS = eta(3, :);
  if strcmp(closing, 'slot3') && mod(L, 2) == 1
    etaS = etaS .* eta(1, :) ./ eta(2, :);
  elseif strcmp(closing, 'slot3') && L == 0
    etaS = etaS .* etaAmb ./ eta(2, :);   % the B-to-substrate interface alone
  end
  B = ones(size(k));  C = etaS;
  for j = L:-1:1
    x = 2 - mod(j, 2);                        % material A for odd j (1-based)
    if nargin > 7
      delta = k .* (q(x, :) + Np(x, :) .* N(x, :) ./ q(x, :) .* (k - k0)) * d(j);
    else
      delta = k .* q(x, :) * d(j);
    end
    nb = cos(delta) .* B + 1i * sin(delta) ./ eta(x, :) .* C;
    C = 1i * eta(x, :) .* sin(delta) .* B + cos(delta) .* C;
    B = nb;
  end
  r = (etaAmb * B - C) ./ (etaAmb * B + C);
  if strcmp(pol, 'TM'), rho = -conj(r); else, rho = conj(r); end
end
