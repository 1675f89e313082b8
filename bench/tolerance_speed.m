% Speed of coattolerance's Monte-Carlo: 1000 samples of a 70-layer design
% on 400 wavelengths (R and GDD, s and p averaged at 5 degrees: four
% coatresponse calls a sample), 1 nm errors.
%   octave-cli --eval "addpath('build/mex'); addpath('bench'); tolerance_speed"
function tolerance_speed(quantities)
  if nargin < 1, quantities = {'R'}; end
  mats = {'TiO2', 'SiO2', 'fused silica'};
  n = coating_indices(2 * pi / 0.8, mats);
  d = repmat(0.8 ./ (4 * n(1:2)), 35, 1) .* (1 + 0.2 * sin((1:70)' / 7));
  design = struct('d', d, 'm', repmat([1; 2], 35, 1), 'materials', {mats});
  t = struct('quantity', quantities, 'lambda', linspace(0.7, 0.9, 400), 'value', 0.99, ...
             'type', '>=', 'pol', 's');
  tic;
  report = coattolerance(design, t, 0.001, 'samples', 1000, 'curve', 0);
  fprintf('coattolerance: 1000 samples, 70 layers, 400 wavelengths, %s: %.2f s (yield %.3f)\n', ...
          strjoin(quantities, ' and '), toc, report.yield);
end
