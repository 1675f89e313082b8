%COATREAD Read a design back from the layer table coatwrite wrote.
%   design = coatread(file)
%   [design, table] = coatread(file)
%
%   Inputs
%     file    a CSV file written by coatwrite.
%
%   Outputs
%     design  a struct with d (Lx1 thicknesses in um, from the exact
%             column), m (Lx1 material numbers), materials (1x(M+1) cell:
%             the layer materials, then the substrate; names, or structs
%             with their fields in their order and their sizes) and
%             ambient: the design coatwrite was given, bit for bit.
%     table   what the file tells a coater besides: reference (the
%             reference wavelength, um), thickness (Lx1, nm), quarterWaves
%             (Lx1) and depth (Lx1, nm), as written (rounded).
%
%   Errors (identifiers coatread:<reason>): notEnoughInputs, badFile (not a
%   name, or not readable), badTable (not a table of coatwrite's, or a line
%   of it altered: the message names the line).
%
%   Example: a design written and read back
%     design = struct('d', [0.1; 0.05], 'm', [1; 2], 'materials', ...
%                     {{'TiO2 film', struct('model', 'constant', 'n', 1.38), 'N-BK7'}});
%     file = fullfile(tempdir(), 'two_layers.csv');
%     coatwrite(design, file, 0.55);
%     [back, table] = coatread(file);       % back.d == design.d, table.quarterWaves
%
%   See also coatwrite, coatreport.
function [design, table] = coatread(file)
  who = 'coatread';
  if nargin < 1
    fault(who, 'notEnoughInputs', 'needs the file name of a layer table.');
  end
  if ~ischar(file) || isempty(file) || size(file, 1) ~= 1
    fault(who, 'badFile', 'input 1 (file) must be a file name; a %s was given.', class(file));
  end
  fid = fopen(file, 'r');
  if fid < 0
    fault(who, 'badFile', 'cannot read %s.', file);
  end
  text = fread(fid, Inf, '*char').';
  fclose(fid);
  lines = regexp(text, '\r?\n', 'split');
  if isempty(lines) || isempty(regexp(lines{1}, '^# coatings layer table', 'once'))
    fault(who, 'badTable', '%s is not a layer table of coatwrite (its first line says so).', file);
  end
  count = sscanf(regexprep(lines{1}, '^[^:]*:', ''), '%d', 1);
  ambient = [];  reference = [];  mats = {};  substrate = [];
  i = 2;
  while i <= numel(lines) && strncmp(lines{i}, '#', 1)
    line = lines{i};
    [key, value] = strtok(line(2:end), ':');
    key = strtrim(key);
    value = value(3:end);                      % after ': '
    number = sscanf(key, 'material %d');
    if strcmp(key, 'ambient')
      ambient = exact(value, i, who);
    elseif strncmp(key, 'substrate (material ', 20)
      substrate = sscanf(key(21:end), '%d');
      mats{substrate} = material(value, i, who);
    elseif numel(number) == 1
      mats{number} = material(value, i, who);
    elseif strcmp(key, 'reference wavelength (um)')
      reference = exact(value, i, who);
    end
    i = i + 1;
  end
  if isempty(count) || isempty(ambient) || isempty(reference) || isempty(substrate) ...
     || numel(mats) ~= substrate || any(cellfun(@isempty, mats))
    fault(who, 'badTable', '%s lacks part of its header (layers, ambient, materials, substrate, reference).', file);
  end
  rows = lines(i + 1:end);                     % after the row of column names
  rows = rows(~cellfun(@(s) isempty(strtrim(s)), rows));
  if numel(rows) ~= count
    fault(who, 'badTable', '%s announces %d layers and holds %d rows.', file, count, numel(rows));
  end
  d = zeros(count, 1);  m = zeros(count, 1);
  table = struct('reference', reference, 'thickness', d, 'quarterWaves', d, 'depth', d);
  for j = 1:count
    f = strsplit(rows{j}, ',');
    if numel(f) ~= 7 || str2double(f{1}) ~= j
      fault(who, 'badTable', 'line %d of %s is not layer %d''s row of 7 fields.', i + j, file, j);
    end
    v = str2double(f([3:7]));
    if any(~isfinite(v)) || v(4) ~= round(v(4)) || v(4) < 1 || v(4) >= substrate || v(5) < 0
      fault(who, 'badTable', 'line %d of %s: the numbers of layer %d are not a layer''s.', i + j, file, j);
    end
    table.thickness(j) = v(1);  table.quarterWaves(j) = v(2);  table.depth(j) = v(3);
    m(j) = v(4);  d(j) = v(5);
  end
  design = struct('d', d, 'm', m, 'materials', {mats}, 'ambient', ambient);
end

% A double written with 17 significant digits.
function x = exact(s, line, who)
  x = str2double(s);
  if ~isfinite(x)
    fault(who, 'badTable', 'line %d: ''%s'' is not a number.', line, s);
  end
end

% A material of the header: a name, or a struct {name = value; ...}.
function x = material(s, line, who)
  if isempty(s) || s(1) ~= '{'
    x = s;
    return;
  end
  if s(end) ~= '}'
    fault(who, 'badTable', 'line %d: a material struct must end with }.', line);
  end
  x = struct();
  parts = strsplit(s(2:end - 1), '; ');
  for p = 1:numel(parts)
    [name, value] = strtok(parts{p}, '=');
    name = strtrim(name);
    value = strtrim(value(2:end));
    if ~isvarname(name) || isempty(value)
      fault(who, 'badTable', 'line %d: ''%s'' is not a field of a material struct.', line, parts{p});
    end
    if value(1) == ''''
      x.(name) = value(2:end - 1);
    else
      shape = sscanf(value, '[%dx%d]');
      tokens = strsplit(strtrim(regexprep(value, '^\[\d+x\d+\]', '')), ' ');
      tokens = tokens(~cellfun(@isempty, tokens));
      if numel(shape) ~= 2 || numel(tokens) ~= prod(shape)
        fault(who, 'badTable', 'line %d: field %s does not hold the values its size says.', line, name);
      end
      v = str2double(tokens);
      if any(isnan(v) & ~strcmpi(tokens, 'nan'))
        fault(who, 'badTable', 'line %d: field %s holds text that is not a number.', line, name);
      end
      x.(name) = reshape(v, shape(1), shape(2));
    end
  end
end

%!test  # read back bit for bit: doubles of every digit, structs of every shape, a complex index
%! rand('state', 7);
%! mats = {'TiO2 film', struct('model', 'sellmeier', 'A', 1, 'B', [0.6961663 0.4079426], 'C', [0.0684043 0.1162414] .^ 2), ...
%!         struct('model', 'constant', 'n', 1.5 + 0.01i), struct('model', 'table', 'lambda', [0.4; 0.6; 0.8; 1], ...
%!         'n', [2.3; 2.2; 2.15; 2.13], 'k', [1e-3; 0; 0; 0]), 'N-BK7'};
%! design = struct('d', rand(7, 1) / 3, 'm', [1; 2; 3; 4; 1; 2; 4], 'materials', {mats}, 'ambient', 1.0003);
%! file = [tempname() '.csv'];
%! unwind_protect
%!   coatwrite(design, file, 0.8);
%!   [back, table] = coatread(file);
%!   assert(isequal(back, design));
%!   % what the coater reads: nm to 0.01, quarter waves at 800 nm, depths
%!   n = real(coating_indices(2 * pi / 0.8, mats));
%!   assert(table.thickness, 1000 * design.d, 0.005 + 1e-9);
%!   assert(table.quarterWaves, 4 * n(design.m) .* design.d / 0.8, 5e-5 + 1e-12);
%!   assert(table.depth, 1000 * cumsum(design.d), 0.005 + 1e-9);
%!   % a bare substrate, and a design whose record gives the reference
%!   bare = struct('d', zeros(0, 1), 'm', zeros(0, 1), 'materials', {{'my own glass'}}, 'ambient', 1);
%!   coatwrite(bare, file, 1.03);
%!   assert(isequal(coatread(file), bare));
%!   t = struct('quantity', 'R', 'lambda', [0.75 0.85], 'value', 0.9, 'type', '>=');
%!   made = coatoptimize(setfield(design, 'materials', {'TiO2', 'SiO2', 'Ta2O5', 'Al2O3', 'N-BK7'}), t, ...
%!                       'maxIterations', 0, 'dense', 1);
%!   coatwrite(made, file);
%!   [~, table] = coatread(file);
%!   assert(table.reference, 0.8);
%! unwind_protect_cleanup
%!   delete(file);
%! end_unwind_protect
%!error id=coatread:badTable coatread(which('coatread'))
%!error id=coatwrite:noReference coatwrite(struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'SiO2'}}), [tempname() '.csv'])
