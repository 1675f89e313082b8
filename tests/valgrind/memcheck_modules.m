% memcheck_modules(mexdir, legacydir): calls every module once with a valid
% call and once with an invalid one (the error leaves the module through the
% host's error call), then the first-generation coatdelay the same way, for a
% run under valgrind's memcheck. The modules are those of sources.txt
% (coat_sources): one without a call here stops the driver, so a new module
% cannot go unchecked. Errors out if a call does not behave as it should, so
% that a module skipped by mistake cannot pass unseen. Its first
% line, printed before any module is loaded, tells run_memcheck.sh that
% valgrind got Octave started.
function memcheck_modules(mexdir, legacydir)
  printf('memcheck driver: loading the modules\n');
  fflush(stdout);
  addpath(mexdir);
  K = 5;  L = 7;
  k = linspace(6.5, 9.5, K);  d = 0.1 + 0.04 * sin(1:L)';
  N = repmat([2.3; 1.45; 1.52], 1, K);  Np = repmat([0.021; 0.0043; 0.0051], 1, K);
  delay = {k, d, 1, N, Np, 0.5, 'TM'};
  calls = {'coatrefl2', {k, d, 1, N, 0.5}, 1;
           'coatdelay2', delay, 2;
           'coatdelay', delay, 2;
           'coatdisp', delay, 3;
           'coatdisp2', delay(1:6), 3;
           'coatdelaygrad', delay, 4;
           'coatdispgrad', [delay(1:5), {0.5 * Np}, delay(6:7)], 6;
           'coatneedle', [delay(1:5), {0.5 * Np}, delay(6:7), {[0; 0.3; sum(d)]}], 3;
           'coatresponse', {k, d, mod(0:L-1, 2)' + 1 + (d > 0.12), 1, [N; 0.15 + 5i * ones(1, K)], ...
                            [Np; 0.7i * ones(1, K)], [], 0.5, 'TM', ...
                            {'r', 't', 'R', 'T', 'A', 'GD', 'GDD', 'TOD', 'GDt', 'dR', 'dGDD', 'dTODt', 'g'}, ...
                            struct('R', 1, 'GDD', ones(1, K))}, 1;
           'coatprofile', {k, d, mod(0:L-1, 2)' + 1 + (d > 0.12), 1, [N; 0.15 + 5i * ones(1, K)], ...
                           [Np; 0.7i * ones(1, K)], [], 0.5, 'TM', [0; 0.3; sum(d)], ...
                           {'E2', 'nR', 'nT', 'nGDD', 'nTODt', 'ng'}, [1; 3; 2], ...
                           struct('A', 1, 'GD', ones(1, K))}, 1};
  lists = coat_sources();
  for m = lists.modules
    c = find(strcmp(calls(:, 1), m{1}));
    assert(numel(c) == 1, 'memcheck driver: no call for the module %s: add one', m{1});
    exercise(calls{c, :});
  end
  legacy = {'coatdelay', {k', d', 1, N, Np, 0.5, 'TE'}, 2};
  addpath(legacydir);
  for m = lists.legacy
    c = find(strcmp(legacy(:, 1), m{1}));
    assert(numel(c) == 1, 'memcheck driver: no call for the first-generation %s: add one', m{1});
    assert(!isempty(strfind(which(m{1}), 'legacy')));
    exercise(legacy{c, :});
  end
  printf('memcheck driver: %d modules called\n', numel(lists.modules) + numel(lists.legacy));
end

% A valid call with every output, then the same call with the indices (input
% 4, or 5 where input 3 is the materials) one element short, which must be
% refused by the module.
function exercise(name, args, nout)
  out = cell(1, nout);
  [out{:}] = feval(name, args{:});
  assert(all(cellfun(@(x) (isa(x, 'double') || isstruct(x)) && !isempty(x), out)), name);
  n = 4 + any(strcmp(name, {'coatresponse', 'coatprofile'}));
  args{n} = args{n}(1:end-1);
  try
    [out{:}] = feval(name, args{:});
    error('memcheck:accepted', '%s accepted short triples', name);
  catch err
    assert(any(strcmp(err.identifier, {[name ':tripleTooShort'], [name ':badShape']})), ...
           err.identifier);
  end
end
