% h = offscreen_figure()
% A figure that needs no display: gnuplot draws it, and write_png writes it
% through cairo (no Ghostscript either).
function h = offscreen_figure()
  warning('off', 'Octave:gnuplot-graphics');   % gnuplot is the headless toolkit here
  graphics_toolkit('gnuplot');
  h = figure('visible', 'off');
end
