% A designer's misuse of the toolbox's functions, in the ways met in use:
% lengths and wavelengths in nm, reflectances in percent, angles in degrees,
% thickness errors in nm, a substrate left out, names spelt otherwise. Each
% misuse must raise an error whose identifier is function:reason and whose
% message names the input and the likely mistake; nothing may be accepted
% silently. Names spelt otherwise (any case, 'TE' for 's') must be accepted
% and mean what their usual spelling means.

%!function expect(call, id, part)   # call() fails with identifier id, its message holding part
%!  try
%!    call();
%!  catch failure
%!    assert(strcmp(failure.identifier, id), 'identifier %s, not %s, for %s: %s', failure.identifier, ...
%!           id, func2str(call), failure.message);
%!    assert(!isempty(strfind(failure.message, part)), 'message of %s lacks ''%s'': %s', ...
%!           func2str(call), part, failure.message);
%!    return;
%!  end
%!  error('accepted silently: %s', func2str(call));
%!endfunction

%!shared design, mats, t, pulse, fns
%! mats = {'TiO2', 'SiO2', 'fused silica'};
%! design = struct('d', [0.0845; 0.1376; 0.0845], 'm', [1; 2; 1], 'materials', {mats});
%! t = struct('quantity', 'R', 'lambda', linspace(0.7, 0.9, 5), 'value', 0.9, 'type', '>=');
%! pulse = struct('lambda', 0.8, 'fwhm', 20);
%! % every design function, called with a design and targets (coatdesign
%! % with the design's materials and the design as its start)
%! fns = {'coattargets',   @(d, t, varargin) coattargets(d, t), ...
%!        'coatoptimize',  @(d, t, varargin) coatoptimize(d, t, 'maxIterations', 0, 'dense', 1, varargin{:}), ...
%!        'coatdesign',    @(d, t, varargin) coatdesign(t, d.materials, 'start', d, 'starts', 1, varargin{:}), ...
%!        'coattolerance', @(d, t, varargin) coattolerance(d, t, 0.001, 'samples', 0, varargin{:}), ...
%!        'coatplot',      @(d, t, varargin) coatplot(d, t, [], [tempname() '.png']), ...
%!        'coatreport',    @(d, t, varargin) coatreport(d, t, tempname())};

%!test  # wavelengths in nm or m, R in percent, angles in degrees: named in every design function
%! for f = 1:2:numel(fns)
%!   who = fns{f};  run = fns{f + 1};
%!   expect(@() run(design, setfield(t, 'lambda', linspace(700, 900, 81))), [who ':lambdaUnits'], ...
%!          'targets(1).lambda(1) = 700 is no wavelength in um (0.1 to 30 um are taken): 700 looks like nm (0.7 um)');
%!   expect(@() run(design, setfield(t, 'lambda', 8e-7)), [who ':lambdaUnits'], 'looks like m (0.8 um)');
%!   expect(@() run(design, setfield(t, 'value', 99.8)), [who ':fractionUnits'], ...
%!          'targets(1).value = 99.8, yet R is a fraction from 0 to 1; 99.8 looks like a percentage (0.998)');
%!   expect(@() run(design, setfield(t, 'value', 1.5)), [who ':fractionUnits'], 'R is a fraction from 0 to 1');
%!   expect(@() run(design, struct('quantity', 'T', 'lambda', 0.8, 'value', 0.03, 'tol', 2)), ...
%!          [who ':fractionUnits'], 'targets(1).tol = 2, yet T is a fraction from 0 to 1; 2 looks like a percentage (0.02)');
%!   expect(@() run(design, setfield(t, 'theta', 45)), [who ':badAngle'], '45 looks like degrees (0.7854 rad)');
%! end

%!test  # thicknesses, bounds, caps and thickness errors in nm
%! nm = setfield(design, 'd', [84.5; 137.6; 84.5]);
%! for f = 1:2:numel(fns)
%!   expect(@() fns{f + 1}(nm, t), [fns{f} ':thicknessUnits'], ...   % coatdesign: start.d
%!          '.d(1) = 84.5 um, yet no layer of a coating is 50 um thick: lengths are in um, and 84.5 looks like nm (0.0845 um)');
%! end
%! for who = {'coatoptimize', 'coatdesign'}
%!   run = fns{find(strcmp(fns, who{1})) + 1};
%!   expect(@() run(design, t, 'dmin', 20), [who{1} ':thicknessUnits'], 'dmin = 20 um, yet a lower bound of 1 um');
%!   expect(@() run(design, t, 'dmax', [300 400]), [who{1} ':thicknessUnits'], 'dmax(1) = 300 um');
%!   expect(@() run(design, t, 'maxThickness', 6000), [who{1} ':thicknessUnits'], ...
%!          'maxThickness = 6000 um, yet no coating is 200 um thick');
%! end
%! expect(@() coatoptimize(design, t, 'upper', [0.1; 150; 0.1]), 'coatoptimize:thicknessUnits', 'upper(2) = 150 um');
%! expect(@() coatdesign(t, mats, 'fixed', struct('d', 150, 'm', 1)), 'coatdesign:thicknessUnits', 'fixed.d = 150 um');
%! expect(@() coattolerance(design, t, 1), 'coattolerance:sigmaUnits', ...
%!        'sigma = 1 um, yet no chamber''s thickness errors reach 50 nm');
%! expect(@() coattolerance(design, t, 1, 'relative', true), 'coattolerance:sigmaUnits', ...
%!        'sigma = 1, yet no chamber''s relative thickness errors reach 50 %: they are fractions, and 1 looks like a percentage (0.01)');
%! % the pulse's wavelength, a measured spectrum's, a coating's layers in
%! % nm; a plate of one layer may be thick (1 mm)
%! expect(@() coatpulse(design, setfield(pulse, 'lambda', 800)), 'coatpulse:lambdaUnits', ...
%!        'pulse.lambda = 800 is no wavelength in um (0.1 to 30 um are taken): 800 looks like nm');
%! measured = struct('wavelength', linspace(750, 850, 51), 'intensity', ones(1, 51));
%! expect(@() coatpulse(design, measured), 'coatpulse:lambdaUnits', 'pulse.wavelength(1) = 750');
%! expect(@() coatpulse([design, nm], pulse), 'coatpulse:thicknessUnits', 'design(2).d(1) = 84.5 um');
%! expect(@() coatpulse(design, pulse, 'theta', 10), 'coatpulse:badOptions', '10 looks like degrees');
%! plate = struct('d', 1000, 'm', 1, 'materials', {{'fused silica', 'fused silica'}});
%! assert(isfinite(coatpulse(plate, pulse, 'mode', 'transmission').delay));
%! expect(@() coatwrite(design, [tempname() '.csv'], 800), 'coatwrite:lambdaUnits', '800 looks like nm');
%! % a plate's substrate in mm, its wavelengths in nm, its angle in degrees; a plate target without a plate
%! slab = setfield(design, 'thickness', 6350);
%! expect(@() coatplate(setfield(design, 'thickness', 6.35), 0.8, 0, 's', 'T'), 'coatplate:thicknessUnits', ...
%!        'design.thickness = 6.35 um, yet a substrate under 10 um is a film, not a plate whose reflections add in intensity: lengths are in um, and 6.35 looks like mm (6350 um)');
%! expect(@() coatplate(slab, 800, 0, 's', 'T'), 'coatplate:lambdaUnits', '800 looks like nm');
%! expect(@() coatplate(slab, 0.8, 45, 's', 'T'), 'coatplate:badAngle', '45 looks like degrees');
%! expect(@() coatplate(slab, 0.8, 0, 's', 'Tplate'), 'coatplate:unknownName', 'known: R, T, A');
%! expect(@() coattargets(design, setfield(t, 'quantity', 'Tplate')), 'coattargets:noPlate', 'it needs thickness');

%!test  # a substrate left out, the first bad target named, unknown names listed
%! bare = struct('d', [0.1; 0.15], 'm', [1; 2], 'materials', {{'TiO2', 'SiO2'}});
%! for f = setdiff(1:2:numel(fns), find(strcmp(fns, 'coatdesign')))   % coatdesign takes the list alone
%!   expect(@() fns{f + 1}(bare, t), [fns{f} ':noSubstrate'], ...
%!          'design.materials lists 2 materials, and its last (SiO2) is the substrate, yet layer 2 is of material 2');
%! end
%! expect(@() coatpulse(bare, pulse), 'coatpulse:noSubstrate', 'the substrate is missing from design.materials');
%! expect(@() coatdesign(t, {'TiO2'}), 'coatdesign:badMaterials', 'the layer materials, then the substrate');
%! u = setfield(setfield(t, 'theta', 0), 'pol', 's');
%! expect(@() coattargets(design, [u, setfield(u, 'theta', 30), setfield(u, 'theta', 60)]), ...
%!        'coattargets:badAngle', 'targets(2).theta');
%! expect(@() coatoptimize(design, [u, u, setfield(u, 'quantity', 'Q'), setfield(u, 'pol', 'x')]), ...
%!        'coatoptimize:badQuantity', 'targets(3).quantity must be one of R, T, A');
%! expect(@() coatdesign(setfield(t, 'pol', 'TEM'), mats), 'coatdesign:badPolarization', ...
%!        '''s'' (or ''TE''), ''p'' (or ''TM'') or ''avg''');
%! expect(@() coatpulse(design, pulse, 'pol', 'avg'), 'coatpulse:badOptions', 'a field has one polarisation');
%! expect(@() coatpulse(design, pulse, 'bounce', 2), 'coatpulse:unknownOption', 'known: bounces, theta');
%! expect(@() coatdesign(t, mats, 'layers', 10), 'coatdesign:unknownOption', 'known: maxLayers');
%! expect(@() coattargets(design, setfield(t, 'kind', 'average')), 'coattargets:badKind', '''mean''');

%!test  # one vocabulary: polarisations, quantities, kinds and option names in any spelling and case
%! u = struct('quantity', {'R', 'GDD', 'GDt'}, 'lambda', [0.78 0.8 0.82], 'value', {0.5, 0, 0}, ...
%!            'theta', 0.2, 'pol', {'s', 'p', 'avg'}, 'kind', 'point');
%! v = struct('quantity', {'r', 'gdd', 'gdt'}, 'lambda', [0.78 0.8 0.82], 'value', {0.5, 0, 0}, ...
%!            'theta', 0.2, 'pol', {'TE', 'tm', 'AVG'}, 'kind', 'Point');
%! [a, ma] = coattargets(design, u);  [b, mb] = coattargets(design, v);
%! assert({b.quantity; b.pol; b.kind}, {a.quantity; a.pol; a.kind});
%! assert(mb, ma);  assert({b.q}, {a.q});
%! p = coatpulse(design, pulse, 'pol', 'p', 'theta', 0.3);
%! q = coatpulse(design, pulse, 'POL', 'TM', 'Theta', 0.3);
%! assert(q.response, p.response);
%! x = coatoptimize(design, t, 'dmin', 0.02, 'maxIterations', 3, 'dense', 1);
%! y = coatoptimize(design, t, 'DMIN', 0.02, 'MaxIterations', 3, 'DENSE', 1);
%! assert(y.d, x.d);
