% examples/dispersive_mirror.m on a short grid: what it claims about the
% chirped mirror, and the figure.

%!shared out, png
%! png = fullfile(pwd, 'example_dispersive_mirror.png');
%! if exist(png, 'file'), delete(png); end
%! out = dispersive_mirror(png, 121);

%!test  # one PNG with the figure
%! assert(png_written(png));

%!test  # longer wavelengths are reflected deeper: GD rises, mean GDD < 0
%! inband = out.lambda_nm >= out.band_nm(1) & out.lambda_nm <= out.band_nm(2);
%! assert(out.mean_gdd < 0);
%! assert(out.mean_gdd, mean(out.GDD(1, inband)), 1e-12);
%! gd = out.GD(1, inband);
%! assert(gd(end) - gd(1) > 10);               % fs, 900 nm against 700 nm
%! assert(min(out.R(1, inband)) > 0.999);

%!test  # rows: 0 deg TE and TM agree; at 45 deg each pair reflects bluer, so deeper
%! assert(size(out.R), [4 121]);
%! assert(out.cases, {'0 deg TE', '0 deg TM', '45 deg TE', '45 deg TM'});
%! assert(out.GD(2, :), out.GD(1, :), 1e-9 * max(abs(out.GD(1, :))));
%! assert(out.R(2, :), out.R(1, :), 1e-12);
%! near = out.lambda_nm >= 700 & out.lambda_nm <= 800;
%! assert(all(mean(out.GD(3:4, near), 2) > mean(out.GD(1, near))));

%!test  # 40 layers, titania next to the ambient thinner in the matching taper
%! assert(size(out.d), [40 1]);
%! assert(all(out.d > 0));
%! assert(out.d(1) < out.d(7));
