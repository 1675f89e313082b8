% examples/pulse_compressor.m: the crystal's dispersion against published
% values, the compression it claims, and the figure.

%!shared out, png
%! png = fullfile(pwd, 'example_pulse_compressor.png');
%! if exist(png, 'file'), delete(png); end
%! out = pulse_compressor(png);

%!test  # sapphire at 800 nm: 58 fs^2 and 42 fs^3 per mm, as the laser literature quotes
%! assert([out.gdd, out.tod] / out.crystal, [58.0 42.1], 0.3);

%!test  # two bounces on each negative-GDD mirror bring the chirped pulse near its limit; the figure
%! p = out.p;
%! assert(all(mean(out.mirror_gdd, 2) < 0));
%! assert(out.best, 2);
%! assert(p.fwhmIn > 2 * 15 && p.fwhm < 1.2 * p.fwhmTL && p.peak > 0.85);
%! assert(p.fwhmTL, 15, 0.05);                 % R near 1 keeps the spectrum
%! assert(out.fwhm(1), p.fwhmIn, 1e-9);        % no bounce: the pulse that meets the mirrors
%! assert(png_written(png));
