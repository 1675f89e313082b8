% ok = png_written(file): file exists and starts with the PNG signature.
function ok = png_written(file)
  ok = false;
  fid = fopen(file, 'r');
  if fid < 0, return; end
  head = fread(fid, 8, 'uint8')';
  fclose(fid);
  ok = isequal(head, [137 80 78 71 13 10 26 10]);
end
