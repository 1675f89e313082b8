% coat_build_check(folder, lists, reference, tarball): unpacks the Octave
% package tarball into folder and builds every module with the coat_build it
% carries, as a MATLAB user of a release would, on the path of Windows and
% macOS: the sine and cosine from xsimd, whose headers the package carries.
% Checks the result against the reference build (CMake's, with libmvec)
% within the vector paths' tolerances (check_modules), and that the folder
% coat_build tells users to add gives the functions and examples of
% sources.txt (lists: coat_sources, which must name everything of the tree:
% check_lists) and resolves every pointer of their help texts. Without
% xsimd's headers where they were said to be, it must stop before compiling
% anything and say what is missing.
function coat_build_check(folder, lists, reference, tarball)
  check_lists(lists);
  addpath(unpack_package(tarball, folder));
  try
    coat_build(fullfile(folder, 'none'), 'libmvec', false, 'xsimd', folder);
    error('coat_build went on without xsimd');
  catch failure
    assert(strcmp(failure.identifier, 'coat_build:xsimd') && !exist(fullfile(folder, 'none'), 'dir'));
  end
  tic;
  built = coat_build(fullfile(folder, 'mex'), 'libmvec', false);
  printf('coat_build: %.1f s\n', toc);
  addpath(built);
  check_modules(built, lists.modules, lists.legacy, reference, true);
  others = [lists.functions, lists.examples];
  for i = 1:numel(others)
    assert(strcmp(which(others{i}), fullfile(built, [others{i} '.m'])), ...
           '%s is not in %s', others{i}, built);
  end
  check_helpers(built, lists.private);
  check_pointers([lists.modules, others]);
end
