% design = check_plate(design, who): a checked design (check_design) with
% its plate fields checked and filled in: thickness, the substrate's in um
% (check_length's kind 'substrate'); back, the back coating as a struct
% with columns d and m (counted from the substrate outward, in the design's
% materials; none: 0x1 columns); exit, the real index behind the plate
% (default the ambient). Errors, under who: badDesign, noSubstrate,
% thicknessUnits.
function design = check_plate(design, who)
  t = [];
  if isfield(design, 'thickness'), t = design.thickness; end
  if ~isnumeric(t) || ~isscalar(t) || ~isreal(t) || ~isfinite(t) || ~(t > 0)
    fault(who, 'badDesign', 'design.thickness must be the substrate''s thickness in um, a finite scalar > 0.');
  end
  check_length(who, 'substrate', 'design.thickness', t);
  back = struct('d', zeros(0, 1), 'm', zeros(0, 1));
  if isfield(design, 'back') && ~isempty(design.back)
    if ~isstruct(design.back) || numel(design.back) ~= 1 || ~all(isfield(design.back, {'d', 'm'}))
      fault(who, 'badDesign', 'design.back must be a struct with fields d (um, from the substrate outward) and m.');
    end
    b = check_design(struct('d', design.back.d, 'm', design.back.m, 'materials', {design.materials}), ...
                     who, 'design.back');
    back = struct('d', b.d, 'm', b.m);
  end
  if ~isfield(design, 'exit') || isempty(design.exit)
    design.exit = design.ambient;
  end
  e = design.exit;
  if ~isnumeric(e) || ~isscalar(e) || ~isreal(e) || ~isfinite(e) || ~(e > 0)
    fault(who, 'badDesign', 'design.exit must be the real index > 0 of the medium behind the plate.');
  end
  design.thickness = double(t);
  design.back = back;
  design.exit = double(e);
end
