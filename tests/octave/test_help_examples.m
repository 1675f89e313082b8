% Every module's help text: the parts a user looks for, and the example it
% shows, run as printed.

%!test  # each help names its call, units, closing, NaN cases and errors
%! calls = {'R = coatrefl2(k, d, n_a, N, theta)', ...
%!          '[R, GD] = coatdelay2(k, d, n_a, N, Nprime, theta, pol)', ...
%!          '[R, GD] = coatdelay(k, d, n_a, N, Nprime, theta, pol)', ...
%!          '[R, GD, GDD] = coatdisp(k, d, n_a, N, Nprime, theta, pol)', ...
%!          '[R, GD, GDD] = coatdisp2(k, d, n_a, N, Nprime, theta)', ...
%!          '[R, GD, dR, dGD] = coatdelaygrad(k, d, n_a, N, Nprime, theta, pol)', ...
%!          '[R, GD, GDD, dR, dGD, dGDD] = coatdispgrad(k, d, n_a, N, Np, Npp, theta, pol)', ...
%!          '[nR, nGD, nGDD] = coatneedle(k, d, n_a, N, Np, Npp, theta, pol, z)'};
%! for i = 1:numel(calls)
%!   name = regexp(calls{i}, '(\w+)\(', 'tokens', 'once'){1};
%!   txt = regexprep(help(name), '\s+', ' ');
%!   for part = {calls{i}, 'rad/um', 'in um', 'Lx1', '3xK', 'substrate', ...
%!               'NaN', 'identifier', 'Example', 'See also'}
%!     assert(!isempty(strfind(txt, part{1})), 'help %s lacks ''%s''', name, part{1});
%!   end
%!   if numel(strfind(calls{i}, 'GD')) > 0
%!     assert(!isempty(strfind(txt, 'positive for a delayed reflection')) ...
%!            || !isempty(strfind(txt, 'A delayed reflection has a positive GD')), name);
%!   end
%! end

%!test  # the examples of the main folder run and give full, finite results
%! for name = {'coatrefl2', 'coatdelay2', 'coatdelay', 'coatdisp', 'coatdisp2', 'coatdelaygrad', ...
%!             'coatdispgrad', 'coatneedle'}
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

%!test  # the legacy example, with the legacy folder searched first
%! legacy = fullfile(fileparts(which('coatdelay2')), 'legacy');
%! addpath(legacy);
%! unwind_protect
%!   assert(!isempty(strfind(which('coatdelay'), 'legacy')));
%!   assert(!isempty(strfind(help('coatdelay'), 'first-generation build')));
%!   eval(help_example('coatdelay'));
%!   assert(size(R), [1 numel(k)]);
%!   assert(all(isfinite([R GD])));
%! unwind_protect_cleanup
%!   rmpath(legacy);
%! end_unwind_protect
