% When coatoptimize's Levenberg-Marquardt should ask for the Jacobian: one
% evaluation of a 40-layer design against 400 wavelengths (R and GDD, s),
% with and without the Jacobian; then a run of coatoptimize, its iterations
% (accepted steps), trials and Jacobians, and the time its evaluations take
% (a trial after an accepted step takes the Jacobian at once, one after a
% rejection the values alone), against the Jacobian at every trial and
% against values at every trial with the Jacobian at accepted steps alone.
%   octave-cli --eval "addpath('build/mex'); addpath('bench'); lm_jacobian"
function lm_jacobian()
  lambda = linspace(0.7, 0.9, 400);
  mats = {'TiO2', 'SiO2', 'fused silica'};
  n = coating_indices(2 * pi / 0.8, mats);
  pairs = 20;
  centre = linspace(0.68, 0.94, pairs);
  d = [centre / (4 * n(1)); centre / (4 * n(2))];
  design = struct('d', d(:), 'm', repmat([1; 2], pairs, 1), 'materials', {mats});
  targets = struct('quantity', {'GDD', 'R'}, 'lambda', lambda, 'value', {-60, 0.997}, ...
                   'tol', {6, 0}, 'type', {'=', '>='});
  ev = coattargets(design, targets);
  reps = 200;
  tic;  for i = 1:reps, coattargets(design, ev); end;  values = toc / reps;
  tic;  for i = 1:reps, coattargets(design, ev, 'jacobian'); end;  jacobian = toc / reps;
  fprintf('L = 40, 400 wavelengths: values %.2f ms, with the Jacobian %.2f ms a call\n', ...
          1000 * values, 1000 * jacobian);
  tic;
  out = coatoptimize(design, ev, 'dmin', 0.015, 'dense', 1, 'maxIterations', 300);
  time = toc;
  r = out.record;
  done = r.values * values + r.jacobians * jacobian;
  always = r.trials * jacobian;
  accepted = r.trials * values + r.iterations * jacobian;
  fprintf(['coatoptimize: %d iterations (accepted), %d trials, %d Jacobians, %.2f s; the ' ...
           'evaluations: %.2f s as done, %.2f s with the Jacobian at every trial, %.2f s ' ...
           'with values at every trial and the Jacobian at accepted steps alone\n'], ...
          r.iterations, r.trials, r.jacobians, time, done, always, accepted);
end
