% opt = parse_options(who, defaults, args): the options of a public function
% from args (its varargin): one struct, or name-value pairs. Names are
% matched to the fields of defaults without regard to case and come back
% spelt as there; options not given keep their defaults. Errors, under who:
% badOptions (neither a struct nor pairs of a name and a value),
% unknownOption (naming the known ones).
function opt = parse_options(who, defaults, args)
  opt = defaults;
  if isempty(args)
    return;
  end
  if numel(args) == 1 && isstruct(args{1}) && numel(args{1}) == 1
    names = fieldnames(args{1});
    values = struct2cell(args{1});
  elseif mod(numel(args), 2) == 0 && all(cellfun(@ischar, args(1:2:end)))
    names = args(1:2:end);
    values = args(2:2:end);
  else
    fault(who, 'badOptions', ...
         'options must be one struct or name-value pairs (names as character arrays).');
  end
  known = fieldnames(defaults);
  for i = 1:numel(names)
    j = find(strcmpi(names{i}, known), 1);
    if isempty(j)
      fault(who, 'unknownOption', 'unknown option ''%s''; known: %s.', names{i}, ...
           strjoin(known', ', '));
    end
    opt.(known{j}) = values{i};
  end
end
