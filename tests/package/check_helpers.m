% check_helpers(folder, helpers): the helpers the functions share lie in
% folder/private, and a function that stands on them runs there: the
% evaluation of a one-layer design against one target (check_design,
% check_targets, evaluate_targets and those they call) and an option the
% shared parser must refuse, under the function's own identifier.
function check_helpers(folder, helpers)
  for i = 1:numel(helpers)
    assert(exist(fullfile(folder, 'private', [helpers{i} '.m']), 'file') == 2, ...
           'the helper %s is not in %s', helpers{i}, fullfile(folder, 'private'));
  end
  design = struct('d', 0.1, 'm', 1, 'materials', {{'TiO2', 'fused silica'}});
  ev = coattargets(design, struct('quantity', 'R', 'lambda', 0.8, 'value', 1, 'type', '>='));
  assert(ev.worst > 0 && ev.scale == 1e-3);
  try
    coatoptimize(design, ev, 'noSuchOption', 1);
    error('an unknown option was taken');
  catch failure
    assert(strcmp(failure.identifier, 'coatoptimize:unknownOption'), failure.message);
  end
end
