% check_wavelengths(who, name, lambda): wavelengths in um, within 0.1 to 30
% um (the ultraviolet to the thermal infrared, where the catalogue's
% materials and any coating of these functions live); any other value
% raises who:lambdaUnits naming the input, the value and the unit it looks
% like (nm, mm or m). Kinds, sizes and signs are the caller's to check.
function check_wavelengths(who, name, lambda)
  if ~isnumeric(lambda) || isempty(lambda)
    return;
  end
  x = double(real(lambda(:)));
  i = find(isfinite(x) & (x < 0.1 | x > 30), 1);
  if isempty(i)
    return;
  end
  v = x(i);
  guess = '';
  units = {'nm', 1e-3; 'mm', 1e3; 'm', 1e6};
  for u = 1:size(units, 1)
    if v * units{u, 2} >= 0.1 && v * units{u, 2} <= 30
      guess = sprintf(': %g looks like %s (%g um)', v, units{u, 1}, v * units{u, 2});
      break;
    end
  end
  where = '';
  if numel(x) > 1
    where = sprintf('(%d)', i);
  end
  fault(who, 'lambdaUnits', '%s%s = %g is no wavelength in um (0.1 to 30 um are taken)%s.', ...
        name, where, v, guess);
end
