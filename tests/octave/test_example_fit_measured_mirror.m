% examples/fit_measured_mirror.m: the planted errors of the made mirror
% found within their standard errors from R and GD alone, a reduced chi2
% that says noise and model hold, and the figure.

%!test  # 120 points a measurement (the example's default is 500)
%! png = fullfile(pwd, 'example_fit_measured_mirror.png');
%! if exist(png, 'file'), delete(png); end
%! out = fit_measured_mirror(png, 2, [], 120);
%! f = out.fit;
%! assert(abs(f.parameters.rates - out.rates) < 3 * f.errors.rates);
%! assert(abs(f.parameters.index - out.index) < 3 * f.errors.index);
%! assert(abs(f.reducedChi2 - 1) < 0.2);
%! assert(max(abs(f.nuisance.layers - out.layerErrors)) < 2e-3);
%! assert(numel(f.residuals), 240);
%! assert(png_written(png));
