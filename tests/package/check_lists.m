% check_lists(lists): what the reader of sources.txt gave (coat_sources)
% names, each under its own kind, every module (gateways/*.m), first-
% generation build (gateways/legacy/*.m), function (toolbox/*.m), helper
% (toolbox/private/*.m) and example (examples/*.m) of the tree, and nothing
% else; and a version X.Y.Z. A reader that drops or mixes up a kind of entry
% fails here, though every build takes its lists from that reader.
function check_lists(lists)
  root = fileparts(fileparts(fileparts(mfilename('fullpath'))));
  kinds = {'modules', 'gateways'; 'legacy', 'gateways/legacy'; 'functions', 'toolbox'; ...
           'private', 'toolbox/private'; 'examples', 'examples'};
  for i = 1:rows(kinds)
    files = dir(fullfile(root, kinds{i, 2}, '*.m'));
    names = regexprep({files.name}, '\.m$', '');
    listed = lists.(kinds{i, 1});
    assert(numel(unique(listed)) == numel(listed) && isempty(setxor(names, listed)), ...
           'sources.txt as read lists as %s: %s; %s holds: %s', kinds{i, 1}, ...
           strjoin(sort(listed), ' '), kinds{i, 2}, strjoin(sort(names), ' '));
  end
  assert(!isempty(regexp(lists.version, '^\d+\.\d+\.\d+$', 'once')), 'version %s', lists.version);
end
