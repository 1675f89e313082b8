% bench_report(core_json)
% Prints the benchmark table: the core kernels per layer and wavenumber (from
% the Google Benchmark JSON file core_json) against the sin+cos floor, then
% every module end to end in Octave at K = 1000 against the alternatives a
% user would otherwise use, and the cost growth from L = 100 to L = 1000.
function bench_report(core_json)
  print_core(core_json);
  print_end_to_end();
end

function print_core(core_json)
  runs = jsondecode(fileread(core_json)).benchmarks;
  ns = containers.Map();
  for r = runs'
    if iscell(runs), r = r{1}; end
    skipped = isfield(r, 'error_occurred') && r.error_occurred;  % a path this processor lacks
    if isfield(r, 'per_layer') && !skipped, ns(r.name) = r.per_layer * 1e9; end
  end
  printf('\nCore kernels, K = 1000: ns per layer per wavenumber (ratio to the sin+cos floor)\n');
  printf('%-32s %22s %22s %22s\n', 'kernel', 'L = 10', 'L = 100', 'L = 1000');
  Ls = [10 100 1000];
  row = @(label, names) printf('%-32s %s\n', label, strjoin(arrayfun(@(i) cell_of(ns, names{i}, ...
      ns(sprintf('Floor_SinPlusCos/L:%d', Ls(i)))), 1:3, 'UniformOutput', false), ' '));
  row('floor: sin + cos', arrayfun(@(L) sprintf('Floor_SinPlusCos/L:%d', L), Ls, 'UniformOutput', false));
  row('floor: sincos', arrayfun(@(L) sprintf('Floor_SinCos/L:%d', L), Ls, 'UniformOutput', false));
  kernels = {'Coatrefl2', 'coatrefl2', ''; 'Coatdelay2', 'coatdelay2', ''; ...
             'CoatdelayChecked', 'coatdelay (checked)', ''; 'Coatdisp', 'coatdisp', ''; ...
             'Coatdelaygrad', 'coatdelaygrad', ''; 'Coatdispgrad', 'coatdispgrad R, GD, GDD', '/gradients:0'; ...
             'Coatdispgrad', 'coatdispgrad, all six', '/gradients:1'};
  paths = {2, ' [AVX-512]'; 1, ' [AVX2]'; 3, ' [NEON]'; 0, ' [portable]'};
  for p = 1:rows(paths)
    if !isKey(ns, sprintf('Coatrefl2/L:100/path:%d', paths{p, 1})), continue; end
    for m = 1:rows(kernels)
      names = arrayfun(@(L) sprintf('%s/L:%d/path:%d%s', kernels{m, 1}, L, paths{p, 1}, kernels{m, 3}), ...
                       Ls, 'UniformOutput', false);
      row([kernels{m, 2}, paths{p, 2}], names);
    end
  end
  for p = 1:rows(paths)
    for L = Ls
      g = sprintf('Coatdelaygrad/L:%d/path:%d', L, paths{p, 1});
      c = sprintf('CoatdelayChecked/L:%d/path:%d', L, paths{p, 1});
      if isKey(ns, g) && isKey(ns, c)
        printf('coatdelaygrad / coatdelay at L = %4d%s: %.2fx\n', L, paths{p, 2}, ns(g) / ns(c));
      end
      f3 = sprintf('Coatdispgrad/L:%d/path:%d/gradients:0', L, paths{p, 1});
      f6 = sprintf('Coatdispgrad/L:%d/path:%d/gradients:1', L, paths{p, 1});
      d = sprintf('Coatdisp/L:%d/path:%d', L, paths{p, 1});
      if isKey(ns, f3) && isKey(ns, f6) && isKey(ns, d)
        printf('coatdispgrad / coatdisp at L = %4d%s: R, GD, GDD %.2fx, all six %.2fx\n', ...
               L, paths{p, 2}, ns(f3) / ns(d), ns(f6) / ns(d));
      end
    end
  end
  printf('Kernel cost growth from L = 100 to L = 1000 (10x is linear)\n');
  for p = 1:rows(paths)
    for name = {'Coatdelaygrad/L:%d/path:%d', 'Coatdispgrad/L:%d/path:%d/gradients:1'}
      a = sprintf(name{1}, 100, paths{p, 1});  b = sprintf(name{1}, 1000, paths{p, 1});
      if isKey(ns, a) && isKey(ns, b)
        printf('  %-40s %6.2fx\n', [strtok(name{1}, '/') paths{p, 2}], 10 * ns(b) / ns(a));
      end
    end
  end
  print_needle(ns, paths);
  print_response(ns, paths);
  print_profile(ns, paths);
  print_threads(runs);
end

% Threaded: real time per call with 1 and 2 threads.
function print_threads(runs)
  t = containers.Map();
  for r = runs'
    if iscell(runs), r = r{1}; end
    if strncmp(r.name, 'Threaded/', 9), t(regexprep(r.name, '/real_time$', '')) = r.real_time; end
  end
  names = {'coatdispgrad, all six', 'coatresponse, R, GD, GDD and gradients'};
  for kernel = 0:1
    for small = 0:1
      a = sprintf('Threaded/kernel:%d/threads:1/small:%d', kernel, small);
      b = sprintf('Threaded/kernel:%d/threads:2/small:%d', kernel, small);
      if isKey(t, a) && isKey(t, b)
        printf('%s, %s: 2 threads %.2fx faster than 1\n', names{kernel + 1}, ...
               {'K = 1000, L = 100', 'K = 50, L = 20'}{small + 1}, t(a) / t(b));
      end
    end
  end
end

% coatprofile at L = 100 against coatresponse (bench/core_bench.cpp).
function print_profile(ns, paths)
  q = @(p, P, n) sprintf('Coatprofile/L:100/path:%d/P:%d/question:%d', p, P, n);
  r = @(p, n) sprintf('Coatresponse/L:100/path:%d/question:%d', p, n);
  for p = 1:rows(paths)
    c = paths{p, 1};
    if !isKey(ns, q(c, 100, 0)) || !isKey(ns, r(c, 3)), continue; end
    printf('coatprofile, L = 100, P = 100%s: E2 %.2fx coatresponse R alone; needles of R, GD, GDD %.2fx coatresponse with dR, dGD, dGDD; ng %.2fx the values of its merit; P = 1000 %.2fx P = 100 (needles)\n', ...
           paths{p, 2}, ns(q(c, 100, 0)) / ns(r(c, 5)), ns(q(c, 100, 1)) / ns(r(c, 3)), ...
           ns(q(c, 100, 2)) / ns(r(c, 5)), ns(q(c, 1000, 1)) / ns(q(c, 100, 1)));
  end
end

% coatresponse against coatdispgrad and against itself (bench/core_bench.cpp,
% Coatresponse: the questions by number).
function print_response(ns, paths)
  q = @(L, p, n) sprintf('Coatresponse/L:%d/path:%d/question:%d', L, p, n);
  for p = 1:rows(paths)
    c = paths{p, 1};
    if !isKey(ns, q(100, c, 0)), continue; end
    f3 = sprintf('Coatdispgrad/L:100/path:%d/gradients:0', c);
    f6 = sprintf('Coatdispgrad/L:100/path:%d/gradients:1', c);
    printf('coatresponse, L = 100%s:
', paths{p, 2});
    printf('  R, GD, GDD: %.2fx coatdispgrad''s; absorbing layers %.2fx; with TOD %.2fx without
', ...
           ns(q(100, c, 0)) / ns(f3), ns(q(100, c, 1)) / ns(f3), ns(q(100, c, 2)) / ns(q(100, c, 0)));
    printf('  all six: %.2fx coatdispgrad''s six; g of R and GDD: %.2fx the values alone
', ...
           ns(q(100, c, 3)) / ns(f6), ns(q(100, c, 4)) / ns(q(100, c, 5)));
    printf('  growth L = 100 to 1000: R, GD, GDD %.2fx, all six %.2fx; M = 5 against M = 2: %.2fx\n', ...
           10 * ns(q(1000, c, 0)) / ns(q(100, c, 0)), 10 * ns(q(1000, c, 3)) / ns(q(100, c, 3)), ...
           ns(q(100, c, 6)) / ns(q(100, c, 0)));
  end
end

% coatneedle at L = 100 with P = 100 depths against coatdispgrad with all six
% outputs, and its growth from P = 100 to P = 1000 depths.
function print_needle(ns, paths)
  for p = 1:rows(paths)
    n100 = sprintf('Coatneedle/L:100/path:%d/P:100', paths{p, 1});
    n1000 = sprintf('Coatneedle/L:100/path:%d/P:1000', paths{p, 1});
    all6 = sprintf('Coatdispgrad/L:100/path:%d/gradients:1', paths{p, 1});
    if isKey(ns, n100) && isKey(ns, n1000) && isKey(ns, all6)
      printf('coatneedle, L = 100, P = 100%s: %.2fx coatdispgrad (all six); P = 1000: %.2fx P = 100\n', ...
             paths{p, 2}, ns(n100) / ns(all6), ns(n1000) / ns(n100));
    end
  end
end

function s = cell_of(ns, name, floor_ns)
  if isKey(ns, name)
    s = sprintf('%8.2f ns (%5.2fx)', ns(name), ns(name) / floor_ns);
  else
    s = sprintf('%22s', 'n/a');
  end
end

% Median wall time of f() over repeated calls, about 0.3 s in all.
function t = timed(f)
  tic;  f();  once = toc;
  reps = max(3, min(200, ceil(0.3 / max(once, 1e-6))));
  times = zeros(1, reps);
  for r = 1:reps
    tic;  f();  times(r) = toc;
  end
  t = median(times);
end

function c = workload(L, K)
  c.k = linspace(6.6, 9.6, K);
  j = (0:L-1)';
  phase = 0.6 + 2.1 * mod(j, 17) / 16;            % layer phases at k = 8.1
  c.d = phase ./ (8.1 * (2.3 - 0.85 * mod(j, 2)));
  c.N = repmat([2.3; 1.45; 1.52], 1, K);
  c.Np = repmat([0.02; 0.004; 0.005], 1, K);
end

% Median time of one call of every module on the workload c.
function t = time_modules(c)
  a = {c.k, c.d, 1, c.N, c.Np, 0.2, 'TE'};
  t.coatrefl2 = timed(@() coatrefl2(c.k, c.d, 1, c.N, 0.2));
  t.coatdelay2 = timed(@() coatdelay2(a{:}));
  t.coatdelay = timed(@() two_outputs(@coatdelay, a));
  t.coatdisp = timed(@() coatdisp(a{:}));
  t.coatdisp2 = timed(@() coatdisp2(a{1:6}));
  t.coatdelaygrad = timed(@() four_outputs(@coatdelaygrad, a));
  full = [a(1:5), {0.05 * c.Np}, a(6:7)];
  t.coatdispgrad3 = timed(@() three_outputs(@coatdispgrad, full));
  t.coatdispgrad = timed(@() six_outputs(@coatdispgrad, full));
end

function print_end_to_end()
  K = 1000;
  c = workload(100, K);
  a = {c.k, c.d, 1, c.N, c.Np, 0.2, 'TE'};
  t = time_modules(c);
  t.octave_R = timed(@() octave_tmm(c.k, c.d, 1, c.N, 0.2, 'TE'));
  t.octave_RGD = timed(@() two_outputs(@octave_tmm, {c.k, c.d, 1, c.N, 0.2, 'TE'}));
  t.fd_gradient = timed(@() fd_gradient(a));
  t.fd_full = timed(@() fd_full_gradient([a(1:5), {0.05 * c.Np}, a(6:7)]));
  per = @(s) 1e9 * s / (K * 100);

  printf('\nEnd to end in Octave, K = 1000, L = 100 (median wall time per call)\n');
  printf('%-44s %10s %14s\n', 'call', 'ms', 'ns/layer/wn');
  rowsOf = {'coatrefl2', 'coatdelay2', 'coatdelay', 'coatdisp', 'coatdisp2', 'coatdelaygrad', ...
            'coatdispgrad3', 'coatdispgrad', 'octave_R', 'octave_RGD', 'fd_gradient', 'fd_full'};
  labels = {'coatrefl2', 'coatdelay2', 'coatdelay (checked)', 'coatdisp', 'coatdisp2', ...
            'coatdelaygrad', 'coatdispgrad: R, GD, GDD', 'coatdispgrad: all six', ...
            'Octave characteristic matrices: R', ...
            'Octave characteristic matrices: R and GD', 'gradient by central differences of coatdelay', ...
            'gradients by central differences of coatdispgrad'};
  for i = 1:numel(rowsOf)
    printf('%-44s %10.3f %14.1f\n', labels{i}, 1e3 * t.(rowsOf{i}), per(t.(rowsOf{i})));
  end
  printf('coatrefl2 against Octave R:               %6.1fx faster\n', t.octave_R / t.coatrefl2);
  printf('coatdelay2 against Octave R and GD:       %6.1fx faster\n', t.octave_RGD / t.coatdelay2);
  printf('coatdelaygrad against central differences: %5.1fx faster\n', t.fd_gradient / t.coatdelaygrad);
  printf('coatdispgrad against central differences:  %5.1fx faster\n', t.fd_full / t.coatdispgrad);

  big = time_modules(workload(1000, K));
  printf('\nCost growth from L = 100 to L = 1000 (10x is linear)\n');
  for m = {'coatrefl2', 'coatdelay2', 'coatdelay', 'coatdisp', 'coatdisp2', 'coatdelaygrad', ...
           'coatdispgrad3', 'coatdispgrad'}
    printf('%-16s %6.2fx\n', m{1}, big.(m{1}) / t.(m{1}));
  end
end

function two_outputs(f, a)
  [~, ~] = f(a{:});
end

function three_outputs(f, a)
  [~, ~, ~] = f(a{:});
end

function four_outputs(f, a)
  [~, ~, ~, ~] = f(a{:});
end

function six_outputs(f, a)
  [~, ~, ~, ~, ~, ~] = f(a{:});
end

% dR, dGD, dGDD by central differences of coatdispgrad's R, GD, GDD: 2L calls.
function [dR, dGD, dGDD] = fd_full_gradient(a)
  d = a{2};  L = numel(d);  h = 1e-6;
  dR = zeros(L, numel(a{1}));  dGD = dR;  dGDD = dR;
  for j = 1:L
    up = a;  up{2}(j) += h;  down = a;  down{2}(j) -= h;
    [Ru, GDu, GDDu] = coatdispgrad(up{:});
    [Rd, GDd, GDDd] = coatdispgrad(down{:});
    dR(j, :) = (Ru - Rd) / (2 * h);
    dGD(j, :) = (GDu - GDd) / (2 * h);
    dGDD(j, :) = (GDDu - GDDd) / (2 * h);
  end
end

% dGD(j, :) by central differences of coatdelay in each thickness: 2L calls.
function dGD = fd_gradient(a)
  d = a{2};  L = numel(d);  h = 1e-6;
  dGD = zeros(L, numel(a{1}));
  for j = 1:L
    up = a;  up{2}(j) += h;  down = a;  down{2}(j) -= h;
    [~, gu] = coatdelay(up{:});
    [~, gd] = coatdelay(down{:});
    dGD(j, :) = (gu - gd) / (2 * h);
  end
end
