%COATREPORT Hand a design over: its layer table, a one-page summary of its targets and what it reaches, and its figure.
%   files = coatreport(design, targets, folder)
%   files = coatreport(design, targets, folder, report)
%
%   Inputs
%     design   a struct as coatdesign and coatoptimize return it (see help
%              coattargets).
%     targets  the targets it was designed to, as coattargets takes them.
%     folder   where the files go (made if missing).
%     report   [] or coattolerance's report for these targets: the summary
%              gives its yield and spreads, the figure its envelope.
%
%   Writes three files into folder:
%     design.csv   the layer table (coatwrite), the quarter waves counted
%                  at the centre of the first target's band;
%     summary.txt  one page: the design (layers, total thickness,
%                  materials), then each target as asked and what the
%                  design reaches on a grid ten times finer than the
%                  target's (the range of the quantity, or the band's mean,
%                  the worst excess beyond the tolerance and where, met or
%                  not), the merit on the targets' own grids, and the
%                  tolerancing where a report is given (its errors, the
%                  yield, each target's yield and largest spread);
%     design.png   coatplot's figure.
%
%   Output: files, a struct with the paths table, summary and figure, and
%   text, the summary as written.
%
%   Errors (identifiers coatreport:<reason>): notEnoughInputs, badFolder
%   (not a name, or not writable), badReport (not a report of these
%   targets), and those of coattargets for the design and the targets.
%
%   Example: a quarter-wave mirror handed over
%     design = struct('d', repmat([0.0845; 0.1376], 8, 1), 'm', repmat([1; 2], 8, 1), ...
%                     'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%     t = struct('quantity', 'R', 'lambda', linspace(0.75, 0.85, 21), 'value', 0.99, 'type', '>=');
%     files = coatreport(design, t, fullfile(tempdir(), 'mirror_report'));
%     page = files.text;
%
%   See also coatwrite, coatread, coatplot, coattolerance, coattargets.
function files = coatreport(design, targets, folder, report)
  who = 'coatreport';
  if nargin < 3
    fault(who, 'notEnoughInputs', 'needs a design, its targets and a folder (and a tolerance report).');
  end
  if nargin < 4, report = []; end
  if ~ischar(folder) || isempty(folder) || size(folder, 1) ~= 1
    fault(who, 'badFolder', 'input 3 (folder) must be a folder name; a %s was given.', class(folder));
  end
  design = check_design(design, who);
  ev = check_targets(targets, design, who);
  if ~isempty(report) && ~(isstruct(report) && isfield(report, 'targets') ...
                           && numel(report.targets) == numel(ev) && isfield(report, 'yield'))
    fault(who, 'badReport', 'input 4 (report) must be [] or coattolerance''s report for these %d targets.', numel(ev));
  end
  if ~exist(folder, 'dir') && ~mkdir(folder)
    fault(who, 'badFolder', 'cannot make the folder %s.', folder);
  end
  files = struct('table', fullfile(folder, 'design.csv'), 'summary', fullfile(folder, 'summary.txt'), ...
                 'figure', fullfile(folder, 'design.png'), 'text', '');
  centre = (min(ev(1).lambda) + max(ev(1).lambda)) / 2;
  coatwrite(design, files.table, centre);
  [own, merit] = evaluate_targets(design, ev, 'values');
  dense = evaluate_targets(design, check_targets(coat_dense_targets(ev, 10), design, who), 'values');
  text = summary(design, own, dense, merit, report, centre);
  fid = fopen(files.summary, 'w');
  if fid < 0
    fault(who, 'badFolder', 'cannot write %s.', files.summary);
  end
  fprintf(fid, '%s', text);
  fclose(fid);
  coatplot(design, ev, report, files.figure);
  files.text = text;
end

% The page: the design, each target and what the design reaches, the
% tolerancing.
function text = summary(design, own, dense, merit, report, centre)
  mats = design.materials;
  M = numel(mats) - 1;
  names = cellfun(@material_name, mats, 'UniformOutput', false);
  used = unique(design.m).';
  list = arrayfun(@(i) sprintf('%d %s', i, names{i}), used, 'UniformOutput', false);
  out = {};
  out{end + 1} = sprintf('Coating: %d layers, %.1f nm in total, on %s (ambient index %g).', ...
                         numel(design.d), 1000 * sum(design.d), names{M + 1}, design.ambient);
  out{end + 1} = sprintf('Materials: %s.', strjoin(list, ', '));
  out{end + 1} = sprintf('Layer table in design.csv (thickness, quarter waves at %.4g nm, depth); figure in design.png.', ...
                         1000 * centre);
  out{end + 1} = '';
  out{end + 1} = 'Targets, and what the design reaches on grids ten times finer than theirs';
  out{end + 1} = '(excess: beyond the tolerance, in the quantity''s unit; 0 where met):';
  out{end + 1} = sprintf('%3s  %-28s %-19s %-13s %-4s %-22s %-10s %-17s %s', '#', 'target', 'band (nm)', ...
                         'angles', 'pol', 'reached', 'excess', 'where', 'met');
  for t = 1:numel(dense)
    e = dense(t);
    out{end + 1} = sprintf('%3d  %-28s %-19s %-13s %-4s %-22s %-10.3g %-17s %s', t, asked(e), ...
                           band(own(t)), angles(e), e.pol, reached(e), e.worst, where(e), yes(e.met));
  end
  out{end + 1} = '';
  met = sum([dense.met]);
  out{end + 1} = sprintf('%d of %d targets met on the fine grids; merit %.4g on the targets'' own grids.', ...
                         met, numel(dense), merit);
  if ~isempty(report)
    out{end + 1} = '';
    s = report.sigma;
    spread = sprintf('%.3g nm', 1000 * s(1));
    if max(s) > min(s)
      spread = sprintf('%.3g to %.3g nm', 1000 * min(s), 1000 * max(s));
    end
    if report.samples > 0
      out{end + 1} = sprintf('Tolerancing (coattolerance): thickness errors of %s rms, %d samples: yield %.1f %%.', ...
                             spread, report.samples, 100 * report.yield);
    else
      out{end + 1} = sprintf('Tolerancing (coattolerance): thickness errors of %s rms, linearised (no samples, no yield).', ...
                             spread);
    end
    out{end + 1} = sprintf('%3s  %-10s %s', '#', 'yield', 'largest spread (standard deviation; linearised where no samples)');
    for t = 1:numel(report.targets)
      x = report.targets(t);
      if isfield(x, 'std') && ~isempty(x.std)
        wide = max(x.std(:));
      else
        wide = max(x.linear(:));
      end
      y = '-';
      if isfield(x, 'yield') && ~isempty(x.yield), y = sprintf('%.1f %%', 100 * x.yield); end
      out{end + 1} = sprintf('%3d  %-10s %.3g%s', t, y, wide, unit(x.quantity));
    end
  end
  text = sprintf('%s\n', out{:});
end

function s = asked(e)
  what = e.quantity;
  if strcmp(e.kind, 'mean'), what = ['mean ' what]; end
  v = e.value;
  if all(v == v(1))
    value = sprintf('%g', v(1));
  else
    value = sprintf('%g..%g', v(1), v(end));
  end
  s = sprintf('%s %s %s', what, e.type, value);
  if e.tol > 0, s = sprintf('%s +- %g', s, e.tol); end
  s = [s unit(e.quantity)];
end

function s = band(e)
  l = 1000 * e.lambda;
  if numel(l) == 1
    s = sprintf('%.5g (1)', l);
  else
    s = sprintf('%.4g-%.4g (%d)', min(l), max(l), numel(l));
  end
end

function s = angles(e)
  a = unique(round(e.theta * 180 / pi * 100) / 100);
  s = strjoin(arrayfun(@(x) sprintf('%g', x), a, 'UniformOutput', false), ',');
  s = [s ' deg'];
end

function s = reached(e)
  if strcmp(e.kind, 'mean')
    s = sprintf('mean %.5g', min(e.band_mean));
  else
    s = sprintf('%.5g', min(e.q(:)));
    if max(e.q(:)) > min(e.q(:)), s = sprintf('%s..%.5g', s, max(e.q(:))); end
  end
end

function s = where(e)
  if e.met
    s = '-';
  elseif isnan(e.worst_lambda)
    s = sprintf('mean, %g deg', e.worst_theta * 180 / pi);
  else
    s = sprintf('%.5g nm, %g deg', 1000 * e.worst_lambda, e.worst_theta * 180 / pi);
  end
end

function s = unit(quantity)
  units = struct('R', '', 'T', '', 'A', '', 'GD', ' fs', 'GDD', ' fs^2', 'TOD', ' fs^3', ...
                 'GDt', ' fs', 'GDDt', ' fs^2', 'TODt', ' fs^3');
  s = units.(quantity);
end

function s = yes(x)
  if x, s = 'yes'; else s = 'no'; end
end

%!test  # the three files; each target's verdict is coattargets' on the grid ten times finer; the yield is the report's
%! % a Fabry-Perot cavity's dip at 800 nm, 0.8 nm wide, between R's points:
%! % met on the target's grid, not between
%! mats = {'TiO2', 'SiO2', 'fused silica'};
%! qw = 0.8 ./ (4 * coating_indices(2 * pi / 0.8, mats)(1:2));
%! design = struct('d', [repmat(qw, 5, 1); qw(1); 20 * qw(2); repmat(qw, 5, 1); qw(1)], ...
%!                 'm', [repmat([1; 2], 5, 1); 1; 2; repmat([1; 2], 5, 1); 1], 'materials', {mats});
%! t = struct('quantity', {'R', 'GDD', 'R'}, 'lambda', {0.7925:0.005:0.8075, [0.79 0.81], 0.62}, ...
%!            'value', {0.99, 0, 0.9}, 'tol', {0, 1, 0}, 'type', {'>=', '=', '<='}, 'kind', 'point');
%! assert(coattargets(design, t(1)).met);
%! report = coattolerance(design, t, 0.001, 'samples', 20);
%! folder = tempname();
%! unwind_protect
%!   files = coatreport(design, t, folder, report);
%!   assert(isequal(coatread(files.table), setfield(design, 'ambient', 1)));
%!   fid = fopen(files.figure);  head = fread(fid, 4)';  fclose(fid);
%!   assert(head, [137 80 78 71]);                    % a PNG
%!   text = fileread(files.summary);
%!   assert(text, files.text);
%!   fine = coattargets(design, coat_dense_targets(t, 10));
%!   rows = regexp(text, '^ *(\d) .* (yes|no)$', 'tokens', 'lineanchors', 'dotexceptnewline');
%!   assert(cellfun(@(r) str2double(r{1}), rows), 1:3);
%!   assert(cellfun(@(r) strcmp(r{2}, 'yes'), rows), [fine.met]);
%!   assert([fine.met], [false false true]);
%!   assert(!isempty(strfind(text, sprintf('yield %.1f %%', 100 * report.yield))));
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir(false, 'local');
%!   if exist(folder, 'dir'), rmdir(folder, 's'); end
%! end_unwind_protect
%!error id=coatreport:badReport coatreport(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), struct('quantity', 'R', 'lambda', 0.8, 'value', 0.5), tempname(), struct('x', 1))
