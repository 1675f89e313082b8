% [R, GD] = octave_tmm(k, d, na, N, theta, pol)
% What a user would otherwise write in plain Octave: the textbook
% characteristic-matrix method, vectorised over the wavenumbers with a loop
% over the layers, closing with the last layer's own interface. GD (fs), when
% asked for, is a central difference of the phase, two more evaluations.
function [R, GD] = octave_tmm(k, d, na, N, theta, pol)
  rho = reflection(k, d, na, N, theta, pol);
  R = abs(rho).^2;
  if nargout > 1
    h = 1e-4 * k;
    ratio = reflection(k + h, d, na, N, theta, pol) ./ reflection(k - h, d, na, N, theta, pol);
    GD = -angle(ratio) ./ (2 * h) / 0.299792458;
  end
end

function r = reflection(k, d, na, N, theta, pol)
  tau = (na * sin(theta))^2;
  q = sqrt(N.^2 - tau);
  if strcmp(pol, 'TM')
    eta = N.^2 ./ q;  etaAmb = na / cos(theta);
  else
    eta = q;          etaAmb = na * cos(theta);
  end
  B = ones(size(k));  C = eta(3, :);
  for j = numel(d):-1:1
    x = 2 - mod(j, 2);
    delta = k .* q(x, :) * d(j);
    c = cos(delta);  s = sin(delta);
    nextB = c .* B + (1i * s ./ eta(x, :)) .* C;
    C = (1i * s .* eta(x, :)) .* B + c .* C;
    B = nextB;
  end
  r = (etaAmb * B - C) ./ (etaAmb * B + C);
end
