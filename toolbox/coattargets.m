%COATTARGETS How far a coating is from its targets: deviations, merit, residuals and their exact Jacobian.
%   [ev, merit, r] = coattargets(design, targets)
%   [ev, merit, r, J] = coattargets(design, targets, 'jacobian')
%   [ev, merit, r, ~, needle] = coattargets(design, targets, 'needle', z, mu)
%   [ev, merit, r, J, needle, design] = coattargets(design, targets, mode, ...)
%
%   The one evaluation of a design against a list of targets that
%   coatoptimize, coatdesign, coattolerance and coatplot share, through
%   coatresponse and coatprofile. The mode says what is computed:
%     'values'    (the default) the quantities, the excesses, the merit and
%                 the residuals;
%     'jacobian'  and their exact thickness derivatives: J, and ev(t).dq;
%     'needle'    and the needle function at the depths z (um) for the
%                 needle materials mu (numbers 1..M).
%   Outputs a mode does not compute are [].
%
%   Inputs
%     design   struct: d (Lx1 layer thicknesses in um, layer 1 next to the
%              ambient), m (Lx1 material numbers 1..M), materials (cell
%              array: the M layer materials, then the substrate; each a
%              catalogue name or a struct of coefficients, as coating_indices
%              takes them), ambient (the ambient index, real, default 1);
%              for targets on the whole plate, a plate: thickness (the
%              substrate's, um), back (optional, the back coating: d and m
%              from the substrate outward) and exit (the index behind the
%              plate, default the ambient), as coatplate takes it.
%     targets  struct array, one element a target, fields (the names of
%              quantities, polarisations, offsets and kinds in any case):
%       quantity  a real quantity of coatresponse: 'R', 'T', 'A', 'GD',
%                 'GDD', 'TOD', 'GDt', 'GDDt' or 'TODt' (fs, fs^2, fs^3)
%                 of the front coating; or of the whole plate, its
%                 substrate's reflections added in intensity and its back
%                 side included (coatplate): 'Rplate', 'Tplate', 'Aplate';
%                 or 'E2', a field bound: the highest |E|^2 in the layers
%                 that layers selects, relative to the incident wave's
%                 |E|^2 (coatprofile), at each wavelength and angle, with
%                 type '<=' (laser damage: "|E|^2 <= 1.5 in the outer four
%                 layers").
%       layers    for 'E2' alone: a material number or name (every layer
%                 of it), or {'outer', c}, the c layers next to the ambient;
%                 taken afresh from the design at every evaluation, so it
%                 follows layers added or removed. Each selected layer is
%                 sampled at 17 equal fractions of its thickness, its
%                 interfaces included (in its own medium); every sample is a
%                 point judged, so the bound is smooth and its Jacobian
%                 exact (coatprofile's dE2 at depths tied to their layers).
%                 In a layer without loss |E|^2 is a sinusoid in depth of
%                 half a wave's period: the samples miss its peak by at most
%                 0.5 % of its swing in a quarter-wave layer, 2 % in a
%                 half-wave one.
%       lambda    the wavelengths, um (a vector of n, within 0.1 to 30 um).
%       theta     angles of incidence in RADIANS, a scalar or a vector:
%                 the target holds at every angle (default 0).
%       pol       's' (or 'TE'), 'p' (or 'TM') or 'avg' (the mean of the s
%                 and p values); default 's'.
%       value     the target value, a scalar or one per wavelength (a
%                 scalar for a mean); R, T and A are fractions from 0 to 1
%                 (0.998, not 99.8).
%       tol       a deviation up to tol costs nothing (default 0).
%       type      '=' (default), '>=' or '<=': one-sided targets cost only
%                 below (above) value - tol (value + tol).
%       scale     what one unit of excess is, in the quantity's unit: by
%                 default the tolerance where tol > 0, else the quantity's
%                 natural unit: 0.001 (0.1 %) for R, T and A (and the
%                 plate's); 1 fs for GD
%                 and GDt; 1 fs^2 for GDD and GDDt; 10 fs^3 for TOD and
%                 TODt; 0.01 for E2 (1 % of the incident wave's |E|^2; a
%                 standing wave in front of a mirror spans 0 to 4). So "R >= 0.997" and "GDD -60 +- 6 fs^2" weigh alike
%                 without weights: missing R by 0.001 costs what missing the
%                 GDD band by 6 fs^2 does.
%       weight    emphasis, a factor on the target's merit (default 1).
%       offset    'fixed' (default) or, for GD and GDt, 'free': the value is
%                 met up to a constant (the mean deviation over the target's
%                 points), as GD is specified.
%       kind      'point' (default): the target holds at every wavelength
%                 and angle; 'mean': the quantity's mean over the band at
%                 each angle holds it (the trapezoidal mean in wavelength,
%                 so a denser part of the grid does not weigh more), as
%                 broadband metal mirrors are specified: "mean R >= 98.8 %
%                 over 450 to 900 nm" is struct('quantity', 'R', 'lambda',
%                 linspace(0.45, 0.9, 46), 'value', 0.988, 'type', '>=',
%                 'kind', 'mean').
%
%   Outputs
%     ev       the targets completed (defaults filled, value 1xn, scale),
%              each with k (rad/um), N, Np, Npp (its indices; passing ev
%              back as targets for the same materials reuses them), and
%              q         (a x n) the quantity at each angle (rows) and wavelength
%                        (E2: the highest of its samples);
%              field     (a x n x P) an E2 target's |E|^2 at its P sampled
%                        depths, layer by layer ([] for the others);
%              offset_value  the free constant (0 when fixed);
%              excess    (a x n; a x 1 for a mean) the deviation beyond the
%                        tolerance, signed, in the quantity's unit (0 where
%                        the target is met, and where it misses by rounding
%                        alone: 8 ulps of the largest of the values, the
%                        target and its tolerance and scale);
%              band_mean (a x 1) a mean's value at each angle ([] for a
%                        target of every point);
%              worst     max |excess|; worst_lambda (NaN for a mean),
%                        worst_theta: where;
%              met       true where every point is within the tolerance;
%              merit     weight * mean((excess / scale).^2) over its points
%                        (a x n, the a means, or E2's a x n x P samples);
%              dq        (L x n x a) dq/dd, in the 'jacobian' mode.
%     merit    the sum of the targets' merits (0: every target met).
%     r        the residuals, one per point judged of every target,
%              wavelength fastest: sqrt(weight / p) * excess / scale for its
%              p points (a n, a for a mean, a n P for a field bound, depth
%              slowest), so merit = sum(r.^2).
%     J        numel(r) x L: dr/dd, exact (from coatresponse's gradients,
%              and coatprofile's for a field bound; 0 where a point is
%              within its tolerance); for a plate with a back coating of Lb
%              layers, numel(r) x (L + Lb), the back coating's columns after
%              the front's.
%     needle   P x numel(mu): d merit / dt for a layer of material mu(c) of
%              thickness t inserted at z(p) (coatprofile's 'ng'), per um,
%              of every target but field bounds;
%              negative where such a needle lowers the merit. A depth on a
%              boundary belongs to the deeper layer (see help coatprofile).
%              Not for targets of the whole plate (badNeedle).
%     design   the design as checked: d and m columns, ambient filled in.
%
%   Errors (identifiers coattargets:<reason>), each naming the first input
%   or target at fault: notEnoughInputs, badMode, badNeedle, badDesign, noPlate
%   (a plate target, the design without thickness),
%   badMaterials, noSubstrate (a layer of the last material: the substrate
%   left out of design.materials), thicknessUnits (a layer of 50 um or more:
%   given in nm), badTargets, badQuantity, badLambda, lambdaUnits
%   (wavelengths outside 0.1 to 30 um: given in nm), badAngle,
%   badPolarization, badValue, fractionUnits (an R, T or A value, tolerance
%   or scale outside 0 to 1: given in percent), badTolerance, badScale,
%   badType (a field bound not '<='), badWeight, badOffset, badKind,
%   badLayers (a field bound without a valid selector, or a selector on
%   another quantity).
%
%   Example: how far a quarter-wave stack is from R >= 99.9 % over 750 to 850 nm
%     design = struct('d', repmat([0.0845; 0.1376], 10, 1), 'm', repmat([1; 2], 10, 1), ...
%                     'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%     t = struct('quantity', 'R', 'lambda', linspace(0.75, 0.85, 51), 'value', 0.999, 'type', '>=');
%     [ev, merit] = coattargets(design, t);
%     R = ev.q;  worst = ev.worst;
%
%   See also coatoptimize, coatdesign, coattolerance, coatplot, coatresponse, coatprofile.
function [ev, merit, r, J, needle, design] = coattargets(design, targets, mode, z, mu)
  who = 'coattargets';
  if nargin < 2
    fault(who, 'notEnoughInputs', 'needs a design and targets.');
  end
  if nargin < 3
    mode = 'values';
  end
  if ~ischar(mode) || ~any(strcmp(mode, {'values', 'jacobian', 'needle'}))
    fault(who, 'badMode', 'input 3 (mode) must be ''values'', ''jacobian'' or ''needle''.');
  end
  design = check_design(design, who);
  ev = check_targets(targets, design, who);
  if strcmp(mode, 'needle') && any(~cellfun(@isempty, regexp({ev.quantity}, 'plate$')))
    fault(who, 'badNeedle', 'the needle function is of the front coating alone: not for targets of the whole plate.');
  end
  if strcmp(mode, 'needle')
    M = numel(design.materials) - 1;
    if nargin < 5 || ~isnumeric(z) || ~isreal(z) || ~isnumeric(mu) || isempty(mu) ...
       || any(mu(:) ~= round(mu(:))) || any(mu(:) < 1 | mu(:) > M)
      fault(who, 'badNeedle', 'the needle mode takes depths z in um and needle materials mu, numbers 1..%d.', M);
    end
  else
    z = [];  mu = [];
  end
  [ev, merit, r, J, needle] = evaluate_targets(design, ev, mode, z, mu);
  if strcmp(mode, 'jacobian') && isempty(J)
    Lb = 0;
    if isfield(design, 'back'), Lb = numel(design.back.d); end
    J = zeros(0, numel(design.d) + Lb);
  end
end

%!shared design, k
%! design = struct('d', [0.1; 0.15; 0.08], 'm', [1; 2; 1], 'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%!test  # R, the s/p mean and a free GD offset as coatresponse gives them; J is the difference quotient of r
%! t = struct('quantity', {'R', 'GD'}, 'lambda', {[0.7 0.8 0.9], [0.7 0.8]}, 'theta', {[0 0.3], 0.2}, ...
%!            'pol', {'avg', 'p'}, 'value', {0.5, [1 2]}, 'type', {'>=', '='}, 'tol', {0.01, 0}, ...
%!            'offset', {'fixed', 'free'}, 'weight', {3, 1});
%! [ev, merit, r, J] = coattargets(design, t, 'jacobian');
%! [N, Np, Npp] = coating_indices(2*pi ./ [0.7 0.8 0.9], design.materials);
%! s = coatresponse(2*pi ./ [0.7 0.8 0.9], design.d, design.m, 1, N, Np, Npp, 0.3, 's', 'R');
%! p = coatresponse(2*pi ./ [0.7 0.8 0.9], design.d, design.m, 1, N, Np, Npp, 0.3, 'p', 'R');
%! assert(ev(1).q(2, :), (s.R + p.R) / 2, 1e-15);
%! assert(ev(1).excess, min(ev(1).q - 0.5 + 0.01, 0), 1e-15);
%! assert(mean(ev(2).q - [1 2] - ev(2).offset_value), 0, 1e-12);
%! assert(merit, sum(r .^ 2), 1e-12);
%! % each excess counts in units of its scale: the tolerance, else the natural unit, else as given
%! assert([ev.scale], [0.01 1]);
%! assert(ev(1).merit, 3 * mean((ev(1).excess(:) / 0.01) .^ 2), 1e-12 * ev(1).merit);
%! u = coattargets(design, struct('quantity', {'R', 'TOD', 'GDD'}, 'lambda', 0.8, 'value', 0, 'scale', {[], [], 7}));
%! assert([u.scale], [1e-3 10 7]);
%! assert(u(3).merit, (u(3).q / 7) ^ 2, 1e-12 * u(3).merit);
%! assert(size(J), [numel(r) 3]);
%! h = 1e-6;                 % central differences: error ~ h^2 |r'''|, far below 1e-6 |J|
%! for j = 1:3
%!   up = design;  up.d(j) += h;  dn = design;  dn.d(j) -= h;
%!   [~, ~, ru] = coattargets(up, ev);  [~, ~, rd] = coattargets(dn, ev);
%!   assert(J(:, j), (ru - rd) / (2 * h), 1e-6 * max(abs(J(:))));
%! end
%!test  # the needle function is the merit's slope for a thin needle inserted there
%! % two quantities on one grid: their weights go in one call of coatprofile
%! t = struct('quantity', {'GDD', 'R'}, 'lambda', linspace(0.75, 0.85, 7), 'value', {-20, 0.9}, ...
%!            'type', {'=', '>='}, 'pol', 'avg', 'theta', 0.1);
%! z = [0.05; 0.2];
%! [~, merit, ~, ~, ng] = coattargets(design, t, 'needle', z, [1 2]);
%! tt = 1e-7;
%! thin = design;  thin.d = [0.05; tt; 0.05; 0.15; 0.08];  thin.m = [1; 2; 1; 2; 1];
%! [~, m1] = coattargets(thin, t);
%! assert((m1 - merit) / tt, ng(1, 2), 1e-3 * abs(ng(1, 2)));
%! assert(ng(1, 1), 0);                        % a TiO2 needle in TiO2 is no change
%!test  # a mean over the band: the trapezoidal mean of an uneven grid, its exact Jacobian and needle function
%! silver = struct('d', [0.1; 0.15; 0.08; 0.12], 'm', [1; 2; 1; 3], 'materials', {{'TiO2', 'SiO2', 'Ag', 'fused silica'}});
%! l = [0.45 0.5 0.52 0.7 0.9];                  % uneven: a mean of the points would lean to 0.5
%! t = struct('quantity', {'R', 'GDD'}, 'lambda', {l, [0.8 0.7 0.75]}, 'theta', {[0 0.3], 0.1}, ...
%!            'pol', {'avg', 'p'}, 'value', {0.99, 5}, 'type', {'>=', '<='}, 'kind', 'mean', 'weight', {1, 2});
%! [ev, merit, r, J] = coattargets(silver, t, 'jacobian');
%! one = coattargets(silver, struct('quantity', 'R', 'lambda', l, 'theta', [0 0.3], 'pol', 'avg', 'value', 0));
%! assert(ev(1).band_mean, trapz(l, one.q, 2) / 0.45, 1e-15);
%! g = coattargets(silver, struct('quantity', 'GDD', 'lambda', [0.7 0.75 0.8], 'theta', 0.1, 'pol', 'p', 'value', 0));
%! assert(ev(2).band_mean, trapz([0.7 0.75 0.8], g.q) / 0.1, 1e-12);
%! assert(ev(1).excess, min(ev(1).band_mean - 0.99, 0), 1e-15);
%! assert(size(r), [3 1]);  assert(merit, sum(r .^ 2), 1e-12 * merit);
%! h = 1e-6;                 % central differences, as above
%! for j = 1:4
%!   up = silver;  up.d(j) += h;  dn = silver;  dn.d(j) -= h;
%!   [~, ~, ru] = coattargets(up, ev);  [~, ~, rd] = coattargets(dn, ev);
%!   assert(J(:, j), (ru - rd) / (2 * h), 1e-6 * max(abs(J(:))));
%! end
%! [~, merit, ~, ~, ng] = coattargets(silver, t, 'needle', 0.05, 2);
%! tt = 1e-7;
%! thin = silver;  thin.d = [0.05; tt; 0.05; 0.15; 0.08; 0.12];  thin.m = [1; 2; 1; 2; 1; 3];
%! [~, m1] = coattargets(thin, t);
%! assert((m1 - merit) / tt, ng, 1e-3 * abs(ng));
%!test  # a field bound: the highest sampled |E|^2 in its layers, one residual per sample, J the difference quotient of r
%! silver = struct('d', [0.1; 0.15; 0.08; 0.03; 0.12], 'm', [1; 2; 1; 2; 3], 'materials', {{'TiO2', 'SiO2', 'Ag', 'fused silica'}});
%! t = struct('quantity', {'E2', 'E2', 'R'}, 'lambda', {[0.7 0.8 0.9], [0.75 0.85], 0.8}, 'theta', {[0 0.3], 0.2, 0}, ...
%!            'pol', {'avg', 'p', 's'}, 'value', {0.4, 0.2, 0.5}, 'type', {'<=', '<=', '>='}, ...
%!            'layers', {{'outer', 3}, 'sio2', []}, 'weight', {1, 2, 1});
%! [ev, merit, r, J] = coattargets(silver, t, 'jacobian');
%! % the samples: 17 a layer, both interfaces in the layer's medium; the highest judged
%! k = 2*pi ./ [0.7 0.8 0.9];  [N, Np, Npp] = coating_indices(k, silver.materials);
%! tie = struct('layer', kron(1:3, ones(1, 17)), 'fraction', repmat((0:16) / 16, 1, 3));
%! f = (coatprofile(k, silver.d, silver.m, 1, N, Np, Npp, 0.3, 's', tie, 'E2').E2 ...
%!      + coatprofile(k, silver.d, silver.m, 1, N, Np, Npp, 0.3, 'p', tie, 'E2').E2) / 2;
%! assert(squeeze(ev(1).field(2, :, :)), f.', 1e-15);
%! assert([ev(1).q(2, :); ev(1).excess(2, :)], [max(f); max(f) - 0.4], 1e-15);
%! assert([ev(1:2).scale, size(ev(1).field), size(ev(2).field)], [0.01 0.01 2 3 51 1 2 34]);
%! % field bounds take no part in the needle function
%! [~, ~, ~, ~, ng] = coattargets(silver, t, 'needle', [0.05 0.2], 2);
%! [~, ~, ~, ~, g3] = coattargets(silver, t(3), 'needle', [0.05 0.2], 2);
%! assert(ng, g3);
%! assert(numel(r), 2 * 3 * 51 + 2 * 34 + 1);  assert(merit, sum(r .^ 2), 1e-12 * merit);
%! h = 1e-6;
%! for j = 1:5
%!   up = silver;  up.d(j) += h;  dn = silver;  dn.d(j) -= h;
%!   [~, ~, ru] = coattargets(up, ev);  [~, ~, rd] = coattargets(dn, ev);
%!   assert(J(:, j), (ru - rd) / (2 * h), 1e-6 * max(abs(J(:))));
%! end
%! % the selector follows the design: a layer of silica added on top is outer and silica
%! top = silver;  top.d = [0.05; silver.d];  top.m = [2; silver.m];
%! ev = coattargets(top, ev);
%! assert([size(ev(1).field, 3), size(ev(2).field, 3)], [51 51]);
%!error id=coattargets:badLayers coattargets(design, struct('quantity', 'E2', 'lambda', 0.8, 'value', 1, 'type', '<=', 'layers', 'Ag'))
%!error id=coattargets:badLayers coattargets(design, struct('quantity', 'R', 'lambda', 0.8, 'value', 1, 'layers', 1))
%!error id=coattargets:badType coattargets(design, struct('quantity', 'E2', 'lambda', 0.8, 'value', 1, 'layers', {{'outer', 2}}))
%!test  # rounding is no excess: a one-sided bound missed by 2 ulps is met, by 1e-12 it is not
%! t = struct('quantity', {'R', 'GD'}, 'lambda', 0.8, 'value', 0, 'type', {'>=', '<='});
%! ev = coattargets(design, t);
%! [R, GD] = deal(ev.q);
%! t(1).value = R + 2 * eps(R);  t(2).value = GD - 2 * eps(GD);
%! ev = coattargets(design, t);
%! assert([ev.met, ev.worst, ev.merit], [true true 0 0 0 0]);
%! t(1).value = R + 1e-12;  t(2).value = GD - 1e-12;
%! ev = coattargets(design, t);
%! assert([ev.met], [false false]);
%!error id=coattargets:badQuantity coattargets(design, struct('quantity', 'X', 'lambda', 0.8, 'value', 1))
%!error id=coattargets:badOffset coattargets(design, struct('quantity', 'R', 'lambda', 0.8, 'value', 1, 'offset', 'free'))
%!error id=coattargets:badAngle coattargets(design, struct('quantity', 'R', 'lambda', 0.8, 'value', 1, 'theta', 2))
%!error id=coattargets:badDesign coattargets(setfield(design, 'm', [1; 4; 1]), struct('quantity', 'R', 'lambda', 0.8, 'value', 1))
