%COATPLATE The whole optic: a coated plate with a thick, incoherent substrate and a back side, with exact gradients.
%   out = coatplate(design, lambda, theta, pol, want)
%
%   What a spectrophotometer measures, and what a laser sees, of a coated
%   part: the front coating, a substrate millimetres thick whose multiple
%   reflections add in intensity (its thickness is far beyond the coherence
%   length of the light and the resolution of any instrument), its bulk
%   absorption, and the back surface, bare or coated.
%
%   Inputs
%     design   a struct, as for coattargets: d (Lx1 thicknesses of the front
%              coating in um, layer 1 next to the ambient), m (Lx1 material
%              numbers 1..M), materials (cell array: the M layer materials,
%              then the substrate's; catalogue names or coefficient structs,
%              as coating_indices takes them), ambient (real index, default
%              1), and
%       thickness  the substrate's, um (1 mm is 1000; 10 um to 200 mm);
%       back       optional: the back coating, a struct with d and m, its
%                  layers counted from the substrate outward, in the same
%                  materials (default none: a bare back side);
%       exit       the real index of the medium behind the plate (default
%                  the ambient).
%     lambda   wavelengths in um, a vector of K (0.1 to 30 um).
%     theta    the angle of incidence in the ambient, RADIANS, 0 <= theta < pi/2.
%     pol      's' (or 'TE'), 'p' (or 'TM') or 'avg' (the mean of s and p,
%              each computed apart through the whole plate, then averaged).
%     want     a name or a cell array of names, each a field of out (1xK,
%              the gradients (Lf+Lb)xK):
%       R, T, A    the whole plate: reflectance, transmittance into the
%                  exit medium, absorptance 1 - R - T (coatings and bulk);
%       dR, dT, dA their exact derivatives with respect to every layer,
%                  per um: rows 1..Lf the front coating's layers in its
%                  order, rows Lf+1..Lf+Lb the back coating's, counted from
%                  the substrate outward;
%       Rfront, Tfront        the front surface lit from the ambient;
%       Rfront_in, Tfront_in  the front surface lit from inside the substrate;
%       Rback_in, Tback_in    the back surface lit from inside the substrate;
%       Rback, Tback          the back surface lit from the exit medium
%                             (NaN where no wave propagates in it);
%       P          the substrate's single-pass transmittance.
%
%   Method (Katsidis and Siapkas, Appl. Opt. 41, 3978 (2002)): each
%   coating's coherent response comes from coatresponse, from either side
%   (from the substrate, its names ...sub: exact for an absorbing
%   substrate); the light bouncing in the substrate adds in intensity, a
%   geometric series in Rfront_in Rback_in P^2:
%     R = Rfront + Tfront Tfront_in Rback_in P^2 / (1 - Rfront_in Rback_in P^2)
%     T = Tfront Tback_in P / (1 - Rfront_in Rback_in P^2)
%   Its derivatives follow by the chain rule from coatresponse's exact
%   thickness gradients of the coatings from each side. Cost: two
%   coatresponse calls, one per coating; the front one asks for both sides
%   unless it and the substrate are lossless (then R and T are alike from
%   both sides).
%
%   Conventions. The tangential index n_a sin(theta) is kept through the
%   plate; in the substrate, of index n_s, q_s = n_s cos(theta_s) =
%   sqrt(n_s^2 - n_a^2 sin^2 theta), the branch with Im q_s >= 0 (fields go
%   as exp(-i omega t), absorption is Im n > 0). Per pass the substrate
%   transmits P = exp(-4 pi Im(q_s) D / lambda) = exp(-2 k Im(q_s) D) of the
%   normal power flux, with the complex cos(theta_s). Reflectances are
%   |r|^2, also inside an absorbing substrate; a transmittance is the
%   normal power flux of the transmitted wave over the incident wave's own:
%   Re(n cos theta)|E|^2 in s, Re(n conj(cos theta))|E|^2 in p, on either
%   side, so in an absorbing substrate the flux factors of Tfront and
%   Tback_in cancel in the plate's T and R. A = 1 - R - T: the coatings'
%   and the bulk's absorption together. A substrate in which no wave
%   propagates (lossless, n_s below the tangential index) takes no light:
%   R = Rfront, T = 0, and the surfaces lit from inside are NaN. Light
%   totally reflected at the back (an exit medium below the tangential
%   index) stays in the plate until absorbed or sent back out through the
%   front: T = 0 (the back coating is then computed with the exit medium
%   as a layer thick enough that its evanescent field has fallen by e^-80;
%   exactly at the exit's critical angle, NaN).
%
%   Errors (identifiers coatplate:<reason>): notEnoughInputs, badDesign,
%   badMaterials, noSubstrate, thicknessUnits (a layer of 50 um or more; a
%   substrate under 10 um, given in mm, or of 200 mm or more), badLambda,
%   lambdaUnits, badAngle, badPolarization, badNames, unknownName.
%
%   Example: a 3 % output coupler at 1064 nm on 6.35 mm of fused silica,
%   its back side bare
%     mats = {'TiO2 film', 'SiO2 film', 'fused silica'};
%     n = coating_indices(2*pi / 0.987, mats);
%     q = 0.987 ./ (4 * real(n(1:2)));            % quarter waves at 987 nm, um
%     design = struct('d', [repmat(q, 5, 1); q(1)], 'm', [repmat([1; 2], 5, 1); 1], ...
%                     'materials', {mats}, 'thickness', 6350);
%     out = coatplate(design, 1.064, 0, 's', {'Tfront', 'Tback_in', 'T'});
%   The coating transmits Tfront = 2.989 %, the bare back Tback_in = 96.63 %:
%   one pass through the plate gives 2.889 %, but the 3.37 % the back
%   reflects meets the coupler from inside, which sends 97 % of it back to
%   the back side, and so on: the plate transmits T = 2.986 %.
%
%   See also coatresponse, coattargets, coatoptimize, coating_indices.
function out = coatplate(design, lambda, theta, pol, want)
  who = 'coatplate';
  if nargin < 5
    fault(who, 'notEnoughInputs', 'needs a design, the wavelengths, the angle, the polarisation and the names wanted.');
  end
  design = check_plate(check_design(design, who), who);   % a plate it must be
  if ~isnumeric(lambda) || ~isreal(lambda) || ~isvector(lambda) || any(~isfinite(lambda)) || any(lambda <= 0)
    fault(who, 'badLambda', 'input 2 (lambda) must be a vector of wavelengths > 0 in um.');
  end
  check_wavelengths(who, 'lambda', lambda);
  if ~isnumeric(theta) || ~isreal(theta) || ~isscalar(theta) || ~(theta >= 0 && theta < pi / 2)
    guess = '';
    if isnumeric(theta) && isreal(theta) && isscalar(theta) && theta >= pi / 2 && theta < 90
      guess = sprintf('; %g looks like degrees (%.4g rad)', theta, theta * pi / 180);
    end
    fault(who, 'badAngle', 'input 3 (theta) must be one angle in RADIANS, 0 <= theta < pi/2%s.', guess);
  end
  p = polarization_name(pol, true);
  if isempty(p)
    fault(who, 'badPolarization', 'input 4 (pol) must be ''s'' (or ''TE''), ''p'' (or ''TM'') or ''avg'', in any case.');
  end
  names = {'R', 'T', 'A', 'dR', 'dT', 'dA', 'Rfront', 'Tfront', 'Rfront_in', 'Tfront_in', ...
           'Rback_in', 'Tback_in', 'Rback', 'Tback', 'P'};
  if ischar(want)
    want = {want};
  end
  if ~iscell(want) || isempty(want) || ~all(cellfun(@(w) ischar(w) && size(w, 1) == 1, want))
    fault(who, 'badNames', 'input 5 (want) must be a name or a cell array of names.');
  end
  for i = 1:numel(want)
    if ~any(strcmp(want{i}, names))
      fault(who, 'unknownName', 'input 5 (want): unknown name ''%s''; known: %s.', want{i}, strjoin(names, ', '));
    end
  end

  k = 2 * pi ./ double(lambda(:).');
  N = coating_indices(k, design.materials);
  gradients = {};
  for q = 'RTA'
    if any(strcmp(['d' q], want)), gradients{end + 1} = q; end
  end
  outside = any(strcmp('Rback', want)) || any(strcmp('Tback', want));
  pols = polarizations(p);
  out = struct();
  for ip = 1:numel(pols)
    o = plate_response(k, design, design.back, N, theta, pols{ip}, gradients, outside);
    for i = 1:numel(want)
      x = o.(want{i}) / numel(pols);
      if ip == 1
        out.(want{i}) = x;
      else
        out.(want{i}) = out.(want{i}) + x;
      end
    end
  end
end

%!function [R, T] = abeles (lambda, n, d, s, pol)
%! % a plain characteristic-matrix product, light from n(1) into n(end)
%! % through the layers d between, at the tangential index s: R = |r|^2, T
%! % the normal flux of the transmitted wave over the incident one's
%! q = sqrt (n .^ 2 - s ^ 2);
%! eta = q;
%! if (pol == 'p') eta = n .^ 2 ./ q; end
%! M = eye (2);
%! for j = 2:numel (n) - 1
%!   x = 2 * pi / lambda * q(j) * d(j - 1);
%!   M = M * [cos(x), -1i * sin(x) / eta(j); -1i * eta(j) * sin(x), cos(x)];
%! end
%! B = M * [1; eta(end)];
%! R = abs ((eta(1) * B(1) - B(2)) / (eta(1) * B(1) + B(2))) ^ 2;
%! T = abs (2 * eta(1) / (eta(1) * B(1) + B(2))) ^ 2 * real (eta(end)) / real (eta(1));
%!endfunction
%!function o = bounce_sum (lambda, n0, nf, df, ns, D, nb, db, ne, theta, pol)
%! % the plate ray by ray: the power of each pass, summed until none is left
%! s = n0 * sin (theta);
%! [o.Rfront, o.Tfront] = abeles (lambda, [n0, nf, ns], df, s, pol);
%! [o.Rfront_in, o.Tfront_in] = abeles (lambda, [ns, fliplr(nf), n0], fliplr (df), s, pol);
%! [o.Rback_in, o.Tback_in] = abeles (lambda, [ns, nb, ne], db, s, pol);
%! [o.Rback, o.Tback] = abeles (lambda, [ne, fliplr(nb), ns], fliplr (db), s, pol);
%! P = exp (-4 * pi * imag (sqrt (ns ^ 2 - s ^ 2)) * D / lambda);
%! o.R = o.Rfront;  o.T = 0;  a = o.Tfront * P;
%! while (a > 1e-20)
%!   o.T += a * o.Tback_in;  a *= o.Rback_in * P;
%!   o.R += a * o.Tfront_in;  a *= o.Rfront_in * P;
%! end
%! o.A = 1 - o.R - o.T;
%!endfunction
%!function design = plate_case (n, nf, df, nb, db, D, n0, ne)
%! % constant indices n (layer materials, then the substrate); layers by material number
%! mats = arrayfun (@(x) struct ('model', 'constant', 'n', x), n, 'UniformOutput', false);
%! design = struct ('d', df(:), 'm', nf(:), 'materials', {mats}, 'ambient', n0, 'thickness', D, ...
%!                  'back', struct ('d', db(:), 'm', nb(:)), 'exit', ne);
%!endfunction
%!test  # against the plate ray by ray: absorbing layers, coated and bare backs, total reflection inside, s, p, avg
%! n = [2.3 + 0.02i, 1.46, 2.1, 1.52];               % an absorbing high index, two others, the substrate
%! cases = {plate_case(n, [1 2 1 3 2], [0.11 0.17 0.05 0.09 0.2], [3 2], [0.12 0.19], 1000, 1, 1), 0.6;   % coated back
%!          plate_case(n, [3 1 2], [0.1 0.07 0.2], [], [], 6350, 1, 1), 0.9;                          % bare back
%!          plate_case(n, [1 2], [0.09 0.14], [2 3], [0.2 0.1], 3000, 1.33, 1.7), 0.3;                % water to a dense exit
%!          plate_case(n, [1 2 3], [0.1 0.15 0.1], [2 1], [0.14 0.08], 2000, 1.4, 1), 1.0;           % totally reflected inside
%!          plate_case(n, [1 2 3], [0.1 0.15 0.1], [], [], 2000, 1.4, 1), 1.0;
%!          plate_case([n(1:3), 1.5 + 1e-4i], [1 2 3], [0.1 0.15 0.1], [2 1], [0.14 0.08], 200, 1, 1), 0.8;    % absorbing substrate
%!          plate_case([n(1:3), 1.7 + 3e-5i], [2 1], [0.1 0.05], [], [], 1000, 1.4, 1), 1.0;                   % and reflecting totally
%!          plate_case([2.05, 1.46, n(1), 1.52], [1 2 1 2], [0.12 0.2 0.13 0.18], [3 2], [0.01 0.1], 5000, 1, 1), 0.4};   % a lossless front, an absorbing back
%! lambda = [0.55 0.8 1.1];
%! names = {'R', 'T', 'A', 'Rfront', 'Tfront', 'Rfront_in', 'Tfront_in', 'Rback_in', 'Tback_in'};
%! for c = 1:rows (cases)
%!   g = cases{c, 1};  theta = cases{c, 2};
%!   for pol = {'s', 'p'}
%!     o = coatplate (g, lambda, theta, pol{1}, [names, {'Rback', 'Tback'}]);
%!     for i = 1:numel (lambda)
%!       ni = cellfun (@(x) x.n, g.materials);
%!       e = bounce_sum (lambda(i), g.ambient, ni(g.m), g.d.', ni(end), g.thickness, ni(g.back.m), g.back.d.', g.exit, theta, pol{1});
%!       for f = names
%!         assert (o.(f{1})(i), e.(f{1}), 1e-12);
%!       end
%!       if (g.exit > g.ambient * sin (theta))
%!         assert ([o.Rback(i), o.Tback(i)], [e.Rback, e.Tback], 1e-12);
%!       else
%!         assert (isnan ([o.Rback(i), o.Tback(i)]) & o.T(i) == 0);   % nothing leaves at the back
%!       end
%!     end
%!   end
%!   a = coatplate (g, lambda, theta, 'avg', {'R', 'T'});
%!   s = coatplate (g, lambda, theta, 's', {'R', 'T'});  p = coatplate (g, lambda, theta, 'p', {'R', 'T'});
%!   assert ([a.R; a.T], [s.R + p.R; s.T + p.T] / 2, 1e-15);
%! end
%!test  # exact gradients of R, T and A: every layer of both coatings against central differences, an absorbing substrate
%! g = plate_case ([2.3 + 0.02i, 1.46, 1.5 + 2e-5i], [1 2 1], [0.1 0.15 0.07], [2 1], [0.12 0.05], 500, 1, 1);
%! lambda = [0.6 0.75 0.9];
%! h = 1e-6;              % error ~ h^2 |X'''| + eps / h, both near 1e-10 of |dX|
%! for pol = {'s', 'avg'}
%!   o = coatplate (g, lambda, 0.5, pol{1}, {'dR', 'dT', 'dA'});
%!   assert (size (o.dR), [5 3]);
%!   for j = 1:5
%!     up = g;  dn = g;
%!     if (j <= 3) up.d(j) += h;  dn.d(j) -= h;
%!     else up.back.d(j - 3) += h;  dn.back.d(j - 3) -= h; end
%!     u = coatplate (up, lambda, 0.5, pol{1}, {'R', 'T', 'A'});
%!     v = coatplate (dn, lambda, 0.5, pol{1}, {'R', 'T', 'A'});
%!     for q = 'RTA'
%!       assert (o.(['d' q])(j, :), (u.(q) - v.(q)) / (2 * h), 1e-7 * max (abs (o.(['d' q])(:))));
%!     end
%!   end
%! end
