% examples/field_and_needles.m on a short grid: the mirror's field is that
% of its reflection at the surface, peaks in the outer tantala and dies in
% the silver; the needle chosen lowers the merit as ng * t to first order,
% sits where it was found, and re-optimised it takes over its host layer.

%!shared out, png
%! png = fullfile(pwd, 'example_field_and_needles.png');
%! if exist(png, 'file'), delete(png); end
%! out = field_and_needles(png, 21);

%!test  # the field: |1 + r|^2 at the surface (TE), peaks in the outer Ta2O5, opaque silver
%! assert(png_written(png));
%! assert(size(out.E2), [2000 1]);
%! assert(all(isfinite(out.E2) & out.E2 > 0));
%! k0 = 2 * pi / 0.8;
%! r = coatresponse(k0, out.d, out.m, 1, coating_indices(k0, out.materials), [], [], 0, 'TE', 'r').r;
%! assert(out.surface_E2, abs(1 + r) ^ 2, 1e-12);
%! [top, i] = max(out.E2);
%! assert(out.m(out.layer(i)), 3);                  % Ta2O5, in the outer pairs
%! assert(out.layer(i) <= 8 && top == out.peak_E2(3));
%! assert(out.peak_E2(1) < 0.5 * out.peak_E2(3));   % TiO2 sees half the peak or less
%! assert(out.E2(end) < 1e-6);                      % through 200 nm of silver
%! printf('field_and_needles (K = 21): |E|^2 surface %.2f, peak Ta2O5 %.2f (layer %d), TiO2 %.2f\n', ...
%!        out.surface_E2, out.peak_E2(3), out.peak_layer(3), out.peak_E2(1));

%!test  # the needle: where it was found, of another material; dm = ng t + O(t^2); re-optimised it wins
%! assert(out.ng_min < 0 && out.ng_min == min(out.ng(:)));
%! i = find(out.m_needle == out.mu & abs(out.d_needle - 0.002) < 1e-15);
%! assert(isscalar(i));
%! b = [0; cumsum(out.d_needle)];
%! assert(b(i), out.depth, 1e-14);
%! assert(sum(out.d_needle), sum(out.d0) + 0.002, 1e-14);
%! assert(out.m_needle(i - 1) == out.m_needle(i + 1) && out.m_needle(i - 1) != out.mu);
%! % t = 0.01 and 0.03 nm: the ratio to ng t departs from 1 in proportion to t,
%! % so its extrapolation to t = 0 is 1 if ng is the merit's derivative
%! ratio = out.dmerit(1:2) ./ out.predicted(1:2);
%! assert(abs(ratio(1) - 1) < 0.02);
%! assert(abs((3 * ratio(1) - ratio(2)) / 2 - 1) < 1e-3);
%! assert(out.merit_after < 0.6 * out.merit0);
%! assert(out.d_after(i) > 0.05 && out.d_after(i - 1) + out.d_after(i + 1) < 0.01);
%! printf('  needle %s at %.1f nm, ng %.4g: merit %.4g -> %.4g; dm / (ng t) at 0.01 nm %.4f\n', ...
%!        out.materials{out.mu}, 1000 * out.depth, out.ng_min, out.merit0, out.merit_after, ratio(1));
