% code = help_example(name): the example of a module's help text, the
% indented lines under the line that begins with 'Example', up to the first
% blank line, as one string ready for eval.
function code = help_example(name)
  lines = strsplit(help(name), "\n", "CollapseDelimiters", false);
  first = find(strncmp(strtrim(lines), 'Example', 7), 1);
  assert(!isempty(first), 'help %s has no example', name);
  last = first;
  while last < numel(lines) && !isempty(strtrim(lines{last + 1}))
    last++;
  end
  assert(last > first, 'the example of help %s is empty', name);
  code = strjoin(strtrim(lines(first + 1:last)), "\n");
end
