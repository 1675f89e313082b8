% The demo of ./build.sh demo, on a short grid: a high reflector at 800 nm
% with its stop band, and the figure.

%!test
%! png = fullfile(pwd, 'example_quarter_wave_mirror.png');
%! if exist(png, 'file'), delete(png); end
%! [lambda_nm, R] = quarter_wave_mirror(png, 201);
%! assert(png_written(png));
%! assert(size(R), [1 201]);
%! band = lambda_nm >= 720 & lambda_nm <= 880;
%! assert(min(R(band)) > 0.999);
%! assert(lambda_nm([1 end]), [600 1000]);
%! assert(max(R([1 end])) < 0.5);              % outside the stop band
