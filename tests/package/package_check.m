% package_check(tarball, home, lists, reference): installs the Octave package
% as a user without root does, `pkg install -local`, in an octave-cli whose
% HOME is the scratch folder home (so pkg's local prefix and list lie under
% it, and the user's packages are never touched); checks that the system's
% package list was left alone, loads the package, checks its modules
% against the reference build (check_modules: test blocks, help examples, the
% first-generation builds in legacy), its functions and examples, every
% pointer of every installed help text (check_pointers), and help coatdisp;
% then uninstalls. lists: what sources.txt lists (coat_sources), which must
% name everything of the tree (check_lists). Errors out at the first fault.
function package_check(tarball, home, lists, reference)
  assert(strcmp(getenv('HOME'), home), 'HOME is %s, not the scratch folder', getenv('HOME'));
  check_lists(lists);
  confirm_recursive_rmdir(false);
  if exist(home, 'dir')
    rmdir(home, 's');
  end
  mkdir(home);
  global_list = pkg('global_list');
  before = list_state(global_list);
  tic;
  pkg('install', '-local', tarball);
  printf('pkg install -local: %.1f s\n', toc);
  assert(isequal(list_state(global_list), before), 'pkg install changed %s', global_list);
  local_list = pkg('local_list');
  assert(strncmp(local_list, home, numel(home)) && exist(local_list, 'file'), ...
         'the local package list %s is not under HOME', local_list);
  installed = pkg('list');
  mine = installed(cellfun(@(p) strcmp(p.name, 'coatings'), installed));
  assert(numel(mine) == 1 && strncmp(mine{1}.dir, home, numel(home)), ...
         'coatings is not installed under HOME');

  pkg('load', 'coatings');
  modules = lists.modules;
  folder = fileparts(which(modules{1}));
  assert(strncmp(folder, home, numel(home)), 'pkg load gave %s', folder);
  check_modules(folder, modules, lists.legacy, reference);
  others = [lists.functions, lists.examples];
  for i = 1:numel(others)
    assert(strncmp(which(others{i}), home, numel(home)), '%s is not in the package', others{i});
  end
  check_helpers(fileparts(which(lists.functions{1})), lists.private);
  check_pointers([modules, others]);
  legacy = fullfile(folder, 'legacy');
  addpath(legacy);
  check_pointers(lists.legacy);
  rmpath(legacy);
  text = help('coatdisp');
  assert(!isempty(strfind(text, 'group-delay dispersion')) && isempty(strfind(text, '%!')));

  pkg('unload', 'coatings');
  pkg('uninstall', '-local', 'coatings');
  installed = pkg('list');
  assert(!any(cellfun(@(p) strcmp(p.name, 'coatings'), installed)), 'pkg uninstall left coatings');
  assert(!exist(mine{1}.dir, 'dir'), 'pkg uninstall left %s', mine{1}.dir);
  assert(isequal(list_state(global_list), before), 'pkg uninstall changed %s', global_list);
  printf('package: %d modules, %d first-generation builds, %d functions and examples checked\n', ...
         numel(modules), numel(lists.legacy), numel(others));
end

% The contents of a package list file, or false where there is none.
function state = list_state(file)
  state = false;
  if exist(file, 'file')
    state = fileread(file);
  end
end
