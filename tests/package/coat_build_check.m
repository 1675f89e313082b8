% coat_build_check(folder, modules, legacy, reference, tarball): unpacks the
% Octave package tarball into folder and builds every module with the
% coat_build it carries, as a MATLAB user of a release would, on the path of
% Windows and macOS: the sine and cosine from xsimd, whose headers the
% package carries. Checks the result against the reference build (CMake's,
% with libmvec) within the vector paths' tolerances (check_modules). Without
% xsimd's headers where they were said to be, it must stop before compiling
% anything and say what is missing.
function coat_build_check(folder, modules, legacy, reference, tarball)
  confirm_recursive_rmdir(false);
  if exist(folder, 'dir')
    rmdir(folder, 's');
  end
  mkdir(folder);
  untar(tarball, folder);
  unpacked = glob(fullfile(folder, 'coatings-*', 'coat_build.m'));
  addpath(fileparts(unpacked{1}));
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
  check_modules(built, modules, legacy, reference, true);
end
