% [r, t, T] = textbook_response(k, d, m, na, N, theta, pol)
% Reflection and transmission of any stack by the textbook characteristic-
% matrix method in complex arithmetic, vectorised over the wavenumbers, with
% fields going as exp(-i omega t): M_j = [cos, -i sin/eta; -i eta sin, cos],
% delta = k q d, q on the branch Im q >= 0, eta = q (TE) or n^2/q (TM, the
% electric admittance). r and t are the ratios of the tangential electric
% field in TE and of the magnetic field in TM; T the normal power flux into
% the substrate over the incident one. N is (M+1)xK (row M+1 the substrate).
function [r, t, T] = textbook_response(k, d, m, na, N, theta, pol)
  k = k(:).';
  tau = (na * sin(theta))^2;
  q = sqrt(N.^2 - tau);
  q(imag(q) < 0) = -q(imag(q) < 0);
  q(imag(q) == 0 & real(q) < 0) = -q(imag(q) == 0 & real(q) < 0);
  tm = strcmpi(pol, 'TM') || strcmpi(pol, 'p');
  if tm
    eta = N.^2 ./ q;  etaA = na / cos(theta);
  else
    eta = q;          etaA = na * cos(theta);
  end
  M = size(N, 1) - 1;
  B = ones(size(k));  C = eta(M + 1, :);
  for j = numel(d):-1:1
    x = m(j);
    delta = k .* q(x, :) * d(j);
    nb = cos(delta) .* B - 1i * sin(delta) ./ eta(x, :) .* C;
    C = -1i * eta(x, :) .* sin(delta) .* B + cos(delta) .* C;
    B = nb;
  end
  r = (etaA * B - C) ./ (etaA * B + C);
  tE = 2 * etaA ./ (etaA * B + C);            % tangential E into the substrate
  % Flux: Re(E H*) with H = eta E: Re(eta_S) |tE|^2 / eta_A, either polarization.
  T = real(eta(M + 1, :)) .* abs(tE).^2 / etaA;
  if tm
    r = -r;                                   % the magnetic field's ratio
    t = tE .* eta(M + 1, :) / etaA;
  else
    t = tE;
  end
end
