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
%   Runs from the unpacked Octave package (coatings-<version>.tar.gz, whose
%   sources are in src/), or from a clone of the repository with CMake on
%   the path.
%
%   The vector sine and cosine come from glibc's libmvec on x86-64 Linux and
%   from xsimd, a header-only library, everywhere else (Windows, macOS,
%   aarch64). xsimd is looked for in the folder given, then in the copy the
%   package carries, then where package managers put it (Homebrew, MacPorts,
%   conda, MSYS2, /usr/include, /usr/local/include).
%
%   Needs a C++17 compiler set up for mex (in MATLAB: mex -setup C++; GCC or
%   Clang, on Windows MinGW-w64); in Octave, mex calls mkoctfile. The
%   sources, modules and flags are those of sources.txt, the list the CMake
%   build follows (its flags and release flags: C++17, -O3, -ffp-contract=off
%   and never -ffast-math, so NaN reaches exactly the outputs it belongs to;
%   the instruction-set variants chosen at run time inside the core), as
%   CMake's reader of that list wrote them into coat_sources.m: the package
%   carries it in private/ beside this file; in a clone, coat_build has
%   CMake write it (cmake/sources.cmake), so CMake is needed there alone.
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
  objdir = tempname();
  mkdir(objdir);
  cleanup = onCleanup(@() rmdir(objdir, 's'));
  % The sources: in src/ in the package, beside this file in a clone. What
  % this target builds of them: coat_sources, in private/ here in the
  % package, written by CMake from sources.txt in a clone.
  root = fullfile(here, 'src');
  if exist(fullfile(here, 'sources.txt'), 'file')
    root = here;
    write_sources(root, objdir);
    addpath(objdir);
    restore = onCleanup(@() rmpath(objdir));
    list = coat_sources([], options.libmvec);
    clear restore;
  else
    list = coat_sources([], options.libmvec);
  end
  octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
  flags = [list.flags, list.release];
  includes = {['-I' root]};
  if any(strcmp(list.conditions, 'xsimd'))
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
  objects = cell(1, size(list.sources, 1));
  for i = 1:numel(objects)
    source = list.sources{i, 1};
    objects{i} = compile(octave, root, includes, source, fullfile(objdir, fileparts(source)), ...
                         [flags, list.sources{i, 2}], list.release);
  end

  % Each module: its gateway linked with those objects, its help beside it.
  builds = [strcat('gateways/', list.modules), strcat('gateways/legacy/', list.legacy)];
  folders = [repmat({folder}, size(list.modules)), ...
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

% Writes coat_sources.m into folder from the sources.txt of the clone at
% root, with the one reader of that list (cmake/sources.cmake).
function write_sources(root, folder)
  unix_path = @(path) strrep(path, '\', '/');
  [status, output] = system(sprintf('cmake -DCOAT_WRITE_SOURCES="%s" -P "%s" 2>&1', ...
      unix_path(fullfile(folder, 'coat_sources.m')), unix_path(fullfile(root, 'cmake', 'sources.cmake'))));
  if status ~= 0
    error('coat_build:sources', ['coat_build: CMake did not read %s: %s\nIn a clone, ' ...
          'coat_build needs CMake on the path to read it; the package that ./build.sh ' ...
          'package writes needs none.'], fullfile(root, 'sources.txt'), strtrim(output));
  end
end
