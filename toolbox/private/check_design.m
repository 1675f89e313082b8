% design = check_design(design, who): the design with its defaults, checked:
% thicknesses and material numbers as columns, one material number per
% layer within the list, the materials as a row cell, the ambient index
% filled in (1). Errors, under who: badDesign, badMaterials.
function design = check_design(design, who)
  if ~isstruct(design) || numel(design) ~= 1 || ~all(isfield(design, {'d', 'm', 'materials'}))
    fault(who, 'badDesign', ...
         'input 1 (design) must be a struct with fields d (um), m (material numbers) and materials.');
  end
  if ~isfield(design, 'ambient') || isempty(design.ambient)
    design.ambient = 1;
  end
  d = design.d;  m = design.m;
  if ~isnumeric(d) || ~isreal(d) || ~(isvector(d) || isempty(d)) || any(~isfinite(d(:))) || any(d(:) < 0)
    fault(who, 'badDesign', 'design.d must be a vector of thicknesses >= 0 in um.');
  end
  mats = design.materials;
  if ischar(mats)
    mats = {mats};
  end
  if ~iscell(mats) || numel(mats) < 1
    fault(who, 'badMaterials', 'design.materials must be a cell array: the layer materials, then the substrate.');
  end
  if ~isnumeric(m) || numel(m) ~= numel(d) || any(m(:) ~= round(m(:))) ...
     || any(m(:) < 1 | m(:) > numel(mats) - 1)
    fault(who, 'badDesign', ...
         'design.m must give each of the %d layers a material number 1..%d (design.materials lists %d, the substrate last).', ...
         numel(d), numel(mats) - 1, numel(mats));
  end
  a = design.ambient;
  if ~isnumeric(a) || ~isscalar(a) || ~isreal(a) || ~(a > 0)
    fault(who, 'badDesign', 'design.ambient must be a real index > 0.');
  end
  design.d = double(d(:));
  design.m = double(m(:));
  design.materials = mats(:).';
  design.ambient = double(a);
end
