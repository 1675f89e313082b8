% design = check_design(design, who, name, plate): the design with its
% defaults, checked: thicknesses and material numbers as columns, one
% material number per layer within the list, the materials as a row cell,
% the ambient index filled in (1). name is what the messages call it
% (default 'design'); a layer thicker than any coating's (check_length) is
% refused unless plate is true and the design has that one layer (a plate
% or a window, as coatpulse takes it). A design with the fields of a coated
% plate (thickness, back) has them checked too (check_plate). Errors, under
% who: badDesign, badMaterials, noSubstrate (a layer of the last material,
% which is the substrate: the substrate left out of the list),
% thicknessUnits.
function design = check_design(design, who, name, plate)
  if nargin < 3, name = 'design'; end
  if nargin < 4, plate = false; end
  if ~isstruct(design) || numel(design) ~= 1 || ~all(isfield(design, {'d', 'm', 'materials'}))
    fault(who, 'badDesign', ...
         '%s must be a struct with fields d (um), m (material numbers) and materials.', name);
  end
  if ~isfield(design, 'ambient') || isempty(design.ambient)
    design.ambient = 1;
  end
  d = design.d;  m = design.m;
  if ~isnumeric(d) || ~isreal(d) || ~(isvector(d) || isempty(d)) || any(~isfinite(d(:))) || any(d(:) < 0)
    fault(who, 'badDesign', '%s.d must be a vector of thicknesses >= 0 in um.', name);
  end
  if ~(plate && numel(d) == 1)
    check_length(who, 'layer', [name '.d'], d);
  end
  mats = design.materials;
  if ischar(mats)
    mats = {mats};
  elseif isstruct(mats)
    mats = num2cell(mats);
  end
  if ~iscell(mats) || numel(mats) < 1
    fault(who, 'badMaterials', '%s.materials must be a cell array: the layer materials, then the substrate.', name);
  end
  M = numel(mats) - 1;
  if ~isnumeric(m) || numel(m) ~= numel(d) || any(m(:) ~= round(m(:))) || any(m(:) < 1 | m(:) > M + 1)
    fault(who, 'badDesign', ...
         '%s.m must give each of the %d layers a material number 1..%d (%s.materials lists %d, the substrate last).', ...
         name, numel(d), M, name, numel(mats));
  end
  if any(m(:) == M + 1)
    fault(who, 'noSubstrate', ...
         ['%s.materials lists %d materials, and its last (%s) is the substrate, yet layer %d is of ' ...
          'material %d: the substrate is missing from %s.materials (the layer materials, then the substrate).'], ...
         name, numel(mats), material_name(mats{end}), find(m(:) == M + 1, 1), M + 1, name);
  end
  a = design.ambient;
  if ~isnumeric(a) || ~isscalar(a) || ~isreal(a) || ~(a > 0)
    fault(who, 'badDesign', '%s.ambient must be a real index > 0.', name);
  end
  design.d = double(d(:));
  design.m = double(m(:));
  design.materials = mats(:).';
  design.ambient = double(a);
  if isfield(design, 'thickness') || isfield(design, 'back')
    design = check_plate(design, who);
  end
end
