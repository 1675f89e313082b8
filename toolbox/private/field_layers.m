% layers = field_layers(design, selector): the layers a field target bounds,
% in the design as it is now (so that they follow a design whose layers are
% added or removed): a material number (every layer of that material) or
% {'outer', c} (the c layers next to the ambient, fewer in a thinner stack),
% as check_targets leaves the selector. A row of layer numbers, possibly
% empty.
function layers = field_layers(design, selector)
  L = numel(design.d);
  if iscell(selector)
    layers = 1:min(selector{2}, L);
    return;
  end
  layers = find(design.m(:).' == selector);
end
