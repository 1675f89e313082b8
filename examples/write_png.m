% write_png(h, file, width, height)
% Writes figure h to the PNG file at width x height pixels through cairo and
% closes it. The cairo device needs no Ghostscript, so print's notice that
% Ghostscript is missing is silenced for this call only.
function write_png(h, file, width, height)
  state = warning('query', 'print:nogs');
  warning('off', 'print:nogs');
  unwind_protect
    print(h, file, '-dpngcairo', sprintf('-S%d,%d', width, height));
  unwind_protect_cleanup
    warning(state.state, 'print:nogs');
    close(h);
  end_unwind_protect
end
