%COAT_DENSE_TARGETS The targets on grids refined by a factor: where a coating is checked between its points.
%   fine = coat_dense_targets(targets, f)
%
%   Each target's wavelengths, sorted, gain f - 1 evenly spaced points in
%   every interval (f = 1 leaves them as they are); a value given per
%   wavelength is interpolated linearly onto the new points, and any
%   indices the target carried (N, from coattargets) are dropped, to be
%   taken again for the new wavelengths. A resonance of a dispersive mirror
%   is narrower than the grid it was designed on: coatoptimize checks its
%   result, and coatplot draws it, on such a grid.
%
%   See also coattargets, coatoptimize, coatplot.
function fine = coat_dense_targets(targets, f)
  fine = targets;
  for t = 1:numel(targets)
    l = sort(targets(t).lambda(:).');
    if f > 1 && numel(l) > 1
      x = repmat(l(1:end - 1), f, 1) + (0:f - 1)' / f * diff(l);
      fine(t).lambda = [x(:).', l(end)];
      v = targets(t).value;
      if numel(v) > 1
        fine(t).value = interp1(targets(t).lambda, v, fine(t).lambda, 'linear', 'extrap');
      end
    end
    if isfield(fine, 'N'), fine(t).N = []; end
  end
end

%!test  # unsorted grid, per-wavelength value and a scalar one, indices dropped
%! t = struct('quantity', {'GDD', 'R'}, 'lambda', {[0.9 0.7 0.8], 0.8}, 'value', {[30 10 20], 1}, 'N', {1, 2});
%! f = coat_dense_targets(t, 4);
%! assert(f(1).lambda, 0.7:0.025:0.9, 1e-15);
%! assert(f(1).value, 10:2.5:30, 1e-12);
%! assert({f(2).lambda, f(2).value, f(1).N, f(2).N}, {0.8, 1, [], []});
%! assert(coat_dense_targets(t(1), 1).lambda, [0.9 0.7 0.8]);
