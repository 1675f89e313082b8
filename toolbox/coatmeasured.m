%COATMEASURED A measured spectrum from a CSV file, as coatfit takes it.
%   m = coatmeasured(file, quantity)
%   m = coatmeasured(file, quantity, options)
%   m = coatmeasured(file, quantity, 'name', value, ...)
%
%   Reads a spectrum written as text, one point a line: the wavelength, the
%   value and, optionally, the noise of the point (sigma), separated by
%   commas, semicolons, tabs or blanks. Lines that do not start with a
%   number (a header, comments) are skipped; a decimal comma is not taken
%   (write 0.5, not 0,5). Several files make a struct array:
%   [coatmeasured('R.csv', 'R'), coatmeasured('GD.csv', 'GD', 'offset', 'free')].
%
%   Inputs
%     file      the file name, a character array.
%     quantity  'R', 'T', 'A', 'GD', 'GDD', 'GDt' or 'GDDt' (as coatfit).
%     options   a struct or name-value pairs (names in any case):
%       unit      the wavelength unit of the file: 'um' (default) or 'nm';
%       percent   true: the values (and a sigma column) of R, T or A are in
%                 percent, and are divided by 100 (default false);
%       theta     the angle of incidence, RADIANS (default 0);
%       pol       's', 'p' or 'avg' (default 's');
%       sigma     the noise of every point in the unit of the quantity as
%                 returned (a fraction for R, T, A), where the file has no
%                 third column (default: the quantity's natural unit);
%       offset    'fixed' (default) or 'free' (GD measured up to a constant).
%
%   Output m, a struct with the fields coatfit reads: quantity, lambda
%   (1xn, um, in the file's order), theta, pol, value (1xn), sigma (1xn or
%   a scalar), offset, and file.
%
%   Errors (identifiers coatmeasured:<reason>): notEnoughInputs, noFile
%   (not readable), badFile (no two numeric columns, or columns of
%   different lengths), badQuantity, badOptions, unknownOption,
%   lambdaUnits (wavelengths outside 0.1 to 30 um in the unit given).
%
%   Example: a reflectance in percent against wavelengths in nm
%     file = [tempname() '.csv'];
%     fid = fopen(file, 'w');
%     fprintf(fid, 'wavelength (nm), R (%%)\n600, 98.5\n700, 99.7\n800, 99.9\n');
%     fclose(fid);
%     m = coatmeasured(file, 'R', 'unit', 'nm', 'percent', true, 'sigma', 1e-3);
%     lambda = m.lambda;  R = m.value;    % [0.6 0.7 0.8] um; [0.985 0.997 0.999]
%     delete(file);
%
%   See also coatfit.
function m = coatmeasured(file, quantity, varargin)
  who = 'coatmeasured';
  if nargin < 2
    fault(who, 'notEnoughInputs', 'needs a file name and the quantity measured.');
  end
  opt = parse_options(who, struct('unit', 'um', 'percent', false, 'theta', 0, 'pol', 's', ...
                                  'sigma', [], 'offset', 'fixed'), varargin);
  quantities = {'R', 'T', 'A', 'GD', 'GDD', 'GDt', 'GDDt'};
  if ~ischar(quantity) || ~any(strcmpi(quantity, quantities))
    fault(who, 'badQuantity', 'quantity must be one of %s (in any case).', strjoin(quantities, ', '));
  end
  quantity = quantities{strcmpi(quantity, quantities)};
  if ~ischar(opt.unit) || ~any(strcmpi(opt.unit, {'um', 'nm'}))
    fault(who, 'badOptions', 'unit must be ''um'' or ''nm''.');
  end
  if ~(islogical(opt.percent) || isnumeric(opt.percent)) || ~isscalar(opt.percent)
    fault(who, 'badOptions', 'percent must be true or false.');
  end
  if ~ischar(file) || size(file, 1) ~= 1
    fault(who, 'noFile', 'file must be a file name, a character array.');
  elseif exist(file, 'file') ~= 2
    fault(who, 'noFile', 'cannot read the file ''%s''.', file);
  end
  text = fileread(file);
  lines = regexp(text, '[^\r\n]+', 'match');
  rows = {};
  for i = 1:numel(lines)
    line = strtrim(lines{i});
    if isempty(line) || isempty(regexp(line, '^[-+]?(\d|\.\d)', 'once'))
      continue;
    end
    x = sscanf(strrep(strrep(strrep(line, ',', ' '), ';', ' '), sprintf('\t'), ' '), '%f').';
    rows{end + 1} = x;
  end
  widths = cellfun(@numel, rows);
  if isempty(rows) || any(widths < 2) || any(widths ~= widths(1))
    fault(who, 'badFile', ['%s must hold lines of a wavelength and a value (and optionally a sigma), ' ...
                           'the same number of numbers on every line.'], file);
  end
  data = vertcat(rows{:});
  lambda = data(:, 1).';
  if strcmpi(opt.unit, 'nm'), lambda = lambda / 1000; end
  check_wavelengths(who, sprintf('the wavelengths of %s', file), lambda);
  value = data(:, 2).';
  sigma = opt.sigma;
  if size(data, 2) >= 3, sigma = data(:, 3).'; end
  if opt.percent && any(strcmp(quantity, {'R', 'T', 'A'}))
    value = value / 100;
    if size(data, 2) >= 3, sigma = sigma / 100; end
  end
  m = struct('quantity', quantity, 'lambda', lambda, 'theta', opt.theta, 'pol', opt.pol, ...
             'value', value, 'sigma', sigma, 'offset', opt.offset, 'file', file);
end


%!test  # a spectrometer's file: header, nm, percent, a sigma column, tabs and semicolons; and a bare file in um
%! file = [tempname() '.csv'];
%! fid = fopen(file, 'w');
%! fprintf(fid, '# sample 7\r\nlambda;R;sigma\r\n600\t98.5;0.2\r\n700; 99.75 ;0.1\r\n\r\n800;9.99e1;0.1\r\n');
%! fclose(fid);
%! m = coatmeasured(file, 'r', 'unit', 'nm', 'percent', true, 'theta', 0.1, 'pol', 'p');
%! assert(m.quantity, 'R');  assert(m.lambda, [0.6 0.7 0.8], 1e-15);
%! assert(m.value, [0.985 0.9975 0.999], 1e-15);  assert(m.sigma, [0.002 0.001 0.001], 1e-15);
%! assert({m.theta, m.pol, m.offset}, {0.1, 'p', 'fixed'});
%! fid = fopen(file, 'w');  fprintf(fid, '0.70, 12.5\n0.75, 14\n');  fclose(fid);
%! m = coatmeasured(file, 'GD', 'offset', 'free', 'sigma', 2, 'percent', true);
%! assert([m.lambda; m.value], [0.7 0.75; 12.5 14]);  assert(m.sigma, 2);  assert(m.offset, 'free');
%! fid = fopen(file, 'w');  fprintf(fid, '700, 12.5\n');  fclose(fid);
%! try, coatmeasured(file, 'GD');  id = ''; catch err, id = err.identifier; end
%! assert(id, 'coatmeasured:lambdaUnits');
%! fid = fopen(file, 'w');  fprintf(fid, '0.7, 12.5, 1\n0.8, 3\n');  fclose(fid);
%! try, coatmeasured(file, 'GD');  id = ''; catch err, id = err.identifier; end
%! assert(id, 'coatmeasured:badFile');
%! delete(file);
%!error id=coatmeasured:noFile coatmeasured('/nonexistent/spectrum.csv', 'R')
%!error id=coatmeasured:badQuantity coatmeasured('x.csv', 'TOD')
