% [s, c] = target_excess(e, q): how far the values q (a x n, at the target's
% angles and wavelengths) lie beyond the completed target e, in the unit of
% its quantity: s (a x n) the deviation beyond the tolerance, signed, 0
% where the target is met; c the free constant taken off first (the mean
% deviation where the offset is free, else 0). A one-sided target costs only
% on its wrong side.
function [s, c] = target_excess(e, q)
  dev = bsxfun(@minus, q, e.value);
  c = 0;
  if strcmp(e.offset, 'free')
    c = mean(dev(:));
  end
  dev = dev - c;
  switch e.type
    case '='
      s = sign(dev) .* max(abs(dev) - e.tol, 0);
    case '>='
      s = min(dev + e.tol, 0);
    otherwise
      s = max(dev - e.tol, 0);
  end
end
