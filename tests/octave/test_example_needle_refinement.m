% examples/needle_refinement.m on a short grid: the needle function it scans
% predicts what a thin inserted layer does to the merit, every insertion it
% keeps lowers the merit, and the figure is written.

%!shared out, png
%! png = fullfile(pwd, 'example_needle_refinement.png');
%! if exist(png, 'file'), delete(png); end
%! out = needle_refinement(png, 21, 2);

%!test  # dm/dt at its most negative depth against layers of 1e-4 and 2e-4 nm inserted there
%! args = out.merit_args;  args{8} = 0;       % gdd_merit without its thickness term
%! optical = @(d) gdd_merit(log(d), out.k, args{:});
%! [slope, p] = min(out.needle);
%! b = [0; out.boundaries];  j = find(b(1:end-1) <= out.z(p), 1, 'last');  t = 1e-7;
%! d = out.d0;  with = @(t) [d(1:j-1); out.z(p) - b(j); t; b(j+1) - out.z(p); d(j+1:end)];
%! assert(slope < 0);
%! % GDD moves by thousands of fs^2 per um, so the merit curves fast: tiny steps, and
%! % the one-sided difference of second order
%! assert((-3 * optical(d) + 4 * optical(with(t)) - optical(with(2 * t))) / (2 * t), ...
%!        slope, 1e-3 * abs(slope));

%!test  # kept insertions lower the merit; the result is reported
%! assert(all(diff(out.merits) < 0));
%! assert(numel(out.chosen), numel(out.merits) - 1);
%! % an insertion adds one layer (between two) or two (splitting one); layers
%! % left at the thinnest allowed may go again
%! assert(isempty(out.chosen) || numel(out.d) > numel(out.d0));
%! assert(numel(out.m) == numel(out.d) && all(diff(out.m) != 0));
%! assert(all(isfinite(out.needle)) && numel(out.needle) == numel(out.z));
%! printf('needle_refinement (K = 21): merit %.4g -> %.4g after %d insertion(s); alone %.4g\n', ...
%!        out.merits(1), out.merits(end), numel(out.chosen), out.merit_alone(end));
%! assert(png_written(png));
