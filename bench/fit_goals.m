% Reverse engineering over seeded trials: the 50-layer chirped mirror of
% fit_measured_mirror made with rate errors (+2.5 %, -1.5 %), an index shift
% (+0.01 in titania) and random layer errors (0.5 nm), measured in R and GD
% (2 x 500 points, noise 0.1 % and 1 fs), fitted by coatfit, one trial per
% seed (the seed draws the layer errors and the noise).
%   octave-cli --eval "addpath('build/mex'); addpath('bench'); fit_goals"
%   fit_goals(20)                          20 seeded trials (default 20)
%   fit_goals(20, {'rates', 'index', 'layers'})   coatfit's parameters
%                                          (default {'rates', 'index'})
% Prints, per trial, the largest errors of the rates (%) and of the index
% shifts, the reduced chi2, how many planted rates and shifts lie within
% +-3 standard errors, and the seconds of the fit; then the summary: the
% share of trials with every rate within 0.1 % and every shift within
% 0.002, the range of the reduced chi2, the share of the planted values
% within +-3 standard errors, the median and largest time. Timings depend
% on the machine's load: note it (uptime).
function summary = fit_goals(trials, parameters)
  if nargin < 1 || isempty(trials), trials = 20; end
  if nargin < 2 || isempty(parameters), parameters = {'rates', 'index'}; end
  rate = zeros(trials, 1);  index = rate;  chi = rate;  inside = rate;  total = rate;  time = rate;
  for seed = 1:trials
    evalc('out = fit_measured_mirror('''', seed, parameters);');
    f = out.fit;
    planted = [out.rates; out.index];
    fitted = [f.parameters.rates; f.parameters.index];
    errors = [f.errors.rates; f.errors.index];
    rate(seed) = max(abs(f.parameters.rates - out.rates));
    index(seed) = max(abs(f.parameters.index - out.index));
    chi(seed) = f.reducedChi2;
    inside(seed) = sum(abs(fitted - planted) <= 3 * errors);
    total(seed) = numel(planted);
    time(seed) = f.time;
    fprintf('seed %3d: rates off by %.3f %%, index by %.4f; reduced chi2 %.3f; %d of %d within 3 sigma; %.2f s\n', ...
            seed, 100 * rate(seed), index(seed), chi(seed), inside(seed), total(seed), time(seed));
  end
  summary = struct('rates', mean(rate <= 1e-3), 'index', mean(index <= 2e-3), ...
                   'chi2', [min(chi), max(chi)], 'inside', sum(inside) / sum(total), ...
                   'time', [median(time), max(time)]);
  fprintf(['%d trials, parameters %s: rates within 0.1 %% in %.0f %%, shifts within 0.002 in %.0f %%; ' ...
           'reduced chi2 %.3f to %.3f; planted values within 3 sigma: %.1f %%; %.2f s median, %.2f s at most\n'], ...
          trials, strjoin(parameters, ', '), 100 * summary.rates, 100 * summary.index, summary.chi2, ...
          100 * summary.inside, summary.time);
end
