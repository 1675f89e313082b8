% Run by pkg install once the files are in place. Lays the modules out as
% every other build does: each module's comment-only help file beside its
% .mex (so that help and lookfor find it from the module's folder), and the
% first-generation builds (src/legacy) in the folder legacy next to them,
% where addpath(fullfile(fileparts(which('coatdelay')), 'legacy')) finds
% them. pkg uninstall removes these folders with everything else.
function post_install(desc)
  modules = glob(fullfile(desc.archprefix, '*', '*.mex'));
  if isempty(modules)
    error('coatings: no module was installed under %s', desc.archprefix);
  end
  folder = fileparts(modules{1});
  for i = 1:numel(modules)
    [~, name] = fileparts(modules{i});
    help_file = fullfile(desc.dir, [name '.m']);
    if exist(help_file, 'file')
      movefile(help_file, folder);
    end
  end
  legacy = glob(fullfile('src', 'legacy', '*'));
  if !isempty(legacy)
    mkdir(fullfile(folder, 'legacy'));
    copyfile(legacy, fullfile(folder, 'legacy'));
  end
end
