% p = polarization_name(pol, average): the one name of a polarisation
% given in any of its spellings, in any case: 's' for 's' or 'TE', 'p' for
% 'p' or 'TM', and with average true 'avg' for 'avg' (the mean of s and p);
% '' where pol is none of them.
function p = polarization_name(pol, average)
  p = '';
  if ~ischar(pol) || size(pol, 1) ~= 1
    return;
  end
  names = {'s', 's'; 'te', 's'; 'p', 'p'; 'tm', 'p'};
  if average
    names(end + 1, :) = {'avg', 'avg'};
  end
  i = find(strcmpi(pol, names(:, 1)), 1);
  if ~isempty(i)
    p = names{i, 2};
  end
end
