% Cost of a plate against its front coating alone: an output coupler of
% L = 30 or 100 layers and a 4-layer back coating on 6.35 mm of glass,
% 1000 wavelengths, at 0.3 rad in s; values (R, T), and values with their
% thickness gradients. coatresponse is handed the indices; coatplate takes
% wavelengths and materials, so it evaluates the indices (coating_indices,
% timed alone too) and checks the design at every call. Lossless materials
% (the front's two sides alike: one coatresponse call for the front), a
% substrate absorbing 1e-7 (both sides asked for), catalogue films on fused
% silica (their tables' splines cost more than the coatings). The least of
% repeated calls, in ms; timings on a shared machine are noisy: run with
% COAT_THREADS=1.
%   COAT_THREADS=1 octave-cli --eval "addpath('build/mex'); addpath('bench'); plate_speed"
function plate_speed(repeats)
  if nargin < 1, repeats = 51; end
  constant = @(n) struct('model', 'constant', 'n', n);
  sets = {{constant(2.3), constant(1.46), constant(1.45)}, ...
          {constant(2.3), constant(1.46), constant(1.45 + 1e-7i)}, ...
          {'TiO2 film', 'SiO2 film', 'fused silica'}};
  labels = {'lossless', 'absorbing substrate', 'catalogue'};
  lambda = linspace(0.9, 1.2, 1000);
  k = 2 * pi ./ lambda;
  theta = 0.3;
  for c = 1:numel(sets)
    mats = sets{c};
    n = coating_indices(2 * pi / 1.064, mats);
    q = 1.064 ./ (4 * real(n(1:2)));
    N = coating_indices(k, mats);
    indices = timed(@() coating_indices(k, mats), repeats);
    for L = [30 100]
      d = repmat(q, L / 2, 1) .* (1 + 0.1 * sin((1:L)' / 3));
      design = struct('d', d, 'm', repmat([1; 2], L / 2, 1), 'materials', {mats}, 'thickness', 6350, ...
                      'back', struct('d', [0.02; 0.1; 0.03; 0.18], 'm', [1; 2; 1; 2]));
      for w = {{'R', 'T'}, {'R', 'T', 'dR', 'dT'}}
        want = w{1};
        front = timed(@() coatresponse(k, design.d, design.m, 1, N, [], [], theta, 's', want), repeats);
        whole = timed(@() coatplate(design, lambda, theta, 's', want), repeats);
        fprintf(['%-20s L %3d %-11s coatresponse %6.3f, indices %6.3f, coatplate %6.3f ms: ' ...
                 '%5.2f x coatresponse, %5.2f x coatresponse and indices\n'], labels{c}, L, ...
                strjoin(want, ','), 1e3 * front, 1e3 * indices, 1e3 * whole, whole / front, ...
                whole / (front + indices));
      end
    end
  end
end

function t = timed(f, repeats)
  f();                                   % warm: the first call loads and checks
  s = zeros(1, repeats);
  for i = 1:repeats
    tic;  f();  s(i) = toc;
  end
  t = min(s);
end
