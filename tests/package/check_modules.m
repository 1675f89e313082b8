% check_modules(folder, modules, legacy, reference[, close]): the modules of
% a build in folder, with folder on the path. Each module must be the one the
% path finds, pass the test blocks of its help file, and give, through the
% example of its help, the numbers of the reference build (the CMake build)
% bit for bit, NaN where NaN: the same sources with the same flags make the
% same IEEE arithmetic. With close, a build with another vector sine and
% cosine (xsimd's against libmvec) need only agree within the bound of the
% vector paths (agree). The
% first-generation builds in folder/legacy must pass their test blocks with
% that folder first on the path.
function check_modules(folder, modules, legacy, reference, close = false)
  for i = 1:numel(modules)
    passes_tests(modules{i}, folder);
    built = example_outputs(modules{i});
    addpath(reference);
    unwind_protect
      assert(strcmp(fileparts(which(modules{i})), reference));
      expected = example_outputs(modules{i});
    unwind_protect_cleanup
      rmpath(reference);
    end_unwind_protect
    if close
      agree(built, expected, modules{i});
    else
      assert(isequaln(built, expected), '%s differs from the CMake build', modules{i});
    end
  end
  addpath(fullfile(folder, 'legacy'));
  unwind_protect
    for i = 1:numel(legacy)
      passes_tests(legacy{i}, fullfile(folder, 'legacy'));
    end
  unwind_protect_cleanup
    rmpath(fullfile(folder, 'legacy'));
  end_unwind_protect
end

% Within 1e-12 of the larger of 1 and the largest finite magnitude, NaN
% where NaN, as the core tests compare a vector path with the one-wavenumber
% walk (1e-13 there, on stacks of up to 9 layers). Two vector sines (xsimd's
% and libmvec's) on the help examples' longer stacks: seen up to 1.5e-13
% (coatdisp's GDD); the bound leaves a factor of 5 over that.
function agree(built, expected, module)
  assert(isequal(fieldnames(built), fieldnames(expected)));
  for name = fieldnames(expected)'
    e = expected.(name{1});
    finite = e(isfinite(e));
    try
      assert(built.(name{1}), e, 1e-12 * max([1; abs(finite(:))]));
    catch failure
      error('%s: %s differs from the CMake build: %s', module, name{1}, failure.message);
    end
  end
end

function passes_tests(module, folder)
  assert(strcmp(which(module), fullfile(folder, [module '.' mexext()])), ...
         '%s is not taken from %s', module, folder);
  [n, nmax] = test(fullfile(folder, [module '.m']), 'quiet', stdout);
  assert(nmax > 0 && n == nmax, 'test %s: %d of %d passed', module, n, nmax);
end

function outputs = example_outputs(module)
  eval(help_example(module));
  outputs = struct();
  for name = {'R', 'GD', 'GDD', 'dR', 'dGD', 'dGDD', 'nR', 'nGD', 'nGDD'}
    if exist(name{1}, 'var')
      outputs.(name{1}) = eval(name{1});
    end
  end
  assert(numel(fieldnames(outputs)) > 0, 'the example of %s gave no output', module);
end
