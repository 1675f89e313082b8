% s = natural_scale(quantity): the unit in which a target of that quantity
% without a tolerance is judged, the step a designer writes it in: 0.001
% (0.1 %) for R, T and A (and the whole plate's
% Rplate, Tplate, Aplate), 1 fs for GD and GDt, 1 fs^2 for GDD and GDDt,
% 10 fs^3 for TOD and TODt; 0.01 for |E|^2 (E2), relative to the incident
% wave's |E|^2: a standing wave in front of a mirror runs from 0 to 4 in
% that unit, and a designer bounds the peaks in the layers to a few tenths.
function s = natural_scale(quantity)
  switch quantity
    case {'R', 'T', 'A', 'Rplate', 'Tplate', 'Aplate'}
      s = 1e-3;
    case {'TOD', 'TODt'}
      s = 10;
    case 'E2'
      s = 0.01;
    otherwise
      s = 1;
  end
end
