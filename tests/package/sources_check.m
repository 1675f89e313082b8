% sources_check(tarball, folder, cmake): what the one reader of sources.txt
% (cmake/sources.cmake) wrote into the package tarball, unpacked into folder,
% evaluated for targets other than this machine: for each target below, the
% package's Makefile (make -n), the table coat_build reads (coat_sources,
% the one on the path, which must be the package's private copy word for
% word) and the reader itself (cmake, the CMake program, -P) must pick the
% sine and cosine units, their own flags and the libraries given here; every
% compilation of the Makefile must carry every flag and release flag of
% sources.txt; and the reader must stop at each kind of faulty entry.
function sources_check(tarball, folder, cmake)
  top = unpack_package(tarball, folder);
  assert(strcmp(fileread(fullfile(top, 'private', 'coat_sources.m')), ...
                fileread(which('coat_sources'))), 'the package carries another coat_sources');
  root = fileparts(fileparts(fileparts(mfilename('fullpath'))));
  list = fileread(fullfile(root, 'sources.txt'));
  flags = {};
  for kind = {'flags', 'release'}
    line = regexp(list, ['^' kind{1} '\s+([^\n]*)'], 'tokens', 'once', 'lineanchors');
    flags = [flags, strsplit(strtrim(line{1}))];
  end
  s = coat_sources();
  assert(isequal([s.flags, s.release], flags), 'coat_sources lost a flag');

  xsimd = {'platform/trig_xsimd.cpp', ''};
  x86 = [xsimd; {'platform/trig_xsimd_avx2.cpp', '-mavx2'; 'platform/trig_xsimd_avx512.cpp', '-mavx512f'}];
  % machine, libmvec, the sine and cosine units with their own flags, libraries
  targets = {'x86_64-pc-linux-gnu', true, {'platform/vector_trig_mvec.cpp', ''}, {'mvec', 'm'}
             'x86_64-linux-gnu', false, x86, {}
             'x86_64-redhat-linux', true, {'platform/vector_trig_mvec.cpp', ''}, {'mvec', 'm'}
             'x86_64-alpine-linux-musl', true, x86, {}
             'x86_64-w64-mingw32', true, x86, {}
             'aarch64-linux-gnu', true, xsimd, {}
             'arm64-apple-darwin23.1.0', true, xsimd, {}
             'riscv64-linux-gnu', true, xsimd, {}};
  for i = 1:rows(targets)
    [machine, libmvec, units, libraries] = targets{i, :};
    off = {'', ' COAT_LIBMVEC=OFF'}{1 + !libmvec};
    [status, out] = system(sprintf('make -n -C %s MKOCTFILE=mkoctfile COAT_MACHINE=%s%s', ...
                                   fullfile(top, 'src'), machine, off));
    assert(status == 0, out);
    compiled = regexp(out, 'mkoctfile -c (\S+) ([^\n]*) -o ', 'tokens');
    for c = compiled
      assert(all(ismember(flags, strsplit(c{1}{2}))), 'make compiles %s without a flag', c{1}{1});
    end
    make = trig_units(cellfun(@(c) c{1}, compiled, 'UniformOutput', false), ...
                      cellfun(@(c) c{2}, compiled, 'UniformOutput', false), [flags, {'-I.'}]);
    linked = regexp(out, '--mex [^\n]*', 'match', 'once');
    make_libraries = regexprep(regexp(linked, '-l\S+', 'match'), '^-l', '');

    s = coat_sources(machine, libmvec);
    mine = trig_units(s.sources(:, 1)', cellfun(@strjoin, s.sources(:, 2)', ...
                                                 'UniformOutput', false), {});

    [status, out] = system(sprintf('%s -DCOAT_MACHINE=%s -DCOAT_LIBMVEC=%d -P %s 2>&1', cmake, ...
                                   machine, libmvec, fullfile(root, 'cmake', 'sources.cmake')));
    assert(status == 0, out);
    cores = regexp(out, '^core: (\S+) ?([^\n]*)', 'tokens', 'lineanchors');
    reader = trig_units(cellfun(@(c) c{1}, cores, 'UniformOutput', false), ...
                        cellfun(@(c) c{2}, cores, 'UniformOutput', false), {});
    reader_libraries = {};
    for t = regexp(out, '^library: ([^\n]*)', 'tokens', 'lineanchors')
      reader_libraries = [reader_libraries, strsplit(t{1}{1})];
    end

    for [got, who] = struct('make', {make}, 'coat_sources', {mine}, 'cmake', {reader})
      assert(isequal(got, units), '%s builds for %s (libmvec %d): %s', who, machine, libmvec, ...
             sprintf('%s %s; ', got'{:}));
    end
    for [got, who] = struct('make', {make_libraries}, 'coat_sources', {s.libraries}, ...
                            'cmake', {reader_libraries})
      assert(isequal(got(:)', libraries(:)'), '%s links for %s: %s', who, machine, strjoin(got, ' '));
    end
  end

  % Each faulty entry stops the reader, which names its line.
  faults = {'modul    coatnew   Any stack', 'core:avx9  platform/new.cpp', ...
            'module:mvec  coatnew  Any stack', 'example  design_new', ...
            'target  x86_64-*-*-gnu  mvec x86_64', 'library:mvec'};
  faulty = fullfile(folder, 'faulty.txt');
  lines = sum(list == "\n");
  for f = faults
    fid = fopen(faulty, 'w');
    fprintf(fid, '%s%s\n', list, f{1});
    fclose(fid);
    [status, out] = system(sprintf('%s -DCOAT_SOURCES_FILE=%s -P %s 2>&1', cmake, faulty, ...
                                   fullfile(root, 'cmake', 'sources.cmake')));
    assert(status != 0 && !isempty(strfind(out, sprintf('faulty.txt:%d:', lines + 1))), ...
           'the reader took ''%s'': %s', f{1}, out);
  end
end

% The sine and cosine units among sources, sorted, each with its own flags
% (the words of own not among common): a units-by-2 cell.
function units = trig_units(sources, own, common)
  keep = find(!cellfun(@isempty, regexp(sources, 'trig', 'once')));
  [~, order] = sort(sources(keep));
  units = cell(numel(keep), 2);
  for i = 1:numel(keep)
    j = keep(order(i));
    words = strsplit(strtrim(own{j}));
    units(i, :) = {sources{j}, strjoin(words(!ismember(words, [common, {''}])), ' ')};
  end
end
