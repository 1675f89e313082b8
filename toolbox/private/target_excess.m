% [s, c] = target_excess(e, q): how far the values q (a x n, at the target's
% angles and wavelengths) lie beyond the completed target e, in the unit of
% its quantity: s the deviation beyond the tolerance, signed, 0 where the
% target is met; c the free constant taken off first (the mean deviation
% where the offset is free, else 0). A one-sided target costs only on its
% wrong side. A target of every point judges each of its a x n values (s is
% a x n); a 'mean' target the mean over its band at each angle (s is a x 1,
% band_weights).
%
% Rounding is no excess: a deviation within 8 ulps of the largest magnitude
% among the values, the target and its tolerance and scale is 0, so that a
% design ending exactly on a one-sided bound (as optimisers leave one)
% meets it.
function [s, c] = target_excess(e, q)
  if strcmp(e.kind, 'mean')
    dev = q * band_weights(e.lambda).' - e.value(1);
  else
    dev = bsxfun(@minus, q, e.value);
  end
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
  rounding = 8 * eps(max([abs(q(:)); abs(e.value(:)); e.tol; e.scale]));
  s(abs(s) <= rounding) = 0;
end
