% check_pointers(names): every pointer in the help texts of the functions
% names (modules, functions, examples: whatever the path finds under those
% names) must resolve where the user has them, which is the path of this
% session: each name of a "See also" list and each "help NAME" must be
% found, and each file or folder named (NAME.m, NAME.md, examples/..., docs/...,
% build/...) must exist beside the help file or be found on the path.
% Errors out at the first pointer that does not resolve.
function check_pointers(names)
  for i = 1:numel(names)
    where = which(names{i});
    assert(!isempty(where), '%s is not on the path', names{i});
    folder = fileparts(where);
    text = help(names{i});
    pointers = {};
    also = regexp(text, 'See also\s+([^\n]*(\n[ \t]+[^\n]+)*)', 'tokens', 'once');
    if !isempty(also)
      pointers = regexp(regexprep(also{1}, '\.\s*$', ''), '[\w.]+', 'match');
    end
    pointers = [pointers, cellfun(@(t) t{1}, regexp(text, '\<help (\w+)', 'tokens'), ...
                                  'UniformOutput', false)];
    for p = pointers
      assert(any(exist(p{1}) == [2 3 5]), 'help %s points to %s, which is not found', ...
             names{i}, p{1});
    end
    files = regexp(text, ['[\w.-]+\.(m|md)\>|\<(examples|toolbox|docs|build|' ...
                          'gateways|tests|src|inst)/[\w./-]*'], 'match');
    for f = files
      found = exist(fullfile(folder, f{1}), 'file') || exist(fullfile(folder, f{1}), 'dir') ...
              || (!any(f{1} == '/') && !isempty(which(f{1})));
      assert(found, 'help %s names %s, which is not in %s nor on the path', ...
             names{i}, f{1}, folder);
    end
  end
end
