% s = material_name(m): a material as tables, legends and summaries name
% it: a catalogue name as it is, a struct of coefficients '<model> model'.
function s = material_name(m)
  if ischar(m)
    s = m;
  elseif isstruct(m) && isfield(m, 'model')
    s = [char(m.model) ' model'];
  else
    s = 'a material struct';
  end
end
