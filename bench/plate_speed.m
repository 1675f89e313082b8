% Cost of one coatplate evaluation against one coatresponse call of its
% front coating: a 30-layer output coupler and a 4-layer back coating on
% 6.35 mm of fused silica (dispersive), 1000 wavelengths, at 0.3 rad in s;
% values (R, T) and values with their thickness gradients. The median of
% repeated calls, and their ratio.
%   octave-cli --eval "addpath('build/mex'); addpath('bench'); plate_speed"
function plate_speed(repeats)
  if nargin < 1, repeats = 21; end
  mats = {'TiO2 film', 'SiO2 film', 'fused silica'};
  n = coating_indices(2 * pi / 1.064, mats);
  q = 1.064 ./ (4 * real(n(1:2)));
  d = repmat(q, 15, 1) .* (1 + 0.1 * sin((1:30)' / 3));
  design = struct('d', d, 'm', repmat([1; 2], 15, 1), 'materials', {mats}, 'thickness', 6350, ...
                  'back', struct('d', [0.02; 0.1; 0.03; 0.18], 'm', [1; 2; 1; 2]));
  lambda = linspace(0.9, 1.2, 1000);
  k = 2 * pi ./ lambda;
  N = coating_indices(k, mats);
  theta = 0.3;
  cases = {{'R', 'T'}, {'R', 'T', 'dR', 'dT'}};
  for c = 1:numel(cases)
    want = cases{c};
    front = timed(@() coatresponse(k, design.d, design.m, 1, N, [], [], theta, 's', want), repeats);
    whole = timed(@() coatplate(design, lambda, theta, 's', want), repeats);
    fprintf('%-16s coatresponse (front, 30 layers) %7.3f ms   coatplate (30 + 4 layers) %7.3f ms   ratio %.2f\n', ...
            strjoin(want, ','), 1e3 * front, 1e3 * whole, whole / front);
  end
end

function t = timed(f, repeats)
  f();                                   % warm: the first call loads and checks
  s = zeros(1, repeats);
  for i = 1:repeats
    tic;  f();  s(i) = toc;
  end
  t = median(s);
end
