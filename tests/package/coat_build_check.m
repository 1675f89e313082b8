% coat_build_check(folder, modules, legacy, reference): builds every module
% with coat_build into folder, as a MATLAB or Octave user would, and checks
% the result against the reference build (check_modules).
function coat_build_check(folder, modules, legacy, reference)
  confirm_recursive_rmdir(false);
  if exist(folder, 'dir')
    rmdir(folder, 's');
  end
  tic;
  coat_build(folder);
  printf('coat_build: %.1f s\n', toc);
  addpath(folder);
  check_modules(folder, modules, legacy, reference);
end
