% out = robust_mirror(png, K, samples, trials, ...)
% A Ti:sapphire dispersive mirror designed twice by coatdesign from its
% targets alone: nominally, and robustly for random thickness errors of
% 0.2 nm per layer, the chamber's usual precision. Titania and silica on
% fused silica at 10 degrees, s and p averaged, over 750 to 850 nm (K
% wavelengths, default 51):
%   GDD -40 +- 8 fs^2 and R >= 99.7 %,
% at most 40 layers, none thinner than 15 nm.
%
% The robust design takes the option robust of coatdesign,
% struct('sigma', 0.0002, 'samples', samples) (default 32 samples): its
% best designs are refined on their expected merit under that error model
% (the mean over fixed draws of the errors) and ranked by their simulated
% yield. Both designs are then judged alike by coattolerance, on draws of
% their own (trials samples, default 1000: the yield with its 95 %
% interval) and on a grid three times finer than the targets', with the
% yield curve (a fifth of the samples): the yield with every error scaled
% from a quarter to three times 0.2 nm.
%
% Prints, for each design, the layers, the seconds it took, the verdict of
% its own targets, the yield, the GDD's spread and the error at which the
% yield falls to 50 %. Writes png (default robust_mirror.png): the yield
% against sigma of both designs side by side with their GDD, each with its
% linearised +- 1 sigma band.
%
% Further arguments are options of coatdesign for both designs, after the
% example's own ('starts', 4, 'time', 600, ...).
%
% out has the fields nominal and robust (each: design, report (coattolerance's),
% time), targets and sigma (um).
function out = robust_mirror(png, K, samples, trials, varargin)
  if nargin < 1, png = 'robust_mirror.png'; end
  if nargin < 2, K = 51; end
  if nargin < 3, samples = 32; end
  if nargin < 4, trials = 1000; end
  sigma = 2e-4;
  targets = struct('quantity', {'GDD', 'R'}, 'lambda', linspace(0.75, 0.85, K), ...
                   'theta', 10 * pi / 180, 'pol', 'avg', 'value', {-40, 0.997}, ...
                   'tol', {8, 0}, 'type', {'=', '>='});
  materials = {'TiO2', 'SiO2', 'fused silica'};
  common = [{'maxLayers', 40, 'dmin', 0.015, 'time', 120}, varargin];
  fine = coat_dense_targets(targets, 3);
  factors = 2 .^ (-2:0.25:1.5);

  fprintf('Ti:sapphire mirror: GDD -40 +- 8 fs^2, R >= 99.7 %% over 750-850 nm, 10 deg; 0.2 nm errors\n');
  names = {'nominal', 'robust'};
  for i = 1:2
    options = common;
    if i == 2
      options = [options, {'robust', struct('sigma', sigma, 'samples', samples)}];
    end
    tic;
    design = coatdesign(targets, materials, options{:});
    time = toc;
    report = coattolerance(design, fine, sigma, 'samples', trials, 'curve', ceil(trials / 5), ...
                           'factors', factors, 'seed', 1000);
    verdict = 'not met';
    if design.record.met, verdict = 'met'; end
    spread = report.targets(1).linear;
    fprintf('  %-7s %2d layers, %5.1f s, targets %s; yield %4.1f %% (%4.1f to %4.1f %%); GDD spread %.2f fs^2 rms, %.2f at most; 50 %% yield at %s\n', ...
            names{i}, numel(design.d), time, verdict, 100 * report.yield, 100 * report.interval, ...
            sqrt(mean(spread(:) .^ 2)), max(spread(:)), sigma_text(report.sigma50));
    out.(names{i}) = struct('design', design, 'report', report, 'time', time);
  end
  out.targets = targets;
  out.sigma = sigma;
  figure_of(out, factors, png);
  fprintf('Plot written to %s\n', png);
end

function text = sigma_text(s)
  if isfinite(s)
    text = sprintf('%.2f nm', 1000 * s);
  else
    text = 'no sigma in range';
  end
end

% Left: the yield against sigma of both designs (the curve's samples), the
% design's sigma marked; right: their GDD with the linearised +- 1 sigma
% band and the target's band.
function figure_of(out, factors, png)
  h = coat_print_png();
  set(h, 'defaultaxesfontsize', 6, 'defaulttextfontsize', 6);
  colours = {[0.8 0.3 0.1], [0 0.35 0.75]};
  names = {'nominal', 'robust'};
  subplot(1, 2, 1);
  hold on;
  for i = 1:2
    c = out.(names{i}).report.curve;
    plot(1000 * out.sigma * c.factor, 100 * c.yield, '-o', 'color', colours{i}, 'linewidth', 1.5, ...
         'markersize', 4, 'markerfacecolor', colours{i});
  end
  plot(1000 * out.sigma * [1 1], [0 100], ':', 'color', [0.4 0.4 0.4]);
  hold off;
  grid on;  box on;
  xlim(1000 * out.sigma * factors([1 end]));  ylim([0 100]);
  xlabel('random thickness error per layer, sigma (nm)');  ylabel('yield (%)');
  title(sprintf('yield, %d samples a point', out.robust.report.curve.samples));
  legend(sprintf('nominal (%d layers)', numel(out.nominal.design.d)), ...
         sprintf('robust (%d layers)', numel(out.robust.design.d)), 'location', 'northeast');
  legend('boxoff');
  subplot(1, 2, 2);
  t = out.targets(1);
  nm = 1000 * out.nominal.report.targets(1).lambda;
  fill([nm, fliplr(nm)], [t.value - t.tol + 0 * nm, t.value + t.tol + 0 * nm], [1 0.88 0.75], ...
       'edgecolor', 'none');
  hold on;
  handles = [];
  for i = 1:2
    x = out.(names{i}).report.targets(1);
    q = x.nominal;  s = x.linear;
    plot(nm, q - s, '--', 'color', colours{i});
    plot(nm, q + s, '--', 'color', colours{i});
    handles(end + 1) = plot(nm, q, '-', 'color', colours{i}, 'linewidth', 1.5);
  end
  hold off;
  grid on;  box on;
  xlim(nm([1 end]));
  xlabel('wavelength (nm)');  ylabel('GDD (fs^2)');
  title('GDD, dashed: +- 1 sigma (linearised)');
  legend(handles, 'nominal', 'robust', 'location', 'south', 'orientation', 'horizontal');
  legend('boxoff');
  coat_print_png(h, png, 1000, 450);
end
