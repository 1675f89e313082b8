function out = coat_build(folder)
%COAT_BUILD Build every coatings module with mex, from MATLAB or GNU Octave.
%   coat_build            builds into the folder build-mex beside this file
%   coat_build(folder)    builds into folder
%   folder = coat_build(...) also returns the folder
%
%   Needs a C++17 compiler set up for mex (in MATLAB: mex -setup C++; GCC or
%   Clang, on Windows MinGW-w64); in Octave, mex calls mkoctfile. CMake is
%   not needed. The sources, modules and flags are those of sources.txt, the
%   list the CMake build follows: C++17, -O3, -ffp-contract=off and never
%   -ffast-math (NaN reaches exactly the outputs it belongs to), the
%   instruction-set variants chosen at run time inside the core.
%
%   Every module lands in folder with its help file, the first-generation
%   coatdelay in folder/legacy (see help coatdelay). Then
%     addpath(folder)
%
%   Tested in GNU Octave. Not tested in MATLAB: no MATLAB can be installed on
%   the machines this project is built and tested on.
  root = fileparts(mfilename('fullpath'));
  if nargin < 1
    folder = fullfile(root, 'build-mex');
  end
  list = read_sources(fullfile(root, 'sources.txt'));
  octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
  flags = [{'-std=c++17', '-O3', '-DNDEBUG', '-Wno-psabi'}, list.flags];
  libraries = strcat('-l', list.libraries);
  % What linking a module needs besides: MATLAB's separate complex API
  % (mxGetPr of a complex array is its real part); in Octave on ELF systems,
  % the version script that exports mexFunction and mexVersion alone.
  if ~octave
    linking = {'-R2017b'};
  elseif isunix() && ~ismac()
    linking = {['-Wl,--version-script=' fullfile(root, 'gateways', 'exports.map')]};
  else
    linking = {};
  end

  % The core and the shared gateway code, compiled once, each source with
  % its own flags added.
  objdir = tempname();
  mkdir(objdir);
  cleanup = onCleanup(@() rmdir(objdir, 's'));
  objects = cell(1, size(list.sources, 1));
  for i = 1:numel(objects)
    source = list.sources{i, 1};
    objects{i} = compile(octave, root, source, fullfile(objdir, fileparts(source)), ...
                         [flags, list.sources{i, 2}]);
  end

  % Each module: its gateway linked with those objects, its help beside it.
  builds = [cellfun(@(m) ['gateways/' m], list.modules, 'UniformOutput', false); ...
            cellfun(@(m) ['gateways/legacy/' m], list.legacy, 'UniformOutput', false)];
  folders = [repmat({folder}, size(list.modules)); ...
             repmat({fullfile(folder, 'legacy')}, size(list.legacy))];
  for i = 1:numel(builds)
    if ~exist(folders{i}, 'dir')
      mkdir(folders{i});
    end
    [~, name] = fileparts(builds{i});
    gateway = fullfile(root, [builds{i} '.cpp']);
    if octave   % -s: without the debugging information mkoctfile adds
      mex(gateway, objects{:}, ['-I' root], flags{:}, linking{:}, libraries{:}, ...
          '-s', '-o', fullfile(folders{i}, [name '.' mexext()]));
    else
      settings = matlab_settings(flags);
      mex(linking{:}, ['-I' root], settings{:}, gateway, objects{:}, libraries{:}, ...
          '-output', name, '-outdir', folders{i});
    end
    copyfile(fullfile(root, [builds{i} '.m']), folders{i});
  end
  fprintf('coatings: %d modules built in %s\nuse them with addpath(''%s'')\n', ...
          numel(list.modules), folder, folder);
  if nargout > 0
    out = folder;
  end
end

% Compiles root/source into objdir and returns the object file's name.
function object = compile(octave, root, source, objdir, flags)
  if ~exist(objdir, 'dir')
    mkdir(objdir);
  end
  [~, name] = fileparts(source);
  if octave
    % Files first: mkoctfile takes a file that follows a flag it does not
    % know for that flag's argument.
    object = fullfile(objdir, [name '.o']);
    mex('-c', fullfile(root, source), ['-I' root], flags{:}, '-o', object);
  else
    extension = '.o';
    if ispc()
      extension = '.obj';
    end
    object = fullfile(objdir, [name extension]);
    settings = matlab_settings(flags);
    mex('-c', '-R2017b', ['-I' root], settings{:}, fullfile(root, source), '-outdir', objdir);
  end
end

% MATLAB's mex takes compiler flags as variable settings; -O3 replaces its
% default optimisation flags.
function settings = matlab_settings(flags)
  flags = flags(~ismember(flags, {'-O3', '-DNDEBUG'}));
  settings = {['CXXFLAGS=$CXXFLAGS ' strjoin(flags, ' ')], 'CXXOPTIMFLAGS=-O3 -DNDEBUG'};
end

% The entries of sources.txt: each line a kind and its fields.
function list = read_sources(file)
  list = struct('flags', {{}}, 'libraries', {{}}, 'sources', {cell(0, 2)}, ...
                'modules', {cell(0, 1)}, 'legacy', {cell(0, 1)});
  lines = regexp(fileread(file), '\r?\n', 'split');
  for i = 1:numel(lines)
    fields = regexp(strtrim(lines{i}), '\s+', 'split');
    switch fields{1}
      case 'flags'
        list.flags = [list.flags, fields(2:end)];
      case 'library'
        list.libraries = [list.libraries, fields(2:end)];
      case {'core', 'gateway'}
        list.sources(end + 1, :) = {fields{2}, fields(3:end)};
      case 'module'
        list.modules{end + 1, 1} = fields{2};
      case 'legacy'
        list.legacy{end + 1, 1} = fields{2};
    end
  end
end
