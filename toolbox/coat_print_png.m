function h = coat_print_png(h, file, width, height)
%COAT_PRINT_PNG Write a figure to a PNG file, with no display and no Ghostscript.
%   h = coat_print_png()
%       opens a new invisible figure to draw into (plot, subplot, ...).
%   coat_print_png(h, file)
%   coat_print_png(h, file, width, height)
%       writes figure h to the PNG file at width x height pixels (default
%       800 x 600) and closes the figure.
%
%   Why: Octave's print(h, file, '-dpng') goes through Ghostscript when the
%   figure is drawn by gnuplot, the only graphics toolkit of octave-cli and
%   of a machine without a display, and fails where Ghostscript is not
%   installed. This function writes such a figure through gnuplot's cairo
%   terminal ('-dpngcairo'), which needs neither, and silences the notice
%   about the missing Ghostscript for that call only. A figure drawn by
%   another toolkit (qt in Octave's window, MATLAB) is written with '-dpng',
%   which those render themselves. Drawing with gnuplot needs the gnuplot
%   program (Debian: gnuplot-nox).
%
%   Inputs
%     h       a figure handle (for instance from h = coat_print_png()).
%     file    the PNG file to write, a character array.
%     width   width in pixels, a positive integer (default 800).
%     height  height in pixels, a positive integer (default 600).
%
%   Errors (identifiers coat_print_png:<reason>): h not a figure (notFigure),
%   file not a character array (notFileName), width or height not a positive
%   integer (badSize).
%
%   Example: the reflectance of 15 quarter-wave pairs, as a PNG
%     k = 2*pi ./ linspace(0.6, 1.0, 401);
%     d = repmat([0.8/(4*2.3); 0.8/(4*1.45)], 15, 1);
%     R = coatrefl2(k, d, 1, repmat([2.3; 1.45; 1.45], 1, 401), 0);
%     h = coat_print_png();
%     plot(2*pi ./ k, R);  xlabel('wavelength (um)');  ylabel('R');
%     coat_print_png(h, fullfile(tempdir(), 'mirror.png'), 800, 480);
%
%   See also print, coatrefl2, quarter_wave_mirror.
  octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
  if nargin == 0
    % gnuplot warns that it is discouraged; where it is the only toolkit
    % (no display) it is the right one, so the notice is silenced here.
    if octave
      state = warning('off', 'Octave:gnuplot-graphics');
      h = figure('visible', 'off');
      warning(state);
    else
      h = figure('Visible', 'off');
    end
    return;
  end
  if nargin < 3, width = 800; end
  if nargin < 4, height = 600; end
  if ~(isscalar(h) && ishghandle(h) && strcmp(get(h, 'type'), 'figure'))
    error('coat_print_png:notFigure', 'coat_print_png: input 1 (h) must be a figure handle');
  end
  if ~(ischar(file) && ~isempty(file))
    error('coat_print_png:notFileName', ...
          'coat_print_png: input 2 (file) must be a file name (a character array); a %s was given', ...
          class(file));
  end
  size_ok = @(x) isnumeric(x) && isscalar(x) && isreal(x) && x >= 1 && x == round(x);
  if ~(size_ok(width) && size_ok(height))
    error('coat_print_png:badSize', ...
          'coat_print_png: inputs 3 and 4 (width, height) must be positive integers of pixels');
  end
  if octave && strcmp(get(h, '__graphics_toolkit__'), 'gnuplot')
    device = '-dpngcairo';
  else
    device = '-dpng';
  end
  if octave
    state = warning('off', 'print:nogs');
    failure = [];
    try
      print(h, file, device, sprintf('-S%d,%d', width, height));
    catch failure
    end
    warning(state);
    close(h);
    if ~isempty(failure)
      rethrow(failure);
    end
  else
    % MATLAB: the size in pixels is the paper size in inches at 100 dpi.
    set(h, 'PaperUnits', 'inches', 'PaperPosition', [0 0 width height] / 100);
    print(h, file, device, '-r100');
    close(h);
  end
end

%!function [w, h] = png_size(file)   # the IHDR chunk: width and height, big-endian
%!  fid = fopen(file, 'r');  head = fread(fid, 24, 'uint8')';  fclose(fid);
%!  assert(head(1:8), [137 80 78 71 13 10 26 10]);
%!  w = head(17:20) * 256 .^ (3:-1:0)';  h = head(21:24) * 256 .^ (3:-1:0)';
%!endfunction

%!test  # a figure drawn offscreen is written at the size asked for, and closed
%! file = [tempname() '.png'];
%! h = coat_print_png();
%! assert(get(h, 'visible'), 'off');
%! plot(1:10, (1:10) .^ 2);  title('a parabola');
%! coat_print_png(h, file, 320, 200);
%! unwind_protect
%!   [w, hh] = png_size(file);
%!   assert([w hh], [320 200]);
%!   assert(!ishghandle(h));
%! unwind_protect_cleanup
%!   delete(file);
%! end_unwind_protect

%!test  # the default size
%! file = [tempname() '.png'];
%! h = coat_print_png();  plot(1:3);
%! coat_print_png(h, file);
%! unwind_protect
%!   [w, hh] = png_size(file);
%!   assert([w hh], [800 600]);
%! unwind_protect_cleanup
%!   delete(file);
%! end_unwind_protect

%!error id=coat_print_png:notFigure coat_print_png(0, 'x.png')
%!test
%! h = coat_print_png();
%! unwind_protect
%!   fail("coat_print_png(h, 3)", 'must be a file name');
%!   fail("coat_print_png(h, 'x.png', 0, 200)", 'positive integers');
%!   fail("coat_print_png(h, 'x.png', 320.5, 200)", 'positive integers');
%! unwind_protect_cleanup
%!   close(h);
%! end_unwind_protect
