function out = coat_build(folder, varargin)
%COAT_BUILD Build every coatings module with mex, from MATLAB or GNU Octave.
%   coat_build            builds into the folder build-mex beside this file
%   coat_build(folder)    builds into folder
%   coat_build(folder, 'xsimd', include)
%                         takes xsimd's headers from the folder include
%                         (the one holding xsimd/xsimd.hpp)
%   coat_build(folder, 'libmvec', false)
%                         takes the sine and cosine from xsimd on x86-64
%                         Linux too
%   folder = coat_build(...) also returns the folder
%
%   Runs from a clone of the repository or from the unpacked Octave package
%   (coatings-<version>.tar.gz, whose sources are in src/).
%
%   The vector sine and cosine come from glibc's libmvec on x86-64 Linux and
%   from xsimd, a header-only library, everywhere else (Windows, macOS,
%   aarch64). xsimd is looked for in the folder given, then in the copy the
%   package carries, then where package managers put it (Homebrew, MacPorts,
%   conda, MSYS2, /usr/include, /usr/local/include).
%
%   Needs a C++17 compiler set up for mex (in MATLAB: mex -setup C++; GCC or
%   Clang, on Windows MinGW-w64); in Octave, mex calls mkoctfile. CMake is
%   not needed. The sources, modules and flags are those of sources.txt, the
%   list the CMake build follows (its flags and release flags: C++17, -O3,
%   -ffp-contract=off and never -ffast-math, so NaN reaches exactly the
%   outputs it belongs to; the instruction-set variants chosen at run time
%   inside the core). An entry of sources.txt it does not know stops it, as
%   it stops the CMake build and the package script.
%
%   Every module lands in folder with its help file, beside the functions
%   for users (coating_indices, coat_print_png, coatdesign, ...), the
%   helpers they share (in folder/private) and the examples
%   (quarter_wave_mirror, design_gdd, ...), as in the installed Octave
%   package; the first-generation coatdelay goes to folder/legacy (help
%   coatdelay tells when to use it). Then
%     addpath(folder)
%   gives them all.
%
%   Tested in GNU Octave. Not tested in MATLAB: no MATLAB can be installed on
%   the machines this project is built and tested on.
  here = fileparts(mfilename('fullpath'));
  if nargin < 1 || isempty(folder)
    folder = fullfile(here, 'build-mex');
  end
  options = struct('xsimd', '', 'libmvec', []);
  for i = 1:2:numel(varargin)
    if ~isfield(options, varargin{i}) || i == numel(varargin)
      error('coat_build:option', ...
            'coat_build: options are ''xsimd'', FOLDER and ''libmvec'', true or false');
    end
    options.(varargin{i}) = varargin{i + 1};
  end
  % The sources: beside this file in the repository, in src/ in the package.
  root = here;
  if ~exist(fullfile(root, 'sources.txt'), 'file')
    root = fullfile(here, 'src');
  end
  octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
  [conditions, mvec] = target_conditions(octave, options.libmvec);
  list = read_sources(fullfile(root, 'sources.txt'), conditions);
  flags = [list.flags, list.release];
  includes = {['-I' root]};
  if ~mvec
    includes{end + 1} = ['-I' find_xsimd(options.xsimd, root)];
  end
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
    objects{i} = compile(octave, root, includes, source, fullfile(objdir, fileparts(source)), ...
                         [flags, list.sources{i, 2}], list.release);
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
      mex(gateway, objects{:}, includes{:}, flags{:}, linking{:}, libraries{:}, ...
          '-s', '-o', fullfile(folders{i}, [name '.' mexext()]));
    else
      settings = matlab_settings(flags, list.release);
      mex(linking{:}, includes{:}, settings{:}, gateway, objects{:}, libraries{:}, ...
          '-output', name, '-outdir', folders{i});
    end
    copyfile(fullfile(root, [builds{i} '.m']), folders{i});
  end
  % The functions for users and the examples beside the modules, the
  % helpers the functions share in private/ there: toolbox/, toolbox/private/
  % and examples/ in a clone, inst/ and inst/private/ in the unpacked package.
  places = {'toolbox', fullfile('toolbox', 'private'), 'examples'};
  packaged = {'inst', fullfile('inst', 'private'), 'inst'};
  targets = {folder, fullfile(folder, 'private'), folder};
  names = {list.functions, list.private, list.examples};
  for j = 1:3
    if ~isempty(names{j}) && ~exist(targets{j}, 'dir')
      mkdir(targets{j});
    end
    for i = 1:numel(names{j})
      file = fullfile(here, places{j}, [names{j}{i} '.m']);
      if ~exist(file, 'file')
        file = fullfile(here, packaged{j}, [names{j}{i} '.m']);
      end
      copyfile(file, targets{j});
    end
  end
  fprintf(['coatings: %d modules, %d functions and %d examples in %s\n' ...
           'use them with addpath(''%s'')\n'], numel(list.modules), numel(list.functions), ...
          numel(list.examples), folder, folder);
  if nargout > 0
    out = folder;
  end
end

% Compiles root/source, with the include folders includes, into objdir and
% returns the object file's name.
function object = compile(octave, root, includes, source, objdir, flags, release)
  if ~exist(objdir, 'dir')
    mkdir(objdir);
  end
  [~, name] = fileparts(source);
  if octave
    % Files first: mkoctfile takes a file that follows a flag it does not
    % know for that flag's argument.
    object = fullfile(objdir, [name '.o']);
    mex('-c', fullfile(root, source), includes{:}, flags{:}, '-o', object);
  else
    extension = '.o';
    if ispc()
      extension = '.obj';
    end
    object = fullfile(objdir, [name extension]);
    settings = matlab_settings(flags, release);
    mex('-c', '-R2017b', includes{:}, settings{:}, fullfile(root, source), '-outdir', objdir);
  end
end

% MATLAB's mex takes compiler flags as variable settings; the release flags
% replace its default optimisation flags.
function settings = matlab_settings(flags, release)
  flags = flags(~ismember(flags, release));
  settings = {['CXXFLAGS=$CXXFLAGS ' strjoin(flags, ' ')], ['CXXOPTIMFLAGS=' strjoin(release, ' ')]};
end

% The conditions of sources.txt this machine meets: its processor, and
% where the vector sine and cosine come from (mvec true: glibc's libmvec,
% on x86-64 Linux unless libmvec is false; else xsimd).
function [conditions, mvec] = target_conditions(octave, libmvec)
  if octave
    machine = computer();   % x86_64-pc-linux-gnu, aarch64-apple-darwin...
    arch = strtok(machine, '-');
    linux = ~isempty(strfind(machine, 'linux')) && isempty(strfind(machine, 'musl'));
  else
    machine = computer('arch');   % glnxa64, maci64, maca64, win64
    arch = 'x86_64';
    if strcmp(machine, 'maca64')
      arch = 'aarch64';
    end
    linux = strcmp(machine, 'glnxa64');
  end
  if strcmp(arch, 'arm64')
    arch = 'aarch64';
  end
  mvec = strcmp(arch, 'x86_64') && linux;
  if ~isempty(libmvec)
    mvec = mvec && logical(libmvec);
  end
  if mvec
    conditions = {'mvec', arch};
  else
    conditions = {'xsimd', arch};
  end
end

% The folder holding xsimd/xsimd.hpp: the one given, the package's copy, or
% a package manager's.
function include = find_xsimd(given, root)
  if ~isempty(given)
    candidates = {given};
  else
    candidates = {root, '/opt/homebrew/include', '/usr/local/include', ...
                  '/opt/local/include', '/usr/include'};
    conda = getenv('CONDA_PREFIX');
    if ~isempty(conda)
      candidates = [candidates, {fullfile(conda, 'include'), fullfile(conda, 'Library', 'include')}];
    end
    if ispc()
      candidates = [candidates, {'C:\msys64\ucrt64\include', 'C:\msys64\mingw64\include'}];
    end
  end
  for i = 1:numel(candidates)
    if exist(fullfile(candidates{i}, 'xsimd', 'xsimd.hpp'), 'file')
      include = candidates{i};
      return;
    end
  end
  error('coat_build:xsimd', ['coat_build: xsimd''s headers (xsimd/xsimd.hpp), which give the ' ...
        'sine and cosine on this platform, are not in %s. Run coat_build from the unpacked ' ...
        'Octave package coatings-<version>.tar.gz, which carries them; or install xsimd ' ...
        '(Homebrew, conda, MSYS2: xsimd; Debian, Ubuntu: libxsimd-dev); or pass the folder ' ...
        'holding xsimd/xsimd.hpp: coat_build(folder, ''xsimd'', include)'], ...
        strjoin(candidates, ', '));
end

% The entries of sources.txt that hold for this target (kind:a,b holds when
% a and b are both among conditions): each line a kind and its fields. An
% unknown kind or condition, conditions on a kind other than core and
% library, or an entry short of the fields its kind needs is an error, as in
% CMake and the package script.
function list = read_sources(file, conditions)
  list = struct('flags', {{}}, 'release', {{}}, 'libraries', {{}}, 'sources', {cell(0, 2)}, ...
                'modules', {cell(0, 1)}, 'legacy', {cell(0, 1)}, 'functions', {cell(0, 1)}, ...
                'private', {cell(0, 1)}, 'examples', {cell(0, 1)});
  % The fewest fields after the kind each kind takes.
  fewest = struct('version', 1, 'flags', 1, 'release', 1, 'library', 1, 'core', 1, ...
                  'gateway', 1, 'module', 2, 'legacy', 1, 'function', 2, 'private', 1, ...
                  'example', 2);
  known = {'mvec', 'xsimd', 'x86_64', 'aarch64'};
  lines = regexp(fileread(file), '\r?\n', 'split');
  for i = 1:numel(lines)
    entry = strtrim(lines{i});
    if isempty(entry) || entry(1) == '#'
      continue;
    end
    fields = regexp(entry, '\s+', 'split');
    [kind, rest] = strtok(fields{1}, ':');
    wrong = '';
    if ~isfield(fewest, kind)
      wrong = 'unknown entry';
    elseif numel(fields) - 1 < fewest.(kind)
      wrong = sprintf('a %s entry takes at least %d field(s)', kind, fewest.(kind));
    elseif ~isempty(rest) && ~any(strcmp(kind, {'core', 'library'}))
      wrong = 'only core and library entries take conditions';
    elseif ~isempty(rest) && ~all(ismember(strsplit(rest(2:end), ','), known))
      wrong = 'unknown condition';
    end
    if ~isempty(wrong)
      error('coat_build:sources', 'coat_build: %s, line %d: ''%s'': %s', file, i, entry, wrong);
    end
    if ~isempty(rest) && ~all(ismember(strsplit(rest(2:end), ','), conditions))
      continue;
    end
    switch kind
      case 'flags'
        list.flags = [list.flags, fields(2:end)];
      case 'release'
        list.release = [list.release, fields(2:end)];
      case 'library'
        list.libraries = [list.libraries, fields(2:end)];
      case {'core', 'gateway'}
        list.sources(end + 1, :) = {fields{2}, fields(3:end)};
      case 'module'
        list.modules{end + 1, 1} = fields{2};
      case 'legacy'
        list.legacy{end + 1, 1} = fields{2};
      case 'function'
        list.functions{end + 1, 1} = fields{2};
      case 'private'
        list.private{end + 1, 1} = fields{2};
      case 'example'
        list.examples{end + 1, 1} = fields{2};
    end
  end
end
