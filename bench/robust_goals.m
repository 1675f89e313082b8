% Robust design against nominal design on a family of Ti:sapphire
% dispersive mirrors (titania and silica on fused silica, 10 deg, s and p
% averaged, R >= 99.7 %, no layer under 15 nm): coatdesign run twice on each,
% nominally and with 'robust', struct('sigma', 0.0002, 'samples', 32)
% (random thickness errors of 0.2 nm), back to back; each design then
% judged here, by coatresponse itself, not by the toolbox:
%   - its targets on a grid ten times finer than the targets' own;
%   - its yield by a Monte-Carlo of 1000 draws of 0.2 nm errors of its own
%     (a generator of this script's, not the optimiser's draws), on that
%     grid, with the 95 % interval;
%   - the GDD's linearised spread under the model (rms and worst over the
%     band), from coatresponse's exact gradients.
%   octave-cli --eval "addpath('build/mex'); addpath('bench'); robust_goals"
%   robust_goals('narrow')              one case (or a cell of them):
%                                       tisapphire (design_from_targets's
%                                       mirror), wide, narrow (the mirror of
%                                       the example robust_mirror), steep, mid
%   robust_goals('narrow', 'time', 200) options passed on to both calls of
%                                       coatdesign
% Prints a line per design and the ratios per case; timings depend on the
% machine's load: note it (uptime), and compare runs made back to back.
function results = robust_goals(which, varargin)
  if nargin < 1 || isempty(which)
    which = {'tisapphire', 'wide', 'narrow', 'steep', 'mid'};
  elseif ischar(which)
    which = {which};
  end
  sigma = 2e-4;
  results = struct('name', {}, 'nominal', {}, 'robust', {});
  for i = 1:numel(which)
    [targets, options] = goal(which{i});
    mats = {'TiO2', 'SiO2', 'fused silica'};
    row = struct('name', which{i});
    for kind = {'nominal', 'robust'}
      extra = {};
      if strcmp(kind{1}, 'robust')
        extra = {'robust', struct('sigma', sigma, 'samples', 32)};
      end
      tic;
      design = coatdesign(targets, mats, options{:}, extra{:}, varargin{:});
      time = toc;
      x = judge(design, targets, sigma);
      x.time = time;
      x.layers = numel(design.d);
      x.design = design;
      fprintf(['%-10s %-7s %2d layers %6.1f s  targets %-7s  yield %5.1f %% (%4.1f to %4.1f)  ' ...
               'GDD spread %5.2f rms, %5.2f worst (fs^2)  (%s)\n'], which{i}, kind{1}, x.layers, time, ...
              ifelse_text(x.met, 'met', 'not met'), 100 * x.yield, 100 * x.interval, x.rms, x.worst, ...
              design.record.alternatives(1).kind);
      row.(kind{1}) = x;
    end
    fprintf('%-10s robust / nominal: time %.1fx, GDD spread rms %.2fx, worst %.2fx\n', which{i}, ...
            row.robust.time / row.nominal.time, row.robust.rms / row.nominal.rms, ...
            row.robust.worst / row.nominal.worst);
    results(end + 1) = row;
  end
end

function [targets, options] = goal(name)
  switch name
    case 'tisapphire'        % the mirror of design_from_targets
      band = [0.72 0.88];  gdd = -60;  tol = 6;  layers = 50;
    case 'wide'              % 45 layers, -60 +- 8 fs^2 over 700-900 nm
      band = [0.70 0.90];  gdd = -60;  tol = 8;  layers = 45;
    case 'narrow'
      band = [0.75 0.85];  gdd = -40;  tol = 8;  layers = 40;
    case 'steep'
      band = [0.77 0.83];  gdd = -100;  tol = 15;  layers = 50;
    case 'mid'
      band = [0.74 0.86];  gdd = -50;  tol = 10;  layers = 50;
  end
  K = round((band(2) - band(1)) / 0.002) + 1;          % every 2 nm
  targets = struct('quantity', {'GDD', 'R'}, 'lambda', linspace(band(1), band(2), K), ...
                   'theta', 10 * pi / 180, 'pol', 'avg', 'value', {gdd, 0.997}, ...
                   'tol', {tol, 0}, 'type', {'=', '>='});
  options = {'maxLayers', layers, 'dmin', 0.015, 'time', 120};
end

% The design judged by coatresponse on a grid ten times finer: whether its
% targets hold, the yield of 1000 draws of independent normal errors of
% sigma on every layer, and the GDD's linearised spread.
function x = judge(design, targets, sigma)
  l = targets(1).lambda;
  l = linspace(min(l), max(l), 10 * (numel(l) - 1) + 1);
  k = 2 * pi ./ l;
  [N, Np, Npp] = coating_indices(k, design.materials);
  theta = targets(1).theta;
  respond = @(d, want) average(coatresponse(k, d, design.m, 1, N, Np, Npp, theta, 's', want), ...
                               coatresponse(k, d, design.m, 1, N, Np, Npp, theta, 'p', want));
  ok = @(o) all(abs(o.GDD - targets(1).value) <= targets(1).tol) && all(o.R >= targets(2).value);
  o = respond(design.d, {'R', 'GDD', 'dGDD'});
  x.met = ok(o);
  spread = sigma * sqrt(sum(o.dGDD .^ 2, 1));
  x.rms = sqrt(mean(spread .^ 2));
  x.worst = max(spread);
  if exist('OCTAVE_VERSION', 'builtin')
    randn('state', 4242);
    E = randn(numel(design.d), 1000);
  else
    E = randn(RandStream('mt19937ar', 'Seed', 4242), numel(design.d), 1000);
  end
  pass = false(1, 1000);
  for j = 1:1000
    pass(j) = ok(respond(max(design.d + sigma * E(:, j), 0), {'R', 'GDD'}));
  end
  x.yield = mean(pass);
  % 95 % interval: Wilson's score interval
  z = 1.96;  n = 1000;  p = x.yield;
  c = (p + z ^ 2 / (2 * n)) / (1 + z ^ 2 / n);
  h = z * sqrt(p * (1 - p) / n + z ^ 2 / (4 * n ^ 2)) / (1 + z ^ 2 / n);
  x.interval = [max(c - h, 0), min(c + h, 1)];
end

function o = average(s, p)
  o = s;
  for f = fieldnames(s).'
    o.(f{1}) = (s.(f{1}) + p.(f{1})) / 2;
  end
end

function s = ifelse_text(c, a, b)
  if c, s = a; else s = b; end
end
