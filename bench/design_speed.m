% Speed of coatoptimize against the fminunc loop design_gdd had: from the
% same chirped start and targets, the merit gdd_merit measures, and the time.
%   octave-cli --eval "addpath('build/mex'); addpath('bench'); design_speed"
function design_speed(varargin)
  K = 101;
  band = [0.75 0.85];  pairs = 25;  taper = 3;
  lambda = linspace(band(2), band(1), K);
  k = 2 * pi ./ lambda;
  [N, Np, Npp] = coating_indices(k);
  n800 = coating_indices(2 * pi / 0.8);
  centre = linspace(0.70, 0.94, pairs);
  share = 0.5 * ones(1, pairs);  share(1:taper) = (1:taper) / (2 * (taper + 1));
  d0 = zeros(2 * pairs, 1);
  d0(1:2:end) = share .* centre / (2 * n800(1));
  d0(2:2:end) = (1 - share) .* centre / (2 * n800(2));
  w = 1e6;
  % gdd_merit's terms as targets: mean((GDD + 50)^2) and w sum(max(0, 0.9985 - R)^2),
  % R's excess counting in units of its natural scale, 0.001
  t = struct('quantity', {'GDD', 'R'}, 'lambda', lambda, 'value', {-50, 0.9985}, ...
             'type', {'=', '>='}, 'weight', {1, w * K * 1e-6}, 'pol', 's');
  design0 = struct('d', d0, 'm', repmat([1; 2], pairs, 1), ...
                   'materials', {{'TiO2', 'SiO2', 'SiO2'}});
  tic;
  design = coatoptimize(design0, t, 'dmin', 0.02, 'dense', 1, varargin{:});
  time = toc;
  m = gdd_merit(log(design.d), k, N, Np, Npp, 0, 'TE', -50, 0.9985, 0.02, w);
  h = design.record.merit;  first = find(h <= 0.3584, 1);
  fprintf('coatoptimize: gdd_merit %.4g after %d iterations, %.3f s; 0.3584 first reached at iteration %d\n', m, ...
          design.record.iterations, time, first);
  % The design's own goals as targets: GDD -50 +- 5 fs^2, R >= 99.8 %,
  % checked ten times finer than the grid.
  goals = struct('quantity', {'GDD', 'R'}, 'lambda', lambda, 'value', {-50, 0.998}, ...
                'tol', {5, 0}, 'type', {'=', '>='}, 'weight', {1, w * K}, 'pol', 's');
  tic;
  design = coatoptimize(design0, goals, 'dmin', 0.02, varargin{:});
  time = toc;
  m = gdd_merit(log(design.d), k, N, Np, Npp, 0, 'TE', -50, 0.9985, 0.02, w);
  fprintf(['coatoptimize to the goals themselves: met on the dense grid %d (worst GDD excess %.3g fs^2), ' ...
           '%d iterations, %.3f s; its gdd_merit %.4g\n'], design.record.met, ...
          design.record.dense(1).worst, design.record.iterations, time, m);
end
