% Cost of one coatplate evaluation against one coatresponse call of its
% front coating: a 30-layer output coupler and a 4-layer back coating on
% 6.35 mm of glass, 1000 wavelengths, at 0.3 rad in s; values (R, T), and
% values with their thickness gradients. coatplate takes wavelengths and
% materials, so its time holds the indices' evaluation (coating_indices),
% which coatresponse is handed: each line gives coatresponse alone, the
% indices alone, and coatplate. Constant indices first (the indices cost
% nothing: the plate's own work), then catalogue films and fused silica
% (their tables' splines cost more than the coatings). The median of
% repeated calls.
%   octave-cli --eval "addpath('build/mex'); addpath('bench'); plate_speed"
function plate_speed(repeats)
  if nargin < 1, repeats = 21; end
  constant = @(n) struct('model', 'constant', 'n', n);
  sets = {{constant(2.3), constant(1.46), constant(1.45 + 1e-7i)}, ...
          {'TiO2 film', 'SiO2 film', 'fused silica'}};
  labels = {'constant indices', 'catalogue'};
  lambda = linspace(0.9, 1.2, 1000);
  k = 2 * pi ./ lambda;
  theta = 0.3;
  for c = 1:numel(sets)
    mats = sets{c};
    n = coating_indices(2 * pi / 1.064, mats);
    q = 1.064 ./ (4 * real(n(1:2)));
    d = repmat(q, 15, 1) .* (1 + 0.1 * sin((1:30)' / 3));
    design = struct('d', d, 'm', repmat([1; 2], 15, 1), 'materials', {mats}, 'thickness', 6350, ...
                    'back', struct('d', [0.02; 0.1; 0.03; 0.18], 'm', [1; 2; 1; 2]));
    N = coating_indices(k, mats);
    indices = timed(@() coating_indices(k, mats), repeats);
    for want = {{'R', 'T'}, {'R', 'T', 'dR', 'dT'}}
      w = want{1};
      front = timed(@() coatresponse(k, design.d, design.m, 1, N, [], [], theta, 's', w), repeats);
      whole = timed(@() coatplate(design, lambda, theta, 's', w), repeats);
      fprintf(['%-16s %-11s coatresponse (front, 30 layers) %7.3f ms, indices %7.3f ms, ' ...
               'coatplate (30 + 4 layers) %7.3f ms: %.2f x coatresponse, %.2f x both\n'], ...
              labels{c}, strjoin(w, ','), 1e3 * front, 1e3 * indices, 1e3 * whole, whole / front, ...
              whole / (front + indices));
    end
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
