% p = polarizations(pol): the polarisations a target's pol is the mean of.
function p = polarizations(pol)
  if strcmp(pol, 'avg')
    p = {'s', 'p'};
  else
    p = {pol};
  end
end
