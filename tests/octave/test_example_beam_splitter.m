% examples/beam_splitter.m on a short grid: a lossless splitter, 50:50 in s
% over its band and more open in p, its delays and the plate's GDD it is
% compared with.

%!shared out, png
%! png = fullfile(pwd, 'example_beam_splitter.png');
%! if exist(png, 'file'), delete(png); end
%! out = beam_splitter(png, 61);

%!test  # lossless: R + T = 1 in s and p; s split 50:50 in the band, p passes more
%! assert(png_written(png));
%! assert(size(out.T), [2 61]);  assert(out.pols, {'s', 'p'});
%! assert(out.R + out.T, ones(2, 61), 1e-12);
%! assert(abs(out.A) < 1e-12);
%! inband = out.lambda_nm >= out.band_nm(1) & out.lambda_nm <= out.band_nm(2);
%! assert(abs(out.T(1, inband) - 0.5) < 0.01);
%! assert(all(out.T(2, :) > out.T(1, :) + 0.2));
%! % the uncoated surface against Fresnel's formulas at 45 degrees
%! n = coating_indices(out.k, 'N-BK7');
%! ca = cos(out.theta);  q = sqrt(n .^ 2 - sin(out.theta) ^ 2);
%! Ts = 1 - abs((ca - q) ./ (ca + q)) .^ 2;
%! Tp = 1 - abs((n .^ 2 * ca - q) ./ (n .^ 2 * ca + q)) .^ 2;
%! assert(out.T_bare, [Ts; Tp], 1e-12);

%!test  # delays: GDt a few fs; GDDt small beside the plate's GDD, itself the second difference of k q D
%! assert(all(out.GDt(:) > 2 & out.GDt(:) < 4));
%! assert(all(abs(out.GDDt(:)) < 1));
%! % k h = 1e-3 rad/um: truncation h^2/12 of the fourth derivative and
%! % rounding eps*phase/h^2 both below 1e-6 of the GDD
%! c = 0.299792458;  h = 1e-3;  D = 1000;             % um
%! phase = @(k) k .* sqrt(coating_indices(k, 'N-BK7') .^ 2 - sin(out.theta) ^ 2) * D;
%! ref = (phase(out.k + h) - 2 * phase(out.k) + phase(out.k - h)) / (h ^ 2 * c ^ 2);
%! assert(out.plate_gdd, ref, 1e-5 * max(ref));
%! assert(min(out.plate_gdd) > 20 * max(abs(out.GDDt(:))));
