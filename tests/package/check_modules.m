% check_modules(folder, modules, legacy, reference): the modules of a build
% in folder, with folder on the path. Each module must be the one the path
% finds, pass the test blocks of its help file, and give, through the example
% of its help, the numbers of the reference build (the CMake build) bit for
% bit, NaN where NaN: the same sources with the same flags make the same IEEE
% arithmetic. The first-generation builds in folder/legacy must pass their
% test blocks with that folder first on the path.
function check_modules(folder, modules, legacy, reference)
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
    assert(isequaln(built, expected), '%s differs from the CMake build', modules{i});
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
