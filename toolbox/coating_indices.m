% [N, Nprime, Nsecond] = coating_indices(k, materials)
% Refractive indices and their exact first and second wavenumber derivatives
% from Sellmeier formulas, laid out as the modules take them.
%
%   k          1xK vacuum angular wavenumbers 2*pi/lambda, in rad/um.
%   materials  cell array of material names, one per row of the result;
%              default {'TiO2', 'SiO2', 'SiO2'}: a titania-like high-index
%              layer A, a silica layer B and a fused-silica substrate, so that
%              N, Nprime and Nsecond are the 3xK triples (n_A, n_B, n_S) per
%              wavenumber.
%   N          numel(materials) x K refractive indices.
%   Nprime     numel(materials) x K derivatives dn/dk, in um.
%   Nsecond    numel(materials) x K second derivatives d2n/dk2, in um^2.
%
% Every material is written as n^2 = A + sum_i B_i lambda^2 / (lambda^2 - C_i),
% lambda in um, whose derivatives are exact: with
%   s = sum_i B_i C_i / (lambda^2 - C_i)^2,  t = sum_i B_i C_i / (lambda^2 - C_i)^3,
%   dn/dlambda = -(lambda / n) s,
%   d2n/dlambda2 = (4 lambda^2 t - s - (dn/dlambda)^2) / n,
% and, k = 2 pi / lambda,
%   dn/dk = -(lambda^2 / (2 pi)) dn/dlambda (> 0 for normal dispersion),
%   d2n/dk2 = (lambda^2 / (2 pi))^2 (d2n/dlambda2 + (2 / lambda) dn/dlambda).
%
% Materials and their published coefficients:
%   'TiO2'   rutile, ordinary ray: n^2 = 5.913 + 0.2441 / (lambda^2 - 0.0803),
%            J. R. DeVore, J. Opt. Soc. Am. 41, 416 (1951), 0.43 to 1.5 um.
%            Rewritten as A = 5.913 - 0.2441/0.0803, B = 0.2441/0.0803,
%            C = 0.0803. n = 2.52 at 800 nm; evaporated or sputtered titania
%            films are a little lower (about 2.3), with a similar dispersion.
%   'SiO2'   fused silica, I. H. Malitson, J. Opt. Soc. Am. 55, 1205 (1965),
%            0.21 to 3.7 um: B = 0.6961663, 0.4079426, 0.8974794,
%            C = 0.0684043^2, 0.1162414^2, 9.896161^2. n = 1.4533 at 800 nm.
%            Used both for silica layers and for a fused-silica substrate.
%   'N-BK7'  Schott N-BK7 catalogue data, 0.3 to 2.5 um: B = 1.03961212,
%            0.231792344, 1.01046945, C = 0.00600069867, 0.0200179144,
%            103.560653. n = 1.5108 at 800 nm.
%
% Example: indices of a titania/silica coating on fused silica, 650 to 950 nm
%   k = 2*pi ./ linspace(0.65, 0.95, 301);
%   [N, Np] = coating_indices(k);
%   [R, GD, GDD] = coatdisp(k, d, 1, N, Np, 0, 'TE');   % for a stack d
%   [N, Np, Npp] = coating_indices(k);                   % full dispersion:
%   [R, GD, GDD] = coatdispgrad(k, d, 1, N, Np, Npp, 0, 'TE');
function [N, Nprime, Nsecond] = coating_indices(k, materials)
  if nargin < 2, materials = {'TiO2', 'SiO2', 'SiO2'}; end
  if ischar(materials), materials = {materials}; end
  lambda = 2 * pi ./ k(:)';                    % um
  N = zeros(numel(materials), numel(lambda));
  Nprime = N;
  Nsecond = N;
  for m = 1:numel(materials)
    [A, B, C] = sellmeier_terms(materials{m});
    l2 = lambda .^ 2;
    n2 = A * ones(size(l2));
    s = zeros(size(l2));
    t = s;
    for i = 1:numel(B)
      n2 = n2 + B(i) * l2 ./ (l2 - C(i));
      s = s + B(i) * C(i) ./ (l2 - C(i)) .^ 2;
      t = t + B(i) * C(i) ./ (l2 - C(i)) .^ 3;
    end
    n = sqrt(n2);
    dn_dlambda = -lambda ./ n .* s;
    d2n_dlambda2 = (4 * l2 .* t - s - dn_dlambda .^ 2) ./ n;
    N(m, :) = n;
    Nprime(m, :) = -(l2 / (2 * pi)) .* dn_dlambda;
    Nsecond(m, :) = (l2 / (2 * pi)) .^ 2 .* (d2n_dlambda2 + 2 ./ lambda .* dn_dlambda);
  end
end

function [A, B, C] = sellmeier_terms(name)
  switch name
    case 'TiO2'
      B = 0.2441 / 0.0803;  A = 5.913 - B;  C = 0.0803;
    case 'SiO2'
      A = 1;
      B = [0.6961663, 0.4079426, 0.8974794];
      C = [0.0684043, 0.1162414, 9.896161] .^ 2;
    case 'N-BK7'
      A = 1;
      B = [1.03961212, 0.231792344, 1.01046945];
      C = [0.00600069867, 0.0200179144, 103.560653];
    otherwise
      error('coating_indices: unknown material ''%s'' (TiO2, SiO2 or N-BK7)', name);
  end
end
