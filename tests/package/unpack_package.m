% top = unpack_package(tarball, folder): the package tarball unpacked into
% folder, emptied first; top is the package's top folder there.
function top = unpack_package(tarball, folder)
  confirm_recursive_rmdir(false);
  if exist(folder, 'dir')
    rmdir(folder, 's');
  end
  mkdir(folder);
  untar(tarball, folder);
  top = fileparts(glob(fullfile(folder, 'coatings-*', 'DESCRIPTION')){1});
end
