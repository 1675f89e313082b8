% check_length(who, kind, name, x): a length in um that no coating exceeds,
% checked for the mistake of giving it in nm: any finite element of x at
% or above the limit of its kind raises who:thicknessUnits (who:sigmaUnits
% for a thickness error) naming the input, the value and what it would be
% in um. limit = check_length(kind): the limit alone. Kinds and limits (um):
%   'layer'  50   a layer's thickness or an upper bound on one: the
%                 thickest layers of coatings (cavities of a few half
%                 waves at 30 um) stay below it, and a design in nm has
%                 layers far above it; an optimiser holds every layer
%                 below it too;
%   'dmin'   1    a lower bound on every layer: 1 um is more than a quarter
%                 wave of most materials up to 10 um;
%   'total'  200  a coating's total thickness (thick filters: 50 to 80 um);
%   'sigma'  0.05 a thickness error's standard deviation: 50 nm, beyond any
%                 chamber's (0.2 to 1 nm are usual);
%   'relative' 0.5 a relative one, a fraction of each thickness: 50 %, where
%                 one given in percent (1 for 1 %) lands (who:sigmaUnits);
%   'substrate' 10 to 2e5  a plate's substrate, whose multiple reflections
%                 add in intensity: one under 10 um (a thin film, not a
%                 plate) was given in mm, one of 200 mm or more in nm.
% Kinds, sizes and signs of x are the caller's to check; Inf passes (no bound).
function limit = check_length(who, kind, name, x)
  if nargin == 1
    kind = who;
  end
  switch kind
    case 'layer'
      limit = 50;  reason = 'thicknessUnits';  why = 'no layer of a coating is 50 um thick';
    case 'dmin'
      limit = 1;  reason = 'thicknessUnits';  why = 'a lower bound of 1 um on every layer leaves no thin layer';
    case 'total'
      limit = 200;  reason = 'thicknessUnits';  why = 'no coating is 200 um thick';
    case 'sigma'
      limit = 0.05;  reason = 'sigmaUnits';  why = 'no chamber''s thickness errors reach 50 nm';
    case 'substrate'
      limit = 2e5;  reason = 'thicknessUnits';  why = 'no plate is 200 mm thick';
    otherwise
      limit = 0.5;  reason = 'sigmaUnits';
  end
  if nargin == 1 || ~isnumeric(x) || isempty(x)
    return;
  end
  x = double(real(x(:)));
  if strcmp(kind, 'substrate')
    i = find(isfinite(x) & x < 10, 1);
    if ~isempty(i)
      fault(who, reason, ['%s = %g um, yet a substrate under 10 um is a film, not a plate whose reflections ' ...
                          'add in intensity: lengths are in um, and %g looks like mm (%g um).'], ...
            name, x(i), x(i), x(i) * 1000);
    end
  end
  i = find(isfinite(x) & x >= limit, 1);
  if isempty(i)
    return;
  end
  where = '';
  if numel(x) > 1
    where = sprintf('(%d)', i);
  end
  if strcmp(kind, 'relative')
    fault(who, reason, ['%s%s = %g, yet no chamber''s relative thickness errors reach 50 %%: they are ' ...
                        'fractions, and %g looks like a percentage (%g).'], name, where, x(i), x(i), x(i) / 100);
  end
  fault(who, reason, '%s%s = %g um, yet %s: lengths are in um, and %g looks like nm (%g um).', ...
        name, where, x(i), why, x(i), x(i) / 1000);
end
