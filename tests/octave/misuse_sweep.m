% failures = misuse_sweep(build)
% Calls every module of one build ('current': build/mex; 'legacy': the
% first-generation coatdelay, whose folder must come first on the path) in
% every wrong way listed below, and holds each outcome to the module's calling
% rules as its help text states them:
%   - a call the rules allow returns real full doubles of the documented sizes
%     (1xK for R, GD, GDD; LxK for dR, dGD), one per requested output and one
%     for a bare call;
%   - any other call raises an error whose identifier is module:<reason> and
%     whose message starts with "module: "; a refused input is named in the
%     message ("Input 4 (material triples) ..."); the checked coatdelay's three
%     fixed messages come exactly, first failing check first; a table of
%     indices given transposed is refused as such (module:transposedIndices).
% A misuse that reads or writes out of bounds takes Octave down; the run then
% ends early and CTest sees it die. With MISUSE_TRACE set in the environment
% every call is printed before it is made, so the last line names the culprit.
% The random part is seeded: every run makes the same calls.
% Prints the number of calls and of distinct misuse kinds; returns the number
% of calls that broke a rule.
function failures = misuse_sweep(build)
  rand('state', 20240611);
  S = struct('calls', 0, 'kinds', {{}}, 'failed', {{}}, 'groups', {{}}, ...
             'trace', !isempty(getenv('MISUSE_TRACE')));
  for m = modules(build)
    S = sweep_counts(S, m);
    S = sweep_kinds(S, m);
    S = sweep_shapes_and_values(S, m);
    S = sweep_selectors(S, m);
    S = sweep_random(S, m, 300);
  end
  failures = numel(S.failed);
  kinds = unique(S.kinds);
  printf('misuse sweep (%s build): %d calls, %d distinct misuse kinds, %d failures\n', ...
         build, S.calls, numel(kinds), failures);
  printf('  kinds: %s\n', strjoin(kinds, ', '));
  % One line per kind of broken rule, with its first call.
  [groups, first, which] = unique(S.groups, 'first');
  for g = 1:numel(groups)
    printf('  FAIL x%d %s\n       e.g. %s\n', sum(which == g), groups{g}, S.failed{first(g)});
  end
end

function mods = modules(build)
  delay = {'k', 'd', 'na', 'N', 'Np', 'theta', 'pol'};
  % name, inputs by role, outputs at most, K and L from shapes (or element
  % counts), the checked coatdelay's fixed checks, LxK outputs from the third on
  % (coatdispgrad and coatneedle check strictly: any vector k and d, 3xK or
  % 3x1 triples, real values, a thickness >= 0, theta in [0, pi/2), pol TE,
  % TM, s or p, and coatneedle's depths z a vector in [0, sum(d)])
  info = @(name, roles, nout, shapes, checked) struct('name', name, 'roles', {roles}, ...
    'nout', nout, 'shapes', shapes, 'checked', checked, ...
    'strict', any(strcmp(name, {'coatdispgrad', 'coatneedle', 'coatresponse', 'coatprofile'})), ...
    'spectra', spectra_of(name), 'fields', any(strcmp(name, {'coatresponse', 'coatprofile'})));
  if strcmp(build, 'legacy')
    mods = info('coatdelay', delay, 2, false, false);
    assert(!isempty(strfind(which('coatdelay'), 'legacy')), 'legacy coatdelay not first on the path');
  else
    mods = [info('coatrefl2', {'k', 'd', 'na', 'N', 'theta'}, 1, true, false), ...
            info('coatdelay2', delay, 2, true, false), ...
            info('coatdelay', delay, 2, true, true), ...
            info('coatdisp', delay, 3, true, false), ...
            info('coatdisp2', delay(1:6), 3, true, false), ...
            info('coatdelaygrad', delay, 4, true, false), ...
            info('coatdispgrad', [delay(1:5), {'Npp'}, delay(6:7)], 6, false, false), ...
            info('coatneedle', [delay(1:5), {'Npp'}, delay(6:7), {'z'}], 3, false, false), ...
            info('coatresponse', {'k', 'd', 'm', 'na', 'N', 'Np', 'Npp', 'theta', 'pol', 'want'}, ...
                 1, false, false), ...
            info('coatprofile', {'k', 'd', 'm', 'na', 'N', 'Np', 'Npp', 'theta', 'pol', 'z', ...
                                 'want', 'mu'}, 1, false, false)];
    assert(isempty(strfind(which('coatdelay'), 'legacy')), 'checked coatdelay not first on the path');
    % Every module built beside them is swept (and so memory-checked in the
    % sanitized build): a new one needs its line above.
    built = {dir(fullfile(fileparts(which('coatdelay')), '*.mex')).name};
    missing = setdiff(regexprep(built, '\.mex$', ''), {mods.name});
    assert(isempty(missing), 'misuse sweep: no entry for %s', strjoin(missing, ', '));
  end
end

% How many 1xK outputs come before the LxK gradients (coatneedle: PxK only).
function n = spectra_of(name)
  n = Inf;
  if strcmp(name, 'coatdelaygrad'), n = 2; end
  if strcmp(name, 'coatdispgrad'), n = 3; end
  if strcmp(name, 'coatneedle'), n = 0; end
end

% A valid call over K wavenumbers and L layers.
function args = valid_args(m, K, L, pol)
  if nargin < 4, pol = 'TE'; end
  j = (0:L-1)';
  v.k = linspace(6.5, 9.5, K);
  v.d = (0.087 + 0.051 * mod(j, 2)) .* (1 + 0.37 * sin(1.3 * j + 0.4));
  v.na = 1;
  v.N = repmat([2.3; 1.45; 1.52], 1, K);
  v.Np = [0.021; 0.0043; 0.0051] + 0.003 * sin((1:3)' * (1:K));   % per wavenumber
  v.Npp = [0.0042; 0.0009; -0.0007] + 0.0005 * cos((1:3)' * (1:K));
  v.theta = 0.5;
  v.pol = pol;
  v.z = sum(v.d) * [0; 0.4; 1];
  v.m = mod(j, 2) + 1;
  v.want = {'R', 'GD', 'r', 'dGDD', 'T', 'A', 'dT'};
  if any(strcmp(m.roles, 'z')), v.want = {'E2', 'nR', 'nGDD', 'nT'}; end
  v.mu = 2;
  args = cellfun(@(r) v.(r), m.roles, 'UniformOutput', false);
end

% Every count of inputs from 0 to 9 (past the module's own, extra values of
% odd kinds) and of outputs from 0 to 5.
function S = sweep_counts(S, m)
  extra = {'extra', {}, @sin, int8(3), struct()};
  full = [valid_args(m, 3, 4), extra];
  for nin = 0:9
    for nout = 0:5
      args = full(1:nin);
      kind = {};
      if nin < numel(m.roles), kind{end+1} = 'too few inputs';
      elseif nin > numel(m.roles), kind{end+1} = 'extra inputs'; end
      if nout > m.nout, kind{end+1} = 'too many outputs';
      elseif m.checked && nout != 2, kind{end+1} = 'not two outputs'; end
      S = run_case(S, m, args, nout, strjoin(kind, ' & '));
    end
  end
end

% Each input in turn replaced by a value of a wrong kind, made from the value
% it replaces.
function S = sweep_kinds(S, m)
  kinds = {'empty', @(v) [];  'scalar', @(v) 7;  'single', @single;  'int32', @int32;
           'uint8', @uint8;  'logical', @(v) v != 0;  'char', @char;  'cell', @num2cell;
           'struct', @(v) struct('value', v);  'sparse', @(v) sparse(double(v));
           'complex', @(v) v + 1i;  'function handle', @(v) @sin;  '3-D array', @(v) cat(3, v, v)};
  for KL = [2 3; 1 0; 0 2]'
    good = valid_args(m, KL(1), KL(2));
    for i = 1:numel(good)
      for c = 1:rows(kinds)
        try
          args = good;  args{i} = kinds{c, 2}(good{i});
        catch
          continue;                 % no such value of a cell of names
        end
        S = run_outputs(S, m, args, kinds{c, 1});
      end
    end
  end
end

% Triples shorter than 3K, a Kx1 grid and a 1xL thickness vector, and NaN or
% +-Inf in one element or in all of every numeric input.
function S = sweep_shapes_and_values(S, m)
  roles = m.roles;
  iN = find(strcmp(roles, 'N') | strcmp(roles, 'Np'));
  for K = 1:4
    good = valid_args(m, K, 5);
    for i = iN
      v = good{i};
      for short = {v(1:end-1), v(:)(1:end-3), reshape(v, 1, [])(1:end-2), zeros(3, K-1), v(1:2)'}
        args = good;  args{i} = short{1};
        S = run_outputs(S, m, args, 'short triples');
      end
    end
    args = good;  args{1} = args{1}.';
    S = run_outputs(S, m, args, 'Kx1 grid');
    args = good;  args{1} = reshape(repmat(args{1}, 2, 1), 2, []);
    S = run_outputs(S, m, args, 'grid of two rows');
  end
  for L = 0:4
    args = valid_args(m, 3, L);  args{2} = args{2}.';
    S = run_outputs(S, m, args, '1xL thickness vector');
    args = valid_args(m, 3, L);  args{2} = [args{2} args{2}];
    S = run_outputs(S, m, args, 'thickness matrix of two columns');
  end
  % A table of indices given transposed, K x rows (K != rows): refused with
  % an identifier of its own and a message that says so.
  for r = {'N', 'Np', 'Npp'}
    i = find(strcmp(roles, r{1}));
    if !m.strict || isempty(i), continue; end
    for K = [4 7]
      args = valid_args(m, K, 5);  args{i} = args{i}.';
      S = run_case(S, m, args, 0, 'transposed indices');
      [~, err] = invoke(m.name, args, 0);
      if isempty(err) || !strcmp(err.identifier, [m.name ':transposedIndices']) ...
         || isempty(strfind(err.message, 'transposed'))
        S = fail(S, m.name, 'transposed indices', 'not refused as transposed', ...
                 describe(m.name, args, 0));
      end
    end
  end
  good = valid_args(m, 4, 6);
  values = {'NaN', NaN; '+Inf', Inf; '-Inf', -Inf};
  for i = find(!strcmp(roles, 'pol') & !strcmp(roles, 'want'))
    for c = 1:rows(values)
      args = good;  args{i}(:) = values{c, 2};
      S = run_outputs(S, m, args, [values{c, 1} ' values']);
      args = good;  args{i}(randi(numel(args{i}))) = values{c, 2};
      S = run_outputs(S, m, args, [values{c, 1} ' values']);
    end
  end
end

% Selectors of every length from 0 to 100 and of one to four rows, random
% characters with 'TM' or 'TE' in front of some. Every character array is a
% selector; it selects TM exactly when its first two characters in memory
% order are T and M.
function S = sweep_selectors(S, m)
  p = find(strcmp(m.roles, 'pol'));
  if isempty(p), return; end
  outs = m.nout;  if m.checked, outs = 2; end
  ref = struct();
  for pol = {'TE', 'TM'}
    [o, err] = invoke(m.name, valid_args(m, 3, 5, pol{1}), 2);
    ref.(pol{1}) = o;
  end
  alphabet = 'TMEtme x';
  for len = 0:100
    r = 1 + mod(len, 4);
    s = alphabet(randi(numel(alphabet), r, len));
    if len >= 2 && mod(len, 3) == 0, s(1:2) = 'TM'; end
    if len >= 2 && mod(len, 3) == 1, s(1:2) = 'TE'; end
    args = valid_args(m, 3, 5);  args{p} = s;
    kind = 'selector length';  if r > 1, kind = 'selector of several rows'; end
    [S, o] = run_case(S, m, args, outs, kind);
    if numel(o) >= 2
      tm = numel(s) >= 2 && s(1) == 'T' && s(2) == 'M';
      if m.strict, tm = any(strcmpi(s(:)', {'TM', 'p'})); end
      want = ref.('TE');  if tm, want = ref.('TM'); end
      if !isequal(o(1:2), want)
        S = fail(S, m.name, kind, 'wrong polarization chosen', ...
                 sprintf('selector ''%s'' (%dx%d)', s(:)', rows(s), columns(s)));
      end
    end
  end
end

% Random mixtures, seeded: a few inputs of a valid call spoilt at once, the
% input and output counts sometimes off by one.
function S = sweep_random(S, m, count)
  spoil = {@(v) [], @(v) v.', @(v) v(1:end-1), @(v) single(v), @(v) v + 1i, ...
           @(v) cat(3, v, v), @(v) NaN(size(v)), @(v) -v, @(v) {v}, @(v) 'TM', ...
           @(v) sparse(double(v)), @(v) zeros(0, 3), @(v) 1e308 * ones(size(v))};
  for c = 1:count
    args = valid_args(m, randi([0 5]), randi([0 6]), {'TE', 'TM'}{randi(2)});
    for i = find(rand(1, numel(args)) < 0.25)
      try
        args{i} = spoil{randi(numel(spoil))}(args{i});
      end
    end
    nin = numel(args) + randi([-1 1]) * (rand < 0.15);
    args = [args, {'extra'}](1:nin);
    S = run_case(S, m, args, randi([0 m.nout + 1]), 'random mixture');
  end
end

% The same call with no output requested and with all the module gives.
function S = run_outputs(S, m, args, kind)
  if m.checked
    S = run_case(S, m, args, 2, kind);
  else
    S = run_case(S, m, args, 0, kind);
    S = run_case(S, m, args, m.nout, kind);
  end
end

function [S, outs] = run_case(S, m, args, nout, kind)
  call = describe(m.name, args, nout);
  if S.trace, printf('%s\n', call);  fflush(stdout); end
  S.calls += 1;
  if !isempty(kind), S.kinds = [S.kinds, strsplit(kind, ' & ')]; end
  e = expected(m, args, nout);
  [outs, err] = invoke(m.name, args, nout);
  problem = '';  detail = '';
  if isempty(err)
    if !isempty(e.id) || !isempty(e.inputs)
      problem = 'accepted a call its rules refuse';
    elseif numel(outs) != max(nout, 1)
      problem = sprintf('%d outputs for %d requested', numel(outs), nout);
    elseif m.fields
      problem = struct_problem(outs{1}, args{strcmp(m.roles, 'want')}, e.K, e.L, e.P);
    else
      for o = 1:numel(outs)
        x = outs{o};
        want = [1 e.K];  if o > m.spectra, want = [e.L e.K]; end
        if !(isa(x, 'double') && isreal(x) && !issparse(x) && isequal(size(x), want))
          problem = sprintf('output %d is %s %s, %s expected', o, class(x), mat2str(size(x)), mat2str(want));
        end
      end
    end
  else
    id = err.identifier;  msg = err.message;
    if !strncmp(id, [m.name ':'], numel(m.name) + 1) || !strncmp(msg, [m.name ': '], numel(m.name) + 2)
      problem = 'error does not name the module';
    elseif isempty(e.id) && isempty(e.inputs)
      problem = 'refused a call its rules allow';
    elseif !isempty(e.id) && !strcmp(id, e.id)
      problem = sprintf('identifier %s expected', e.id);
    elseif !isempty(e.message) && !strcmp(msg, e.message)
      problem = sprintf('message "%s" expected', e.message);
    elseif isempty(e.id) && !any(arrayfun(@(i) !isempty(strfind(msg, sprintf('Input %d (', i))), e.inputs))
      problem = sprintf('message names none of the inputs %s', mat2str(e.inputs));
    end
    detail = sprintf('[%s: %s]', id, msg);
  end
  if !isempty(problem)
    S = fail(S, m.name, kind, problem, sprintf('%s %s', call, detail));
  end
end

% A struct of the names asked for, each once: r, t, R, ..., 1xK (r and t
% complex), their gradients dR, ... LxK, g Lx1; the field E2 and the needle
% derivatives nR, ... PxK, ng Px1.
function problem = struct_problem(x, want, K, L, P)
  problem = '';
  if ischar(want), want = {want}; end
  names = unique(want(:)', 'stable');
  if !isstruct(x) || !isequal(fieldnames(x)', names)
    problem = 'not a struct of the names asked for';
    return;
  end
  for n = names
    v = x.(n{1});
    want_size = [1 K];
    if n{1}(1) == 'd', want_size = [L K]; end
    if n{1}(1) == 'n' || strcmp(n{1}, 'E2'), want_size = [P K]; end
    if strcmp(n{1}, 'g'), want_size = [L 1]; end
    if strcmp(n{1}, 'ng'), want_size = [P 1]; end
    if !(isa(v, 'double') && !issparse(v) && isequal(size(v), want_size) ...
         && (isreal(v) || any(strcmp(n{1}, {'r', 't'}))))
      problem = sprintf('field %s is %s %s, %s expected', n{1}, class(v), mat2str(size(v)), ...
                        mat2str(want_size));
    end
  end
end

function S = fail(S, name, kind, problem, example)
  S.groups{end+1} = sprintf('%s, %s: %s', name, kind, problem);
  S.failed{end+1} = example;
end

% What the help text promises for this call. e.id (and for the checked
% coatdelay e.message) is the count or dimension error due first; e.inputs the
% inputs that break a rule on kind, emptiness, shape or triple length, one of
% which the error must name; neither set: outputs are due. K and L as counted.
function e = expected(m, args, nout)
  e = struct('id', '', 'message', '', 'inputs', [], 'K', 0, 'L', 0, 'P', 0);
  nin = numel(args);  nreq = numel(m.roles);
  columns_of = @(a) prod(size(a)(2:end));   % as mxGetN counts them
  if m.checked
    fixed = {'nargin', 'coatdelay: 7 input arguments required.';
             'nargout', 'coatdelay: 2 output arguments required.';
             'dimensions', 'coatdelay called with incorrect dimensions.'};
    failing = [nin < 7, nout != 2, nin >= 7 && (rows(args{1}) != 1 || columns_of(args{2}) != 1)];
    first = find(failing, 1);
    if !isempty(first)
      e.id = ['coatdelay:' fixed{first, 1}];
      e.message = ['coatdelay: ' fixed{first, 2}];
      return;
    end
  elseif nin < nreq - strcmp(m.name, 'coatprofile')   % coatprofile's mu may be left out
    e.id = [m.name ':notEnoughInputs'];  return;
  elseif m.strict && nin > nreq + m.fields
    e.id = [m.name ':tooManyInputs'];  return;
  elseif nout > m.nout
    e.id = [m.name ':tooManyOutputs'];  return;
  end
  role = @(r) args{find(strcmp(m.roles, r))};
  k = role('k');  d = role('d');
  if m.shapes
    e.K = columns_of(k);  e.L = rows(d);
  else
    e.K = numel(k);  e.L = numel(d);
  end
  if m.strict
    roles = m.roles;
    if nin > nreq, roles{end+1} = 'weights'; end
    roles = roles(1:nin);
    e.inputs = find(strict_refusals(roles, args, e.K));
    if nin < nreq && isempty(e.inputs)     % no mu: only the field may be asked for
      want = args{strcmp(roles, 'want')};
      if any(!strcmp(want, 'E2')), e.id = 'coatprofile:missingNeedleMaterial'; end
    end
    if any(strcmp(m.roles, 'z')), e.P = numel(role('z')); end
    if any(strcmp(m.roles, 'z')) && !m.fields, e.L = e.P; end   % rows: depths
    return;
  end
  bad = false(1, nreq);
  for i = 1:nreq
    a = args{i};
    switch m.roles{i}
      case 'pol'
        bad(i) = !ischar(a);
      case {'na', 'theta'}
        bad(i) = !isa(a, 'double') || issparse(a) || isempty(a);
      case 'k'
        bad(i) = !isa(a, 'double') || issparse(a) || e.K > numel(a);
      case 'd'
        bad(i) = !isa(a, 'double') || issparse(a) || e.L > numel(a);
      case {'N', 'Np'}
        bad(i) = !isa(a, 'double') || issparse(a) || numel(a) < 3 * e.K;
    end
  end
  e.inputs = find(bad);
end

% The inputs a strictly checking module refuses, by role.
function bad = strict_refusals(roles, args, K)
  bad = false(1, numel(roles));
  not_vector = @(a) ndims(a) > 2 || (rows(a) > 1 && columns(a) > 1);
  any_stack = any(strcmp(roles, 'm'));   % materials by number, complex indices
  rows_N = 3;
  if any_stack, rows_N = rows(args{strcmp(roles, 'N')}); end
  not_triples = @(a) ndims(a) > 2 || rows(a) != rows_N || (columns(a) != K && columns(a) != 1);
  names = {'r', 't', 'R', 'T', 'A', 'GD', 'GDD', 'TOD', 'GDt', 'GDDt', 'TODt'};
  quantities = names(3:11);
  names = [names, strcat('d', quantities)];
  if any(strcmp(roles, 'z')), names = [{'E2'}, strcat('n', quantities)]; end
  for i = 1:numel(roles)
    a = args{i};
    switch roles{i}
      case 'pol'
        bad(i) = !ischar(a) || !any(strcmpi(a(:)', {'TE', 'TM', 's', 'p'}));
        continue;
      case 'want'
        if ischar(a), a = {a}; end
        bad(i) = !iscell(a) || isempty(a) || !all(cellfun(@(c) ischar(c) && rows(c) <= 1 ...
                                                       && any(strcmp(c, names)), a(:)'));
        continue;
      case 'weights'
        bad(i) = !isstruct(a) || numel(a) != 1 || !all(ismember(fieldnames(a), quantities)) ...
                 || !all(structfun(@(w) isa(w, 'double') && isreal(w) && !issparse(w) ...
                                   && (numel(w) == 1 || (numel(w) == K && isvector(w))), a));
        continue;
    end
    bad(i) = !isa(a, 'double') || issparse(a) ...
             || (!isreal(a) && !(any_stack && any(strcmp(roles{i}, {'N', 'Np', 'Npp'}))));
    if bad(i), continue; end
    switch roles{i}
      case 'k'
        bad(i) = not_vector(a) || (any_stack && !all(a(:) > 0 & isfinite(a(:))));
      case 'm'
        d = args{strcmp(roles, 'd')};
        bad(i) = not_vector(a) || numel(a) != numel(d) ...
                 || !all(a(:) >= 1 & a(:) <= rows_N - 1 & a(:) == round(a(:)));
      case 'd'
        bad(i) = not_vector(a) || !all(a(:) >= 0 & isfinite(a(:)));
      case 'na'
        bad(i) = numel(a) != 1 || (any_stack && !(a > 0 && isfinite(a)));
      case 'theta'
        bad(i) = numel(a) != 1 || !(a >= 0 && a < pi / 2);
      case 'N'
        bad(i) = not_triples(a) || (any_stack && (rows(a) == 0 || any(imag(a(:)) < 0)));
      case 'Np'
        bad(i) = not_triples(a) && !(any_stack && isempty(a));
      case 'Npp'
        bad(i) = !isempty(a) && not_triples(a);
      case 'mu'
        P = numel(args{strcmp(roles, 'z')});
        bad(i) = not_vector(a) || (numel(a) != 1 && numel(a) != P) ...
                 || !all(a(:) >= 1 & a(:) <= rows_N - 1 & a(:) == round(a(:)));
      case 'z'                      % roles put d before z
        bad(i) = not_vector(a);
        if !bad(i) && !bad(strcmp(roles, 'd'))
          d = args{strcmp(roles, 'd')};
          bad(i) = !all(a(:) >= 0 & a(:) <= sum(d(:)) * (1 + numel(d) * eps));
        end
    end
  end
end

function [outs, err] = invoke(name, args, nout)
  outs = {};  err = [];
  try
    if nout == 0
      feval(name, args{:});
    else
      outs = cell(1, nout);
      [outs{:}] = feval(name, args{:});
    end
  catch caught
    outs = {};  err = caught;
    return;
  end
  if nout == 0 && exist('ans', 'var')
    outs = {ans};
  end
end

function s = describe(name, args, nout)
  parts = cellfun(@(a) sprintf('%s %s', class(a), regexprep(mat2str(size(a)), ' ', 'x')), ...
                  args, 'UniformOutput', false);
  s = sprintf('%d = %s(%s)', nout, name, strjoin(parts, ', '));
end
