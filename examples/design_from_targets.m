% out = design_from_targets(png, K, ...)
% A Ti:sapphire dispersive mirror designed from its targets alone, by one
% call of coatdesign: no start, no weights. Titania and silica on fused
% silica at 10 degrees, s and p averaged; over 720 to 880 nm (K wavelengths,
% default 81):
%   GDD -60 +- 6 fs^2 and R >= 99.7 %,
% with at most 50 layers, none thinner than 15 nm. Each target's excess
% counts in units of its scale (the GDD's tolerance, 6 fs^2; R's natural
% unit, 0.1 %), so the two weigh alike with default weights.
%
% coatdesign starts from stacks it sizes to the targets (a chirped stack
% whose ramp spreads the group delay the GDD asks for across the band), from
% growth and from random stacks, four at a time (in parallel where Octave's
% parallel package is installed), refines each with coatoptimize (bounded
% Levenberg-Marquardt with exact Jacobians, needles, a check on a grid ten
% times finer) and stops after the round that met every target, within a
% budget of 20 s (each start has 40 % of it).
%
% Prints each start (its kind, layers, merit, verdict, time) and the
% design; writes png (default design_from_targets.png): coatplot's figure of
% GDD and R on a grid ten times finer, with the target bands, and the
% layers.
%
% Further arguments are options of coatdesign, given after the example's
% own ('starts', 1: the first start alone).
%
% out has the fields design (coatdesign's: d, m, materials, merit, record),
% targets, time (s).
function out = design_from_targets(png, K, varargin)
  if nargin < 1, png = 'design_from_targets.png'; end
  if nargin < 2, K = 81; end
  targets = struct('quantity', {'GDD', 'R'}, 'lambda', linspace(0.72, 0.88, K), ...
                   'theta', 10 * pi / 180, 'pol', 'avg', 'value', {-60, 0.997}, ...
                   'tol', {6, 0}, 'type', {'=', '>='});
  materials = {'TiO2', 'SiO2', 'fused silica'};
  tic;
  design = coatdesign(targets, materials, 'maxLayers', 50, 'dmin', 0.015, 'time', 20, varargin{:});
  time = toc;
  rec = design.record;
  fprintf('Ti:sapphire mirror from targets alone: GDD -60 +- 6 fs^2, R >= 99.7 %% over 720-880 nm, 10 deg\n');
  for i = 1:numel(rec.runs)
    x = rec.runs(i);
    verdict = 'not met';
    if x.met, verdict = 'met'; end
    fprintf('  start %d (%s): %d layers, merit %.3g, %s, %.1f s\n', i, x.kind, x.layers, x.merit, ...
            verdict, x.time);
  end
  fprintf('  %s\n', rec.message);
  fprintf('  %d layers, %.0f nm in all, thinnest %.1f nm, %.1f s\n', numel(design.d), ...
          1000 * sum(design.d), 1000 * min(design.d), time);
  for t = 1:numel(rec.dense)
    fprintf('  %s: worst excess on the grid ten times finer %.3g\n', rec.dense(t).quantity, ...
            rec.dense(t).worst);
  end
  coatplot(design, targets, [], png);
  fprintf('Plot written to %s\n', png);
  out = struct('design', design, 'targets', targets, 'time', time);
end
