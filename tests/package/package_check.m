% package_check(tarball, scratch, modules, legacy, reference): installs the
% Octave package as a user does, but into the folder scratch with package
% lists of its own (the user's packages are never touched), loads it, checks
% its modules against the reference build (check_modules: test blocks, help
% examples, the first-generation builds in legacy), checks help coatdisp,
% and uninstalls. Errors out at the first fault.
function package_check(tarball, scratch, modules, legacy, reference)
  confirm_recursive_rmdir(false);
  if exist(scratch, 'dir')
    rmdir(scratch, 's');
  end
  mkdir(scratch);
  prefix = fullfile(scratch, 'packages');
  pkg('prefix', prefix, prefix);
  pkg('local_list', fullfile(scratch, 'local_list'));
  pkg('global_list', fullfile(scratch, 'global_list'));
  tic;
  pkg('install', '-local', tarball);
  printf('pkg install: %.1f s\n', toc);
  installed = pkg('list');
  assert(numel(installed) == 1 && strcmp(installed{1}.name, 'coatings'));

  pkg('load', 'coatings');
  folder = fileparts(which(modules{1}));
  assert(strncmp(folder, prefix, numel(prefix)), 'pkg load gave %s', folder);
  check_modules(folder, modules, legacy, reference);
  text = help('coatdisp');
  assert(!isempty(strfind(text, 'group-delay dispersion')) && isempty(strfind(text, '%!')));

  pkg('unload', 'coatings');
  pkg('uninstall', '-local', 'coatings');
  assert(isempty(pkg('list')) && numel(dir(prefix)) == 2, 'pkg uninstall left files');
  printf('package: %d modules and %d first-generation builds checked\n', ...
         numel(modules), numel(legacy));
end
