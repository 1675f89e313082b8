%COATWRITE Write a design as the layer table a coater works from (CSV), exactly enough to read it back.
%   coatwrite(design, file)
%   coatwrite(design, file, reference)
%
%   Inputs
%     design     a struct as coatdesign and coatoptimize return it: d (Lx1
%                thicknesses in um, layer 1 next to the ambient), m, materials
%                (the layer materials, then the substrate: catalogue names
%                or coefficient structs), ambient (default 1).
%     file       the CSV file to write.
%     reference  the wavelength (um) at which the optical thicknesses are
%                counted in quarter waves; by default the centre of the band
%                of the first target the design was made for (its record,
%                from coatdesign or coatoptimize). A design without a record
%                needs it.
%
%   The file: header lines beginning with '#' (the number of layers, the
%   total thickness in nm, the ambient index, every material by number and
%   the substrate, the reference wavelength), then one row per layer, layer
%   1 (next to the ambient) first, under a row of column names:
%     layer                 its number;
%     material              its name (a struct: '<model> model');
%     thickness (nm)        to 0.01 nm;
%     quarter waves         its optical thickness 4 n d / reference, n the
%                           real index at the reference wavelength (normal
%                           incidence);
%     depth (nm)            from the ambient to its far side;
%     material number       its entry of the design's m;
%     thickness (um; exact) the double itself, 17 significant digits.
%   Spreadsheets read it as it is. The exact column, the ambient, the
%   reference and every coefficient of a material struct are written with
%   the fewest significant digits (15 to 17) that name each double exactly
%   (17 always do), so that coatread gives the design back bit for bit (d,
%   m, materials and ambient; not its record).
%
%   Errors (identifiers coatwrite:<reason>): notEnoughInputs, badFile (not
%   a name, or not writable), noReference (no reference wavelength and no
%   record to take it from), badReference, lambdaUnits (a reference outside
%   0.1 to 30 um: given in nm), badMaterial (a struct field coatread could
%   not give back), and those of coattargets for the design (badDesign,
%   noSubstrate, thicknessUnits, ...).
%
%   Example: a quarter-wave mirror's layer table, read back
%     design = struct('d', repmat([0.0845; 0.1376], 5, 1), 'm', repmat([1; 2], 5, 1), ...
%                     'materials', {{'TiO2 film', 'SiO2 film', 'fused silica'}});
%     file = fullfile(tempdir(), 'mirror_layers.csv');
%     coatwrite(design, file, 0.8);
%     back = coatread(file);      % the same d, m, materials and ambient
%
%   See also coatread, coatreport, coatdesign, coating_indices.
function coatwrite(design, file, reference)
  who = 'coatwrite';
  if nargin < 2
    fault(who, 'notEnoughInputs', 'needs a design and a file name (and a reference wavelength).');
  end
  if ~ischar(file) || isempty(file) || size(file, 1) ~= 1
    fault(who, 'badFile', 'input 2 (file) must be a file name; a %s was given.', class(file));
  end
  record = [];
  if isstruct(design) && isfield(design, 'record')
    record = design.record;
  end
  design = check_design(design, who);
  if nargin < 3 || isempty(reference)
    reference = band_centre(record);
    if isempty(reference)
      fault(who, 'noReference', ...
            'the design carries no targets to take the reference wavelength from: give it (um) as input 3.');
    end
  end
  if ~isnumeric(reference) || ~isreal(reference) || ~isscalar(reference) || ~(reference > 0) || ~isfinite(reference)
    fault(who, 'badReference', 'input 3 (reference) must be a wavelength > 0 in um.');
  end
  check_wavelengths(who, 'reference', reference);
  mats = design.materials;
  M = numel(mats) - 1;
  entries = cell(1, M + 1);
  for i = 1:M + 1
    entries{i} = material_text(mats{i}, i, who);
  end

  d = design.d;  m = design.m;  L = numel(d);
  n = zeros(M, 1);
  used = unique(m);
  if ~isempty(used)
    n(used) = real(coating_indices(2 * pi / reference, mats(used)));
  end
  qw = 4 * n(m) .* d / reference;
  depth = cumsum(d);
  fid = fopen(file, 'w');
  if fid < 0
    fault(who, 'badFile', 'cannot write %s.', file);
  end
  closer = onCleanup(@() fclose(fid));
  fprintf(fid, '# coatings layer table (coatwrite): %d layers, %.2f nm in total\n', L, 1000 * sum(d));
  fprintf(fid, '# ambient: %s\n', exact(design.ambient));
  for i = 1:M
    fprintf(fid, '# material %d: %s\n', i, entries{i});
  end
  fprintf(fid, '# substrate (material %d): %s\n', M + 1, entries{M + 1});
  fprintf(fid, '# reference wavelength (um): %s\n', exact(reference));
  fprintf(fid, '# total thickness (nm): %.2f\n', 1000 * sum(d));
  fprintf(fid, 'layer,material,thickness (nm),quarter waves at %.4g nm,depth (nm),material number,thickness (um; exact)\n', ...
          1000 * reference);
  for j = 1:L
    fprintf(fid, '%d,%s,%.2f,%.4f,%.2f,%d,%s\n', j, material_name(mats{m(j)}), ...
            1000 * d(j), qw(j), 1000 * depth(j), m(j), exact(d(j)));
  end
end

% The centre of the band of the first target in a design's record
% (coatoptimize's record.targets, coatdesign's record.optimize.targets), as
% coatreport takes it; [] without one.
function c = band_centre(record)
  c = [];
  if isstruct(record) && isfield(record, 'optimize')
    record = record.optimize;
  end
  if isstruct(record) && isfield(record, 'targets') && isstruct(record.targets) ...
     && isfield(record.targets, 'lambda')
    l = record.targets(1).lambda;
    if ~isempty(l)
      c = (min(l) + max(l)) / 2;
    end
  end
end

% A material as the header gives it: a name as it is; a struct as
% {name = value; ...}, text quoted, numbers as [rows x columns] and their
% values column by column, 17 significant digits (complex: re+imi).
function s = material_text(x, i, who)
  if ischar(x)
    if any(x == sprintf('\n')) || any(x == sprintf('\r')) || any(x == ',') || isempty(x) || x(1) == '{'
      fault(who, 'badMaterial', 'material %d: a name must be one line of text without commas, not beginning with {.', i);
    end
    s = x;
    return;
  end
  if ~isstruct(x) || numel(x) ~= 1
    fault(who, 'badMaterial', 'material %d must be a catalogue name or a struct of coefficients.', i);
  end
  names = fieldnames(x);
  parts = cell(1, numel(names));
  for f = 1:numel(names)
    v = x.(names{f});
    if ischar(v) && size(v, 1) <= 1 && ~any(v == ';') && ~any(v == '''') && ~any(v == '}')
      parts{f} = sprintf('%s = ''%s''', names{f}, v);
    elseif isa(v, 'double') && ndims(v) == 2
      values = cell(1, numel(v));
      for j = 1:numel(v)
        if isreal(v)
          values{j} = [' ' exact(v(j))];
        else
          values{j} = sprintf(' %s%si', exact(real(v(j))), exact(imag(v(j)), '+'));
        end
      end
      parts{f} = sprintf('%s = [%dx%d]%s', names{f}, size(v, 1), size(v, 2), [values{:}]);
    else
      fault(who, 'badMaterial', ...
            'material %d: field %s must be text (without ; '' or }) or a double matrix to be written exactly.', ...
            i, names{f});
    end
  end
  s = ['{' strjoin(parts, '; ') '}'];
end

% The shortest text of 15 to 17 significant digits that reads back as x
% exactly (17 always do), signed with '+' where plus is given.
function s = exact(x, plus)
  if nargin < 2, plus = ''; end
  for digits = 15:17
    s = sprintf(['%' plus '.*g'], digits, x);
    if str2double(s) == x, break; end
  end
end
