%COATOPTIMIZE Refine a coating to targets: bounded Levenberg-Marquardt with exact gradients, needles, a dense check.
%   design = coatoptimize(design0, targets)
%   design = coatoptimize(design0, targets, options)
%   design = coatoptimize(design0, targets, 'name', value, ...)
%
%   Inputs
%     design0  the start, a struct: d (Lx1 thicknesses in um, layer 1 next
%              to the ambient), m (Lx1 material numbers 1..M), materials
%              (cell array: the M layer materials, then the substrate; each a
%              catalogue name or a struct of coefficients, as coating_indices
%              takes them), ambient (the ambient index, default 1); for
%              targets on the whole plate, thickness, back and exit as
%              coatplate takes them: the back coating's thicknesses are
%              optimised with the front's, and lower, upper and fixed
%              count the front's layers, then the back's.
%     targets  struct array, one element a target (see help coattargets):
%              quantity ('R', 'T', 'A', 'GD', 'GDD', 'TOD', 'GDt', 'GDDt',
%              'TODt') or 'E2' with layers (a bound on |E|^2 in those
%              layers; needles leave it out), or, of the whole plate,
%              ('Rplate', 'Tplate', 'Aplate'), lambda (um), theta (RADIANS,
%              every angle of a vector), pol ('s', 'p', 'avg'), value, tol,
%              type ('=', '>=', '<='), scale, weight, offset ('free' for GD
%              up to a constant).
%              Each excess counts in units of its target's scale (its
%              tolerance, else the quantity's natural unit), so default
%              weights make targets of different quantities weigh alike.
%     options  a struct or name-value pairs (names in any case):
%       dmin, dmax       bounds on the thicknesses, um: a scalar for every
%                        layer or one value per material (1xM); default 0
%                        and Inf (no layer grows beyond 50 um, thicker
%                        than any coating's, all the same). They hold at
%                        every step; the start is clipped into them.
%       lower, upper     bounds of the start's own layers (Lx1, um), within
%                        those of their materials.
%       fixed            layers kept as given: their numbers, or Lx1
%                        logical (a metal film, a bottom section). They are
%                        not moved, split or removed, nor clipped.
%       maxLayers        no needle makes the design grow beyond this many
%                        layers (default Inf; the start must not exceed it).
%       maxThickness     the total thickness of every layer, um (default
%                        Inf): steps are projected into it.
%       needle           rounds of needle insertion (default 0: thicknesses
%                        only); not for a plate (a design with
%                        thickness: badNeedle), nor is grow.
%       needleMaterials  the material numbers a needle may be (default all).
%       grow             true: where no needle lowers the merit, quarter
%                        waves at the targets' centre wavelength are added
%                        at the top (a pair of the top layer's material
%                        over another needle material) and the design
%                        re-optimised, kept if the merit fell: gradual
%                        evolution (default false).
%       maxIterations    Levenberg-Marquardt iterations per optimisation
%                        (default 200).
%       time             a budget in seconds (default Inf).
%       dense            the final check refines each target's grid by this
%                        factor (default 10; 1: no check).
%       densePasses      how often the grid may grow and the optimisation
%                        resume (default 5).
%       margin           the fraction of each target's scale held in
%                        reserve while optimising (default 0.05): a
%                        tolerance shrinks by it, a one-sided bound moves in
%                        by it; the record judges by the targets as given.
%       seed             the seed of the perturbation of a stationary start
%                        (default 1).
%       display          true: print iteration, merit and layers as it goes,
%                        and why it stopped (default false).
%       robust           a production-error model: the design is made
%                        robust to it (below). A struct of the fields of
%                        coattolerance's model (sigma, relative, rate, index;
%                        see help coattolerance), each optional, and samples
%                        (the draws, default 32), seed (default 1) and
%                        method ('samples', or 'linear': below); or a
%                        number, sigma (um). struct('sigma', 0.0002,
%                        'samples', 32): random errors of 0.2 nm on every
%                        layer. Default []: the nominal merit.
%
%   Method: the merit is the sum over targets of
%   weight * mean((excess / scale).^2), the excess being the deviation
%   beyond the tolerance (coattargets). Bounded Levenberg-Marquardt
%   minimises it with the exact Jacobian of the residuals, from
%   coatresponse's thickness gradients (a trial after a rejected one asks
%   for the values alone, and for the Jacobian only where it is accepted;
%   record.jacobians); the model Hessian adds to
%   J'J the residuals' curvature by the secant update of Dennis, Gay and
%   Welsch (NL2SOL). Thicknesses at a bound whose gradient points outwards
%   are held there; every step is projected into the bounds and the total
%   thickness cap. A start where the merit is stationary (no 1 nm change of
%   any layer would change it by 1e-6 of itself: a quarter-wave stack is so
%   for R and T at its centre) is perturbed, each thickness by a normal
%   draw of 2 % of it plus 1 nm (up to three times), and the better of the
%   two outcomes kept. A needle round scans coatprofile's needle function
%   of the merit over every allowed material and depth (every 2 nm inside
%   each layer and every boundary; the depths are laid out layer by layer,
%   so each knows its layer, the deeper one on a boundary as coatprofile
%   takes it), inserts a layer where it is most negative (splitting a layer only where both pieces keep their lower
%   bound, never in or beside a fixed layer, nor beyond maxLayers), and
%   re-optimises;
%   it keeps the insertion if the merit fell, else tries the next two
%   candidates. Layers left at their material's dmin that would rather be
%   thinner are then removed (neighbours of one material merged) where that
%   does not raise the merit. Last, every target's grid is refined by the
%   factor dense; where the design leaves its tolerance between grid points
%   by more than on the grid, those wavelengths join the grid (for a mean
%   that strays further on the fine grid, those of the features that pull
%   it off) and the optimisation resumes.
%
%   Robust design (option robust): the merit becomes the design's expected
%   merit under the error model, the mean over samples draws of the errors
%   of the merit of the design as made, plus samples times its nominal
%   merit. The draws are fixed (common random numbers, from seed, in
%   antithetic pairs e and -e), so the expected merit is a smooth function
%   of the thicknesses; each draw is one evaluation with exact gradients,
%   taken through the made thicknesses by the chain rule, and the residuals
%   of every draw join the least squares. The nominal term costs nothing
%   while the design meets its targets and outweighs the draws beyond
%   them. Where the optimum still trades some of the nominal targets (less
%   the margin) for robustness, the nominal merit alone is then minimised
%   from it, the least move back into them; the record's verdict (met,
%   dense) is the nominal design's, so it says where they do not hold.
%   Needles are placed by the nominal needle function and kept where the
%   robust merit falls. Each evaluation costs samples + 1 nominal ones, all
%   in this process: the draws are too quick to pay for other processes
%   (coatdesign refines its candidates in parallel instead). A merit below 1e-6
%   (the draws' excesses a thousandth of their scale, rms) counts as
%   converged. One sigma per layer needs needle 0 and grow false.
%   With the model's method 'linear', the expected merit is instead that
%   of the quantities linearised about the design: each point's quantity
%   normal, of the linearised spread, whose expected squared excess beyond
%   the tolerance has a closed form (no draws, so nothing to fit to a few
%   of them; index errors taken as a spread constant in the thicknesses).
%   Its gradient needs the quantities' second derivatives, forward
%   differences of the exact gradients: a Jacobian costs L + 1 evaluations.
%
%   Output: design with d, m, materials, ambient, merit (the merit of the
%   targets as given: their own grids and full tolerances, as coattargets
%   gives it; the dense grid's worst excesses are in record.dense)
%   and record:
%     merit       the merit optimised after every accepted iteration, in
%                 order, as display prints it: each tolerance less the
%                 margin, on the grids as the dense check grew them;
%     iterations  their number;
%     trials      the steps tried;
%     jacobians   the evaluations that took the Jacobian: a trial right
%                 after an accepted step takes it with the values, as such
%                 a trial is usually accepted too; a trial after a
%                 rejection takes the values alone (values counts those),
%                 and the Jacobian follows where it is accepted;
%     stop        why the last optimisation stopped: 'converged' (the merit
%                 is 0, or three steps in a row gained less than 1e-6 of
%                 it, or every layer is held at a bound), 'iterations'
%                 (maxIterations reached), 'time' (the budget ran out) or
%                 'stalled' (no step along the model lowers the merit);
%     message     the same in a sentence, with the merit;
%     perturbed   how often a stationary start was perturbed;
%     insertions  struct array per needle round tried: depth (um),
%                 material, layers, merit (after re-optimisation), kept;
%     dense       struct array per target: quantity, worst (the largest
%                 excess beyond the tolerance on the dense grid, in the
%                 quantity's unit; 0 within tolerance), lambda and theta
%                 where, met;
%     met         every target within tolerance on the dense grid;
%     targets     the targets with the wavelengths the dense check added;
%     fixed       Lx1 logical, the layers kept as given (a plate's
%                 front layers, then its back coating's);
%     robust      with the option robust, a struct: model (the error model
%                 as completed), merit (the merit optimised, on the
%                 targets' own grids with their full tolerances) and
%                 expected (its expected part, the mean merit over the
%                 draws); [] without;
%     time        seconds.
%
%   Errors (identifiers coatoptimize:<reason>): notEnoughInputs, badOptions,
%   unknownOption, badBounds, badFixed, badCaps, badNeedle, badRobust (the
%   error model), noPlate (a target of the whole plate, the design without
%   thickness), thicknessUnits (a layer, dmin, dmax, lower, upper or
%   maxThickness beyond any coating's: given in nm), sigmaUnits (the error
%   model's sigma of 50 nm or more: given in nm; a relative one of 0.5 or
%   more: in percent), and those of coattargets for the design and the
%   targets (badDesign, noSubstrate, badQuantity, lambdaUnits,
%   fractionUnits, ...).
%
%   Example: a quarter-wave mirror at 800 nm from a detuned start
%     design0 = struct('d', repmat([0.07; 0.12], 5, 1), 'm', repmat([1; 2], 5, 1), ...
%                      'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%     t = struct('quantity', 'R', 'lambda', 0.8, 'value', 1, 'type', '>=');
%     design = coatoptimize(design0, t, 'dmin', 0.02);
%     R = design.record.dense(1).worst;   % 1 - R left at 800 nm
%
%   See also coatdesign, coattargets, coattolerance, coatplot, coatresponse, coatprofile.
function design = coatoptimize(design0, targets, varargin)
  started = tic;
  who = 'coatoptimize';
  if nargin < 2
    fault(who, 'notEnoughInputs', 'needs a start design and targets (and options).');
  end
  defaults = struct('dmin', 0, 'dmax', Inf, 'lower', [], 'upper', [], 'fixed', [], ...
                    'maxLayers', Inf, 'maxThickness', Inf, 'needle', 0, 'needleMaterials', [], ...
                    'maxIterations', 200, 'time', Inf, 'dense', 10, 'densePasses', 5, ...
                    'margin', 0.05, 'seed', 1, 'grow', false, 'display', false, 'robust', []);
  opt = parse_options(who, defaults, varargin);
  design = check_design(design0, who);
  plate = isfield(design, 'thickness');
  if plate
    % a plate: the back coating's layers join the front's as variables
    design.front = numel(design.d);
    design.d = [design.d; design.back.d];  design.m = [design.m; design.back.m];
  end
  ev = check_targets(targets, design, who);
  given = ev;
  [design, opt] = controls(design, opt, who);
  if (opt.needle > 0 || opt.grow) && plate
    fault(who, 'badNeedle', ['needles and growth take their slope from one coating alone: not for a plate ' ...
                             '(a design with thickness; needle 0, grow false).']);
  end
  opt.started = started;
  rec = struct('merit', [], 'iterations', 0, 'trials', 0, 'jacobians', 0, 'values', 0, ...
               'stop', '', 'message', '', ...
               'perturbed', 0, ...
               'insertions', struct('depth', {}, 'material', {}, 'layers', {}, 'merit', {}, 'kept', {}));

  goal = held(ev, opt);
  [design, merit, rec, stop] = refine(design, goal, opt, rec, true);
  for insertion = 1:opt.needle
    if merit == 0 || out_of_time(opt), break; end
    [design, merit, rec, kept, stop] = insert_needle(design, goal, merit, opt, rec, stop);
    if ~kept && opt.grow
      [design, merit, rec, kept, stop] = grow(design, goal, merit, opt, rec, stop);
    end
    if ~kept, break; end
    [design, merit, rec, stop] = remove_thin(design, goal, merit, opt, rec, stop);
  end
  [design, rec] = settle(design, goal, opt, rec);

  % The dense check: deviations hidden between grid points join the grid.
  for pass = 0:opt.densePasses
    [dense, hidden] = dense_check(design, ev, opt.dense, who);
    if pass == opt.densePasses || ~any(cellfun(@numel, hidden)) || out_of_time(opt), break; end
    for t = 1:numel(ev)
      if isempty(hidden{t}), continue; end
      [l, i] = sort([ev(t).lambda, hidden{t}]);
      v = [ev(t).value, interp1(ev(t).lambda, ev(t).value, hidden{t}, 'linear', 'extrap')];
      ev(t).lambda = l;  ev(t).value = v(i);  ev(t).N = [];
    end
    ev = check_targets(ev, design, who);
    if opt.display
      fprintf('dense check: %d wavelengths join the grid\n', sum(cellfun(@numel, hidden)));
    end
    [design, merit, rec, stop] = refine(design, held(ev, opt), opt, rec, false);
    [design, rec] = settle(design, held(ev, opt), opt, rec);
  end
  if out_of_time(opt), stop = 'time'; end

  [~, merit] = evaluate_targets(design, given, 'values');   % on the targets' own grid
  rec.robust = [];
  if ~isempty(opt.robust)
    [~, both] = opt.evaluate(design, given, 'values');
    rec.robust = struct('model', opt.robust, 'merit', both, ...
                        'expected', both - opt.robust.samples * merit);
  end
  rec.stop = stop;
  rec.message = stop_message(stop, opt, merit, numel(design.d), rec.iterations);
  rec.dense = dense;
  rec.met = all([dense.met]);
  keep = {'quantity', 'lambda', 'theta', 'pol', 'value', 'tol', 'type', 'scale', 'weight', 'offset', 'kind', 'layers'};
  rec.targets = rmfield(ev, setdiff(fieldnames(ev), keep));
  rec.fixed = design.fixed;
  rec.time = toc(started);
  design.merit = merit;
  design = rmfield(design, {'lo', 'hi', 'fixed'});
  if plate
    b = design.front + 1:numel(design.d);
    design.back = struct('d', design.d(b), 'm', design.m(b));
    design.d = design.d(1:design.front);  design.m = design.m(1:design.front);
    design = rmfield(design, 'front');
  end
  design.record = rec;
  if opt.display
    for t = 1:numel(dense)
      where = sprintf('%.4g um', dense(t).lambda);
      if isnan(dense(t).lambda), where = 'its mean'; end
      fprintf('target %d (%s): worst excess %.4g at %s, %.3g rad on the dense grid\n', ...
              t, dense(t).quantity, dense(t).worst, where, dense(t).theta);
    end
    fprintf('%s\n', rec.message);
  end
end

% The options checked and made per material and per layer: opt.dminM and
% opt.dmaxM (1xM), the design's lo, hi (its layers' bounds) and fixed, the
% start clipped into its bounds and the thickness cap.
function [design, opt] = controls(design, opt, who)
  M = numel(design.materials) - 1;
  L = numel(design.d);
  permaterial = @(x) isnumeric(x) && isreal(x) && (isscalar(x) || numel(x) == M) && ~any(isnan(x(:)));
  if ~permaterial(opt.dmin) || ~permaterial(opt.dmax)
    fault(who, 'badBounds', 'dmin and dmax must be scalars or one value per material (%d), in um; %s and %s were given.', ...
         M, mat2str(opt.dmin), mat2str(opt.dmax));
  end
  check_length(who, 'dmin', 'dmin', opt.dmin);
  check_length(who, 'layer', 'dmax', opt.dmax);
  opt.dminM = double(opt.dmin(:).') .* ones(1, M);
  opt.dmaxM = min(double(opt.dmax(:).') .* ones(1, M), check_length('layer'));   % no layer beyond a coating's
  if any(opt.dminM < 0 | opt.dmaxM <= opt.dminM)
    fault(who, 'badBounds', 'dmin and dmax must hold 0 <= dmin < dmax for every material; %s and %s were given.', ...
         mat2str(opt.dmin), mat2str(opt.dmax));
  end
  lo = opt.dminM(design.m).';  hi = opt.dmaxM(design.m).';
  perlayer = @(x) isempty(x) || (isnumeric(x) && isreal(x) && numel(x) == L && ~any(isnan(x(:))));
  if ~perlayer(opt.lower) || ~perlayer(opt.upper)
    fault(who, 'badBounds', 'lower and upper must give each of the %d layers a bound in um.', L);
  end
  check_length(who, 'layer', 'lower', opt.lower);
  check_length(who, 'layer', 'upper', opt.upper);
  if ~isempty(opt.lower), lo = max(lo, opt.lower(:)); end
  if ~isempty(opt.upper), hi = min(hi, opt.upper(:)); end
  if any(lo > hi)
    fault(who, 'badBounds', 'the bounds of layer %d leave no thickness (%g > %g um).', find(lo > hi, 1), ...
         lo(find(lo > hi, 1)), hi(find(lo > hi, 1)));
  end
  f = opt.fixed;
  if isempty(f)
    fixed = false(L, 1);
  elseif islogical(f) && numel(f) == L
    fixed = f(:);
  elseif isnumeric(f) && all(f(:) == round(f(:))) && all(f(:) >= 1 & f(:) <= L)
    fixed = false(L, 1);  fixed(f) = true;
  else
    fault(who, 'badFixed', 'fixed must be layer numbers 1..%d or %d logical values.', L, L);
  end
  whole = @(x) isnumeric(x) && isscalar(x) && isreal(x) && x >= 0 && (x == round(x) || x == Inf);
  if ~whole(opt.maxLayers) || ~isnumeric(opt.maxThickness) || ~isscalar(opt.maxThickness) ...
     || ~(opt.maxThickness > 0)
    fault(who, 'badCaps', 'maxLayers must be a whole number >= 0 and maxThickness a thickness > 0 in um (Inf: none).');
  end
  check_length(who, 'total', 'maxThickness', opt.maxThickness);
  if L > opt.maxLayers
    fault(who, 'badCaps', 'the start has %d layers, more than maxLayers (%d).', L, opt.maxLayers);
  end
  if sum(design.d(fixed)) + sum(lo(~fixed)) > opt.maxThickness
    fault(who, 'badCaps', 'maxThickness (%g um) is less than the fixed layers and the lower bounds need.', ...
         opt.maxThickness);
  end
  if isempty(opt.needleMaterials), opt.needleMaterials = 1:M; end
  nm = opt.needleMaterials;
  if ~isnumeric(nm) || any(nm(:) ~= round(nm(:))) || any(nm(:) < 1 | nm(:) > M)
    fault(who, 'badNeedle', 'needleMaterials must be material numbers 1..%d.', M);
  end
  opt.needleMaterials = double(nm(:).');
  if ~isnumeric(opt.margin) || ~isscalar(opt.margin) || ~(opt.margin >= 0 && opt.margin < 1)
    fault(who, 'badOptions', 'margin must be a fraction 0 <= margin < 1.');
  end
  if ~whole(opt.needle) || ~whole(opt.maxIterations) || ~whole(opt.densePasses) ...
     || ~whole(opt.dense) || opt.dense < 1 || opt.dense == Inf || opt.densePasses == Inf
    fault(who, 'badOptions', 'needle, maxIterations and densePasses must be whole numbers >= 0, dense >= 1.');
  end
  if ~isnumeric(opt.time) || ~isscalar(opt.time) || ~(opt.time > 0) ...
     || ~isnumeric(opt.seed) || ~isscalar(opt.seed) || ~isfinite(opt.seed)
    fault(who, 'badOptions', 'time must be seconds > 0 (Inf: no budget) and seed a number.');
  end
  design.lo = lo;  design.hi = hi;  design.fixed = fixed;
  % the merit optimised: the nominal one, or with a production-error model
  % the expected one under the model's draws plus samples times the nominal
  opt.evaluate = @evaluate_targets;
  opt.enough = 0;
  if ~isempty(opt.robust)
    opt.robust = error_model(opt.robust, L, M, who, 'badRobust');
    if numel(opt.robust.sigma) + numel(opt.robust.relative) > 2 && (opt.needle > 0 || opt.grow)
      fault(who, 'badRobust', 'an error model with one sigma per layer needs the layer count fixed: needle 0, grow false.');
    end
    model = opt.robust;
    opt.evaluate = @(design, ev, mode) evaluate_robust(design, ev, mode, model);
    % the draws' excesses a thousandth of their scale (rms): as good as met
    opt.enough = 1e-6;
  end
  design.d = project(design.d, design, opt);
end

% d within its layers' bounds and the thickness cap, the fixed layers as
% they are: the nearest such point (in the Euclidean norm) to d, the free
% layers shifted alike and clipped, the shift found by bisection.
function d = project(d, design, opt)
  free = ~design.fixed;
  d(free) = min(max(d(free), design.lo(free)), design.hi(free));
  excess = sum(d) - opt.maxThickness;
  if excess <= 0, return; end
  x = d(free);  lo = design.lo(free);  hi = design.hi(free);
  room = opt.maxThickness - sum(d(~free));
  a = 0;  b = max(x - lo);
  for i = 1:60
    c = (a + b) / 2;
    if sum(min(max(x - c, lo), hi)) > room, a = c; else b = c; end
  end
  d(free) = min(max(x - b, lo), hi);
end

function t = out_of_time(opt)
  t = toc(opt.started) > opt.time;
end

% The targets as optimised: each tolerance less the margin's share of its
% scale, a one-sided bound moved inwards, so that the design stays inside
% its bands between the grid points too.
function ev = held(ev, opt)
  for t = 1:numel(ev)
    if strcmp(ev(t).type, '=')
      ev(t).tol = max(ev(t).tol - opt.margin * ev(t).scale, 0);
    else
      ev(t).tol = ev(t).tol - opt.margin * ev(t).scale;
    end
  end
end

% Levenberg-Marquardt from design.d, perturbing a stationary start first
% (only where first: the start of the run, not a design the run reached);
% of a perturbed run and the start, the better.
function [design, merit, rec, stop] = refine(design, ev, opt, rec, first)
  start = design;
  for attempt = 0:3
    [result, merit, rec, stop] = lm(design, ev, opt, rec, first && attempt < 3);
    if ~strcmp(stop, 'stationary'), break; end
    if attempt == 0, merit0 = merit; end
    rec.perturbed = rec.perturbed + 1;
    design = start;
    E = seeded_draws(opt.seed + attempt, 'randn', numel(start.d), 1);
    design.d = project(start.d + (0.02 * start.d + 0.001) .* E, start, opt);
    if opt.display
      fprintf('stationary start (merit %.6g): thicknesses perturbed\n', merit);
    end
  end
  if rec.perturbed > 0 && first && merit > merit0
    result = start;  merit = merit0;
  end
  design = result;
end

% Why the run stopped, in a sentence.
% Robust design: where the expected merit's optimum traded some of the
% nominal targets (held less the margin) for robustness, the nominal merit
% alone is minimised from there, which moves the design the least distance
% back into its targets and keeps most of the robustness gained.
function [design, rec] = settle(design, ev, opt, rec)
  if isempty(opt.robust), return; end
  [~, nominal] = evaluate_targets(design, ev, 'values');
  if nominal == 0, return; end
  plain = opt;
  plain.evaluate = @evaluate_targets;
  plain.enough = 0;
  [design, ~, rec] = lm(design, ev, plain, rec, false);
end

function text = stop_message(stop, opt, merit, L, iterations)
  switch stop
    case 'converged'
      text = 'converged';
    case 'iterations'
      text = sprintf('stopped at the iteration limit (%d)', opt.maxIterations);
    case 'time'
      text = sprintf('stopped when the time budget (%g s) ran out', opt.time);
    otherwise
      text = 'stalled: no step lowers the merit';
  end
  text = sprintf('coatoptimize: %s, merit %.6g (the targets as given), %d layers, %d iterations.', ...
                 text, merit, L, iterations);
end

% Bounded Levenberg-Marquardt over the free thicknesses on
% f = sum(r.^2) / 2, with the model Hessian J'J + S: S, the residuals'
% curvature sum_i r_i r_i'', by the secant update of Dennis, Gay and Welsch
% (as NL2SOL), since near a merit that stays above zero (resonances a
% target cannot quite meet, a reflectance of 1 asked for) J'J alone
% converges slowly. A trial asks for the values alone, the Jacobian is
% taken where a step is accepted. stop: 'converged', 'iterations', 'time',
% 'stalled', or 'stationary' (check: the start's gradient vanishes).
function [design, merit, rec, stop] = lm(design, ev, opt, rec, check)
  [~, merit, r, J] = opt.evaluate(design, ev, 'jacobian');
  d = design.d;
  L = numel(d);
  movable = ~design.fixed;
  if check && merit > 0 && any(movable) && max(abs(2 * J(:, movable)' * r)) * 1e-3 <= 1e-6 * merit
    stop = 'stationary';
    return;
  end
  S = zeros(L);
  mu = 1e-3;  nu = 2;
  quiet = 0;
  hopeful = true;
  stop = 'iterations';
  for it = 1:opt.maxIterations
    if merit <= opt.enough, stop = 'converged'; break; end
    if out_of_time(opt), stop = 'time'; break; end
    g = J' * r;
    free = movable & ~((d <= design.lo & g > 0) | (d >= design.hi & g < 0));
    if ~any(free), stop = 'converged'; break; end
    JJ = J' * J;
    H = JJ(free, free) + S(free, free);
    D = eye(sum(free)) * (mean(diag(JJ)) + realmin);
    accepted = false;
    while mu < 1e20
      [R, bad] = chol(H + mu * D);
      if ~bad
        bad = min(abs(diag(R))) <= 1e-7 * max(abs(diag(R)));   % too near singular to solve
      end
      if bad
        mu = mu * nu;  nu = 2 * nu;
        continue;
      end
      step = -(R \ (R' \ g(free)));
      trial = d;
      trial(free) = d(free) + step;
      trial = project(trial, design, opt);
      s = trial - d;
      predicted = -(g' * s + 0.5 * s' * (JJ + S) * s);   % of f = merit / 2
      candidate = design;  candidate.d = trial;
      % A trial right after an accepted step is usually accepted too: it
      % asks for the Jacobian at once. After a rejection it asks for the
      % values alone, and the Jacobian follows where it is accepted.
      if hopeful
        [~, m1, r1, J1] = opt.evaluate(candidate, ev, 'jacobian');
        rec.jacobians = rec.jacobians + 1;
      else
        [~, m1] = opt.evaluate(candidate, ev, 'values');
        rec.values = rec.values + 1;
      end
      rec.trials = rec.trials + 1;
      if ~(m1 < merit && predicted > 0)
        hopeful = false;
      end
      if m1 < merit && predicted > 0
        rho = (merit - m1) / 2 / predicted;
        mu = mu * max(1 / 3, 1 - (2 * rho - 1) ^ 3);  nu = 2;
        accepted = true;
        break;
      end
      mu = mu * nu;  nu = 2 * nu;
    end
    if ~accepted, stop = 'stalled'; break; end
    if ~hopeful
      [~, m1, r1, J1] = opt.evaluate(candidate, ev, 'jacobian');
      rec.jacobians = rec.jacobians + 1;
    end
    hopeful = true;
    % the secant update of S from the step s
    y = J1' * r1 - g;
    ys = J1' * r1 - J' * r1;
    sy = s' * y;
    if sy > 0
      sSs = s' * S * s;
      if sSs ~= 0, S = min(1, abs(s' * ys) / abs(sSs)) * S; end
      v = ys - S * s;
      S = S + (v * y' + y * v') / sy - (v' * s) * (y * y') / sy ^ 2;
    end
    gain = (merit - m1) / merit;
    design = candidate;  d = trial;  merit = m1;  r = r1;  J = J1;
    rec.merit(end + 1) = merit;
    rec.iterations = rec.iterations + 1;
    if opt.display
      fprintf('iteration %4d  merit %.6g (margin held)  layers %d\n', rec.iterations, merit, L);
    end
    % converged: three steps in a row that gain less than 1e-6 of the merit
    if gain < 1e-6, quiet = quiet + 1; else quiet = 0; end
    if quiet >= 3, stop = 'converged'; break; end
    if merit <= opt.enough, stop = 'converged'; break; end
  end
end

% Where a needle may go, laid out layer by layer so that each depth knows
% its layer (the deeper one on a boundary, the last at the bottom, as
% coatprofile places a depth): every 2 nm inside each free layer where both
% pieces keep its lower bound (kind 0, u and v the pieces), the front of
% every layer (kind 1) and the bottom of the stack (kind 2).
function s = needle_sites(design)
  d = design.d;  L = numel(d);
  b = [0; cumsum(d)];
  z = cell(L + 1, 1);  j = z;  kind = z;  u = z;
  for i = 1:L
    inner = zeros(0, 1);
    a = max(design.lo(i), 1e-3);
    if ~design.fixed(i) && d(i) - a >= a
      inner = linspace(a, d(i) - a, floor((d(i) - 2 * a) / 0.002) + 2).';
      inner = unique(inner);
    end
    z{i} = [b(i); b(i) + inner];
    j{i} = i * ones(numel(inner) + 1, 1);
    kind{i} = [1; zeros(numel(inner), 1)];
    u{i} = [0; inner];
  end
  z{L + 1} = b(L + 1);  j{L + 1} = L;  kind{L + 1} = 2;  u{L + 1} = d(L);
  s = struct('z', vertcat(z{:}), 'j', vertcat(j{:}), 'kind', vertcat(kind{:}), 'u', vertcat(u{:}));
  s.v = d(s.j) - s.u;
end

% One needle round: the best candidates of the needle function, tried in turn.
function [design, merit, rec, kept, stop] = insert_needle(design, ev, merit, opt, rec, stop)
  kept = false;
  d = design.d;  m = design.m;  L = numel(d);
  room = opt.maxLayers - L;
  if L == 0 || sum(d) == 0 || room < 1, return; end
  s = needle_sites(design);
  mats = opt.needleMaterials;
  [~, ~, ~, ~, ng] = evaluate_targets(design, ev, 'needle', s.z, mats);
  above = [0; m];  above = above(s.j);                 % the layer before the holder (0: the ambient)
  % no needle beside a fixed layer: a fixed section stays where it is
  prior = [false; design.fixed];
  loose = ~design.fixed(s.j) & ~prior(s.j);
  ok = false(size(ng));
  for c = 1:numel(mats)
    mu = mats(c);
    split = s.kind == 0 & m(s.j) ~= mu & room >= 2;
    front = s.kind == 1 & m(s.j) ~= mu & above ~= mu & loose;
    bottom = s.kind == 2 & m(L) ~= mu & ~design.fixed(L);
    ok(:, c) = (split | front | bottom) & ng(:, c) < 0;
  end
  if ~any(ok(:)), return; end
  score = ng;  score(~ok) = Inf;
  for attempt = 1:3
    % the most negative candidate not in a layer already tried
    [value, i] = min(score(:));
    if ~isfinite(value), break; end
    [p, c] = ind2sub(size(score), i);
    score(s.j == s.j(p), :) = Inf;
    mu = mats(c);  j = s.j(p);
    trial = design;
    % a true needle first: no thickness and no lower bound, so that the
    % needle function's slope is the first step's; its material's dmin is
    % then imposed, and the design re-optimised again where it bites
    new = {0, mu, 0, opt.dmaxM(mu), false};
    switch s.kind(p)
      case 0
        at = j + 1;
        trial.d = [d(1:j - 1); s.u(p); s.v(p); d(j + 1:end)];
        for f = {'m', 'lo', 'hi', 'fixed'}
          trial.(f{1}) = design.(f{1})([1:j, j:L]);
        end
      case 1
        at = j;
      otherwise
        at = L + 1;
    end
    fields = {'d', 'm', 'lo', 'hi', 'fixed'};
    for f = 1:5
      x = trial.(fields{f});
      trial.(fields{f}) = [x(1:at - 1); new{f}; x(at:end)];
    end
    trial.d = project(trial.d, trial, opt);
    [trial, m1, rec, how] = refine(trial, ev, opt, rec, false);
    trial.lo(at) = opt.dminM(mu);
    if trial.d(at) < trial.lo(at)
      trial.d = project(trial.d, trial, opt);
      [trial, m1, rec, how] = refine(trial, ev, opt, rec, false);
    end
    keep = m1 < merit;
    rec.insertions(end + 1) = struct('depth', s.z(p), 'material', mu, 'layers', numel(trial.d), ...
                                     'merit', m1, 'kept', keep);
    if opt.display
      fprintf('needle of material %d at %.4f um: merit %.6g (%s)\n', mu, s.z(p), m1, ...
              ifelse_text(keep, 'kept', 'dropped'));
    end
    if keep
      design = trial;  merit = m1;  kept = true;  stop = how;
      return;
    end
    if out_of_time(opt), return; end
  end
end

function s = ifelse_text(c, a, b)
  if c, s = a; else s = b; end
end

% Gradual evolution: quarter waves at the targets' centre wavelength on
% top, a pair (a needle material other than the top layer's, then the top
% layer's) where two more layers fit, else the one; the design
% re-optimised, kept if the merit fell.
function [design, merit, rec, kept, stop] = grow(design, ev, merit, opt, rec, stop)
  kept = false;
  L = numel(design.d);
  if L + 1 > opt.maxLayers || (L > 0 && design.fixed(1)), return; end
  top = 0;
  if L > 0, top = design.m(1); end
  mu = opt.needleMaterials(find(opt.needleMaterials ~= top, 1));
  if isempty(mu), return; end
  if top > 0 && L + 2 <= opt.maxLayers && any(opt.needleMaterials == top)
    mu = [top; mu];
  end
  lambda = [ev.lambda];
  centre = mean([min(lambda), max(lambda)]);
  [~, t] = min(arrayfun(@(e) min(abs(e.lambda - centre)), ev));
  [~, i] = min(abs(ev(t).lambda - centre));
  trial = design;
  trial.d = [centre ./ (4 * real(ev(t).N(mu, i))); design.d];
  trial.m = [mu; design.m];
  trial.lo = [opt.dminM(mu).'; design.lo];
  trial.hi = [opt.dmaxM(mu).'; design.hi];
  trial.fixed = [false(numel(mu), 1); design.fixed];
  trial.d = project(trial.d, trial, opt);
  [trial, m1, rec, how] = refine(trial, ev, opt, rec, false);
  if opt.display
    fprintf('%d quarter wave(s) on top: merit %.6g\n', numel(mu), m1);
  end
  if m1 < merit
    design = trial;  merit = m1;  kept = true;  stop = how;
  end
end

% Layers held at their material's dmin that would rather be thinner go,
% free neighbours of one material merge, and the rest re-optimise; kept if
% the merit does not rise.
function [design, merit, rec, stop] = remove_thin(design, ev, merit, opt, rec, stop)
  if numel(design.d) < 2, return; end
  [~, ~, r, J] = opt.evaluate(design, ev, 'jacobian');
  g = J' * r;
  floor_ = opt.dminM(design.m).';
  gone = ~design.fixed & design.d <= design.lo & design.lo <= floor_ & g > 0;
  if ~any(gone), return; end
  trial = design;
  for f = {'d', 'm', 'lo', 'hi', 'fixed'}
    trial.(f{1}) = design.(f{1})(~gone);
  end
  i = 1;
  while i < numel(trial.d)
    if trial.m(i) == trial.m(i + 1) && ~trial.fixed(i) && ~trial.fixed(i + 1)
      trial.d(i) = trial.d(i) + trial.d(i + 1);
      trial.lo(i) = max(trial.lo(i), trial.lo(i + 1));
      trial.hi(i) = max(trial.hi(i), trial.hi(i + 1));
      for f = {'d', 'm', 'lo', 'hi', 'fixed'}
        trial.(f{1})(i + 1) = [];
      end
    else
      i = i + 1;
    end
  end
  trial.d = project(trial.d, trial, opt);
  [trial, m1, rec, how] = refine(trial, ev, opt, rec, false);
  if m1 <= merit
    design = trial;  merit = m1;  stop = how;
  end
end

% Each target on its grid refined by the factor f: the worst excess and
% where, and the wavelengths of hidden deviations (local peaks of the
% excess beyond the worst on the grid), at most ten per target; for a mean
% whose excess grows on the fine grid, the local peaks of its quantity's
% deviation to the side the mean is off.
function [dense, hidden] = dense_check(design, ev, f, who)
  fine = evaluate_targets(design, check_targets(coat_dense_targets(ev, f), design, who), 'values');
  coarse = evaluate_targets(design, ev, 'values');
  dense = struct('quantity', {fine.quantity}, 'worst', {fine.worst}, ...
                 'lambda', {fine.worst_lambda}, 'theta', {fine.worst_theta}, 'met', {fine.met});
  hidden = cell(1, numel(ev));
  for t = 1:numel(ev)
    e = max(abs(fine(t).excess), [], 1);
    above = coarse(t).worst * (1 + 1e-9);
    if strcmp(ev(t).kind, 'mean')
      % a mean that strays further on the fine grid: the features that pull
      % it off (a resonance's dip between points) join the grid, found as
      % the local peaks of the deviation on the side the mean is off
      if fine(t).worst <= above, continue; end
      side = sign(fine(t).excess(find(fine(t).excess, 1)));
      e = max(side * bsxfun(@minus, fine(t).q, fine(t).value), [], 1);
      above = 0;
    end
    peak = e > above & e >= [0, e(1:end - 1)] & e >= [e(2:end), 0];
    peak = peak & ~ismember(fine(t).lambda, ev(t).lambda);
    i = find(peak);
    [~, o] = sort(e(i), 'descend');
    hidden{t} = fine(t).lambda(i(o(1:min(10, end))));
  end
end

%!shared mats, qw
%! mats = {'TiO2', 'SiO2', 'fused silica'};
%! n = coating_indices(2*pi / 0.8, mats);
%! qw = 0.8 ./ (4 * n(1:2));                   % quarter waves at 800 nm, um
%!test  # known optima: a detuned stack becomes the quarter-wave stack; a GD that one layer meets exactly
%! d0 = struct('d', repmat(qw .* [0.8; 1.2], 4, 1), 'm', repmat([1; 2], 4, 1), 'materials', {mats});
%! t = struct('quantity', 'R', 'lambda', 0.8, 'value', 1, 'type', '>=');
%! ds = coatoptimize(d0, t, 'dense', 1);
%! % at a single wavelength the best stack of fixed order is the quarter-wave one
%! % (the last silica layer, on fused silica, is no layer: its thickness is free)
%! assert(ds.d(1:7), repmat(qw, 4, 1)(1:7), 1e-4);
%! assert(ds.record.iterations < 60);
%! % the GD of one titania layer of 420 nm, asked of a 400 nm start: met exactly
%! one = struct('d', 0.4, 'm', 1, 'materials', {{'TiO2', 'fused silica'}});
%! [N, Np, Npp] = coating_indices(2*pi / 0.8, one.materials);
%! o = coatresponse(2*pi / 0.8, 0.42, 1, 1, N, Np, Npp, 0, 's', 'GD');
%! g = coatoptimize(one, struct('quantity', 'GD', 'lambda', 0.8, 'value', o.GD), 'dense', 1);
%! o = coatresponse(2*pi / 0.8, g.d, 1, 1, N, Np, Npp, 0, 's', 'GD');
%! assert(g.merit < 1e-20 && abs(o.GD - g.record.targets.value) < 1e-9);
%!test  # bounds hold at every layer, the start clipped into them
%! d0 = struct('d', [0.01; 0.3; 0.2; 0.05], 'm', [1; 2; 1; 2], 'materials', {mats});
%! t = struct('quantity', 'GDD', 'lambda', linspace(0.75, 0.85, 11), 'value', -200);
%! ds = coatoptimize(d0, t, 'dmin', 0.03, 'dmax', 0.15, 'maxIterations', 30, 'dense', 1);
%! assert(all(ds.d >= 0.03 & ds.d <= 0.15));
%! assert(any(ds.d == 0.03 | ds.d == 0.15));   % a bound is active: -200 fs^2 wants more
%!test  # a needle round lowers the merit of a converged stack that cannot reach its target
%! d0 = struct('d', repmat(qw, 3, 1), 'm', repmat([1; 2], 3, 1), 'materials', {mats});
%! t = struct('quantity', 'R', 'lambda', linspace(0.7, 0.9, 11), 'value', 1, 'type', '>=');
%! a = coatoptimize(d0, t, 'dmin', 0.02, 'dense', 1);
%! b = coatoptimize(d0, t, 'dmin', 0.02, 'needle', 2, 'dense', 1);
%! assert(numel(b.d) > numel(a.d));
%! assert(b.merit < 0.9 * a.merit);
%! assert(b.record.insertions(1).kept && all(b.d >= 0.02 - 1e-15));
%! % two quarter waves, where no needle helps at first: growth by pairs on top
%! two = struct('d', qw, 'm', [1; 2], 'materials', {mats});
%! c = coatoptimize(two, t, 'dmin', 0.02, 'needle', 4, 'dense', 1);
%! g = coatoptimize(two, t, 'dmin', 0.02, 'needle', 8, 'dense', 1, 'grow', true, 'maxLayers', 9);
%! assert(numel(g.d) > numel(c.d) && numel(g.d) <= 9 && g.merit < 0.01 * c.merit);
%!test  # the dense check catches a resonance planted between grid points, and reports it
%! % a Fabry-Perot cavity's dip at 800 nm, 0.8 nm wide, between points 5 nm apart
%! d = [repmat(qw, 5, 1); qw(1); 20 * qw(2); repmat(qw, 5, 1); qw(1)];
%! m = [repmat([1; 2], 5, 1); 1; 2; repmat([1; 2], 5, 1); 1];
%! d0 = struct('d', d, 'm', m, 'materials', {mats});
%! t = struct('quantity', 'R', 'lambda', 0.7925:0.005:0.8075, 'value', 0.99, 'type', '>=');
%! fine = coattargets(d0, setfield(t, 'lambda', linspace(0.79, 0.81, 401)));
%! coarse = coattargets(d0, t);
%! assert(coarse.met && !fine.met);            % hidden from the grid, there on the fine one
%! unchecked = coatoptimize(d0, t, 'dense', 10, 'densePasses', 0, 'maxIterations', 0);
%! x = unchecked.record.dense;
%! assert(!unchecked.record.met && x.worst > 0.9 && abs(x.lambda - 0.8) < 5e-4);
%! % with the grid free to grow, the dip's wavelengths join it; the cavity
%! % cannot leave the band by local steps, and the record says so, truly
%! checked = coatoptimize(d0, t, 'dense', 10, 'densePasses', 2, 'maxIterations', 20);
%! l = checked.record.targets.lambda;
%! assert(numel(l) > 5 && any(abs(l - 0.8) < 5e-4));
%! x = l(1:end - 1) + (0:9)' / 10 * diff(l);           % that grid refined tenfold
%! f = coattargets(checked, setfield(t, 'lambda', [x(:)', l(end)]));
%! y = checked.record.dense;
%! assert([y.met, y.worst, y.lambda], [f.met, f.worst, f.worst_lambda], 1e-12);
%! [~, own] = coattargets(checked, t);                   % its merit: of the targets as given
%! assert(checked.merit, own);
%! % the band's mean, met on the grid: the dip pulls it off on the fine grid,
%! % and its wavelength joins the grid
%! band = coatoptimize(d0, setfield(t, 'kind', 'mean'), 'dense', 10, 'densePasses', 1, 'maxIterations', 0);
%! assert(!band.record.met && any(abs(band.record.targets.lambda - 0.8) < 5e-4));
%! % beside a target met everywhere on the same grid, only the R grid grows:
%! % the two no longer share their calls
%! both = [t, struct('quantity', 'A', 'lambda', t.lambda, 'value', 0.5, 'type', '<=')];
%! c = coatoptimize(d0, both, 'dense', 10, 'densePasses', 1, 'maxIterations', 5);
%! assert(numel(c.record.targets(1).lambda) > numel(c.record.targets(2).lambda));
%!test  # a stationary start is perturbed, not returned: T at the centre of quarter waves
%! % 17 quarter waves at 1030 nm pass 0.4 %; T is stationary there in every
%! % thickness, so the first step of the optimiser has nothing to follow
%! n = coating_indices(2*pi / 1.03, mats);
%! d0 = struct('d', repmat(1.03 ./ (4 * n(1:2)), 9, 1)(1:17), 'm', repmat([1; 2], 9, 1)(1:17), 'materials', {mats});
%! t = struct('quantity', 'T', 'lambda', 1.03, 'value', 0.03, 'tol', 0.003);
%! ev = coattargets(d0, t, 'jacobian');
%! assert(ev.q < 0.01 && max(abs(ev.dq)) < 1e-9);
%! ds = coatoptimize(d0, t, 'dense', 1);
%! assert(ds.record.perturbed >= 1 && ds.record.met && strcmp(ds.record.stop, 'converged'));
%! assert(abs(coattargets(ds, t).q - 0.03) <= 0.003);
%!test  # caps, bounds per material and per layer, fixed layers; and every stop names its reason
%! % a GDD the stack cannot give: needles grow it up to the caps
%! mats3 = {'TiO2', 'SiO2', 'Ag', 'fused silica'};
%! d0 = struct('d', [repmat(qw, 3, 1); 0.15], 'm', [repmat([1; 2], 3, 1); 3], 'materials', {mats3});
%! t = struct('quantity', {'GDD', 'R'}, 'lambda', linspace(0.76, 0.84, 9), 'value', {-150, 0.99}, ...
%!            'type', {'=', '>='});
%! ds = coatoptimize(d0, t, 'dmin', [0.03 0.05 0], 'upper', [0.07; Inf(6, 1)], 'fixed', 7, ...
%!                   'maxLayers', 10, 'maxThickness', 0.4, 'needle', 6, 'dense', 1, 'maxIterations', 40);
%! L = numel(ds.d);
%! assert(L <= 10 && abs(sum(ds.d) - 0.4) <= 1e-12);       % the cap binds: the start is 0.81 um
%! assert([ds.d(end), ds.m(end)], [0.15, 3]);                  % the silver film as given
%! assert(ds.record.fixed, [false(L - 1, 1); true]);
%! assert(all(ds.d(ds.m == 1) >= 0.03 - 1e-15) && all(ds.d(ds.m == 2) >= 0.05 - 1e-15));
%! assert(ds.d(1) <= 0.07 || ds.m(1) ~= 1);                   % layer 1's own bound, unless a needle went above it
%! assert(any(strcmp(ds.record.stop, {'converged', 'iterations', 'stalled'})));
%! a = coatoptimize(d0, t, 'maxIterations', 2, 'dense', 1, 'fixed', 7);
%! assert({a.record.stop, a.record.iterations}, {'iterations', 2});
%! b = coatoptimize(d0, t, 'time', 1e-9, 'dense', 1);
%! assert(b.record.stop, 'time');
%! assert(!isempty(strfind(b.record.message, 'time budget')));
%!test  # a plate: an output coupler and the back side's anti-reflection coating designed together
%! % T of the plate 3 % at 1064 nm and >= 97 % at 650 nm: a bare back side alone loses 3.5 % at 650 nm
%! n = coating_indices(2 * pi / 1.064, {'TiO2 film', 'SiO2 film'});
%! q = 1.064 ./ (4 * real(n(:)));
%! d0 = struct('d', [repmat(q, 5, 1); q(1)], 'm', [repmat([1; 2], 5, 1); 1], ...
%!             'materials', {{'TiO2 film', 'SiO2 film', 'fused silica'}}, 'thickness', 6350, ...
%!             'back', struct('d', [0.02; 0.1], 'm', [1; 2]));
%! t = struct('quantity', 'Tplate', 'lambda', {1.064, 0.65}, 'value', {0.03, 0.97}, 'tol', {0.003, 0}, ...
%!            'type', {'=', '>='});
%! % the Jacobian's columns: the front's layers, then the back's
%! [ev, ~, r, J] = coattargets(d0, t, 'jacobian');
%! assert(size(J), [2 13]);
%! h = 1e-6;
%! for j = [1 11 12 13]
%!   up = d0;  dn = d0;
%!   if (j <= 11) up.d(j) += h;  dn.d(j) -= h; else up.back.d(j - 11) += h;  dn.back.d(j - 11) -= h; end
%!   [~, ~, ru] = coattargets(up, ev);  [~, ~, rd] = coattargets(dn, ev);
%!   assert(J(:, j), (ru - rd) / (2 * h), 1e-7 * max(abs(J(:))));
%! end
%! d = coatoptimize(d0, t, 'dmin', 0.005, 'dense', 1);
%! assert(d.record.met && numel(d.back.d) == 2 && numel(d.d) == 11);
%! o = coatplate(d, [1.064 0.65], 0, 's', {'T'});
%! assert(abs(o.T(1) - 0.03) <= 0.003 && o.T(2) >= 0.97);
%! bare = coatplate(setfield(d, 'back', []), 0.65, 0, 's', {'T'});
%! assert(bare.T < 0.966);
%! fail('coatoptimize(d0, t, ''needle'', 1)', 'not for a plate');
%!error id=coatoptimize:notEnoughInputs coatoptimize(struct('d', 0.1))
%!error id=coatoptimize:badBounds coatoptimize(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1), 'dmin', 0.2, 'dmax', 0.1)
%!error id=coatoptimize:unknownOption coatoptimize(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1), 'tolerance', 1)
%!error id=coatoptimize:badFixed coatoptimize(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1), 'fixed', 2)
%!error id=coatoptimize:badCaps coatoptimize(struct('d', [0.1; 0.1], 'm', [1; 1], 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1), 'maxLayers', 1)
%!error id=coatoptimize:badQuantity coatoptimize(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'Q', 'lambda', 0.8, 'value', 1))
%!error <design.m must give each of the 1 layers> coatoptimize(struct('d', 0.1, 'm', 3, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 1))
