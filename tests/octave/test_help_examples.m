% Every help text of sources.txt's modules (coat_sources): the parts a user
% looks for, the example it shows, run as printed, and its pointers, which
% must resolve in the folder the build gives users.

%!test  # each module's help names its call, units, closing, NaN cases and errors
%! for name = coat_sources().modules
%!   txt = regexprep(help(name{1}), '\s+', ' ');
%!   call = regexp(txt, ['(\[[\w, ]+\] = |\w+ = )' name{1} '\([\w, ]+\)'], 'match', 'once');
%!   assert(!isempty(call), 'help %s shows no call', name{1});
%!   for part = {'rad/um', 'in um', 'Lx1', '3xK', 'substrate', ...
%!               'NaN', 'identifier', 'Example', 'See also'}
%!     assert(!isempty(strfind(txt, part{1})), 'help %s lacks ''%s''', name{1}, part{1});
%!   end
%!   if !isempty(strfind(call, 'GD'))
%!     assert(!isempty(strfind(txt, 'positive for a delayed reflection')) ...
%!            || !isempty(strfind(txt, 'A delayed reflection has a positive GD')), name{1});
%!   end
%! end

%!test  # the examples of the main folder run and give full, finite results
%! for name = coat_sources().modules
%!   clear R GD GDD dR dGD g k d needle;
%!   eval(help_example(name{1}));
%!   K = numel(k);  L = numel(d);
%!   assert(isequal(size(R), [1 K]) && all(R >= 0 & R <= 1), 'R of %s', name{1});
%!   if exist('GD', 'var')
%!     assert(isequal(size(GD), [1 K]) && all(isfinite(GD)), 'GD of %s', name{1});
%!   end
%!   if exist('GDD', 'var')
%!     assert(isequal(size(GDD), [1 K]) && all(isfinite(GDD)), 'GDD of %s', name{1});
%!   end
%!   if exist('dGD', 'var')
%!     assert(isequal(size(dR), [L K]) && isequal(size(dGD), [L K]));
%!     assert(isequal(size(g), [L 1]) && all(isfinite(g)));
%!   end
%!   if exist('needle', 'var')        # a needle function, and a depth where it is negative
%!     assert(isequal(size(needle), [numel(z) 1]) && all(isfinite(needle)) && slope < 0);
%!   end
%! end

%!test  # the first-generation builds' examples, with the legacy folder searched first
%! legacy = fullfile(fileparts(which('coatdelay2')), 'legacy');
%! addpath(legacy);
%! unwind_protect
%!   for name = coat_sources().legacy
%!     assert(!isempty(strfind(which(name{1}), 'legacy')));
%!     assert(!isempty(strfind(help(name{1}), 'first-generation build')));
%!     clear R GD k;
%!     eval(help_example(name{1}));
%!     assert(size(R), [1 numel(k)]);
%!     assert(all(isfinite([R GD])));
%!   end
%!   check_pointers(coat_sources().legacy);
%! unwind_protect_cleanup
%!   rmpath(legacy);
%! end_unwind_protect

%!test  # every pointer of every help text resolves in the build's one folder
%! s = coat_sources();
%! check_pointers([s.modules, s.functions, s.examples]);


%!test  # the README's first example runs as printed, writes its figure, and shows what it says
%! readme = fullfile(fileparts(file_in_loadpath('help_example.m')), '..', '..', 'README.md');
%! code = regexp(fileread(readme), '## A first example.*?```octave\n(.*?)```', 'tokens', 'once');
%! assert(!isempty(code), 'README.md has no first example');
%! png = fullfile(pwd, 'mirror.png');
%! if exist(png, 'file'), delete(png); end
%! eval(code{1});
%! assert(png_written(png));
%! high = find(R > 0.999);                     # the stop band the README names
%! assert(round(1000 * lambda(high([1 end]))), [692 944]);
%! band = lambda >= 0.75 & lambda <= 0.85;
%! assert(max(abs(GDD(band))) < 2.5);
