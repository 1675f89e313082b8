% COATING_INDICES Refractive indices of coating materials and their exact derivatives in wavenumber.
%   [N, Nprime, Nsecond] = coating_indices(k)
%   [N, Nprime, Nsecond] = coating_indices(k, materials)
%
%   k          1xK (or Kx1) vacuum angular wavenumbers 2*pi/lambda, in rad/um,
%              each real, finite and > 0.
%   materials  cell array, one entry per row of the result; each entry a
%              material name of the catalogue below (case, blanks, '-' and
%              '_' ignored: 'fused silica', 'NBK7') or a struct of the
%              caller's own coefficients (see Models); names and structs may
%              be mixed. A single name or struct may be given bare.
%              Default {'TiO2', 'SiO2', 'SiO2'}: a titania-like high-index
%              layer A, a silica layer B and a fused-silica substrate, so
%              that N, Nprime and Nsecond are the 3xK triples (n_A, n_B, n_S)
%              per wavenumber that the modules take.
%   N          numel(materials) x K refractive indices n = n' + i*kappa.
%   Nprime     numel(materials) x K derivatives dn/dk, in um.
%   Nsecond    numel(materials) x K second derivatives d2n/dk2, in um^2.
%   The derivatives are exact derivatives of the model (of the interpolant,
%   for tables), complex where n is.
%
%   Conventions: time dependence exp(-i omega t), so an absorbing medium has
%   Im n = kappa > 0 (metals: Re eps < 0, Im eps > 0). lambda = 2*pi/k in um.
%   The results are real unless some material absorbs at some wavenumber.
%   The film tables carry the kappa their sources give (up to 1 in the
%   near UV, 1e-3 to 1e-10 in the visible, exactly 0 where the source gives
%   0, never < 0); coatresponse and coatprofile take complex indices, the
%   other modules real ones: pass them real(N) where kappa is negligible.
%   Wavelengths outside a model's published range are evaluated all the
%   same (the range is the user's to check); only tables refuse them.
%
%   Models (a struct's fields; ' = d/dk):
%   'sellmeier'  fields A (default 1), B, C (vectors, C in um^2):
%       n^2 = A + sum_i B_i lambda^2 / (lambda^2 - C_i). With
%       s = sum_i B_i C_i / (lambda^2 - C_i)^2, t = sum_i B_i C_i / (lambda^2 - C_i)^3,
%       dn/dlambda = -(lambda / n) s,
%       d2n/dlambda2 = (4 lambda^2 t - s - (dn/dlambda)^2) / n,
%       n'  = -(lambda^2 / (2 pi)) dn/dlambda (> 0 for normal dispersion),
%       n'' = (lambda^2 / (2 pi))^2 (d2n/dlambda2 + (2 / lambda) dn/dlambda).
%   'cauchy'  fields A, B (default 0, um^2), C (default 0, um^4):
%       n = A + B / lambda^2 + C / lambda^4 = A + B u + C u^2, u = (k / (2 pi))^2,
%       n'  = (B + 2 C u) 2 k / (2 pi)^2,
%       n'' = (B + 2 C u) 2 / (2 pi)^2 + 2 C (2 k / (2 pi)^2)^2.
%   'drude-lorentz'  fields wp, f, gamma, w0 (vectors), epsinf (default 1),
%       energies in eV (Rakic et al.'s form):
%       eps = epsinf + sum_j f_j wp^2 / D_j,  D_j = w0_j^2 - w^2 - i w gamma_j,
%       w = hc k / (2 pi) the photon energy, hc = 1.23984198 eV um; a term
%       with w0_j = 0 is the free-electron (Drude) term
%       -f_j wp^2 / (w (w + i gamma_j)). n = sqrt(eps) with Im n >= 0, and
%       deps/dw   = sum_j f_j wp^2 (2 w + i gamma_j) / D_j^2,
%       d2eps/dw2 = sum_j f_j wp^2 (2 / D_j^2 + 2 (2 w + i gamma_j)^2 / D_j^3),
%       eps' = (hc / (2 pi)) deps/dw, eps'' = (hc / (2 pi))^2 d2eps/dw2,
%       n' = eps' / (2 n), n'' = (eps'' - 2 n'^2) / (2 n).
%   'table'  fields lambda (um, >= 4 points, strictly monotonic), n, k
%       (kappa, default 0; the field k of the struct, not the input k):
%       Re n(k) is a not-a-knot cubic spline in k through the table's n (twice
%       continuously differentiable, so GD and GDD vary smoothly), kappa(k)
%       a monotone piecewise cubic Hermite interpolant in k (Fritsch-Carlson,
%       as pchip: never negative, and zero wherever the table is zero
%       around it; its second derivative jumps at the table's points).
%       Nprime and Nsecond are the exact derivatives of these cubics. A
%       wavenumber outside the table is refused (no extrapolation).
%   'constant'  field n (a scalar, complex allowed): N = n, Nprime = Nsecond = 0.
%   Example structs:
%     struct('model', 'sellmeier', 'A', 1, 'B', [0.696 0.408], 'C', [0.0047 0.0135])
%     struct('model', 'cauchy', 'A', 1.875, 'B', 6.28e-3, 'C', 5.8e-4)
%     struct('model', 'drude-lorentz', 'wp', 9, 'f', [0.8 0.1], 'gamma', [0.05 1], 'w0', [0 4])
%     struct('model', 'table', 'lambda', [0.4 0.6 0.8 1], 'n', [2.3 2.2 2.15 2.13], 'k', [1e-3 0 0 0])
%     struct('model', 'constant', 'n', 1.5 + 0.01i)
%
%   Catalogue (published coefficients and data; range = where the source
%   holds). Bulk materials:
%   name            model          source, range
%   'TiO2'          sellmeier      rutile, ordinary ray, J. R. DeVore, J. Opt. Soc.
%                                  Am. 41, 416 (1951): n^2 = 5.913 + 0.2441 /
%                                  (lambda^2 - 0.0803), 0.43 to 1.5 um. n = 2.52
%                                  at 800 nm; evaporated or sputtered titania
%                                  films are near 2.3: use 'TiO2 film' for them.
%   'SiO2'          sellmeier      fused silica, I. H. Malitson, J. Opt. Soc. Am. 55,
%   'fused silica'                 1205 (1965), 0.21 to 3.71 um: B = 0.6961663,
%                                  0.4079426, 0.8974794, C = 0.0684043^2,
%                                  0.1162414^2, 9.896161^2. n = 1.4533 at 800 nm.
%                                  For a fused-silica substrate (both names give
%                                  the same numbers); deposited silica: below.
%   'N-BK7'         sellmeier      Schott N-BK7 catalogue data, 0.3 to 2.5 um:
%                                  B = 1.03961212, 0.231792344, 1.01046945,
%                                  C = 0.00600069867, 0.0200179144, 103.560653.
%   'Al2O3'         sellmeier      synthetic sapphire, ordinary ray, 20 C, I. H.
%                                  Malitson and M. J. Dodge, J. Opt. Soc. Am. 62,
%                                  1405 (1972) (formula in M. J. Dodge, Handbook
%                                  of Laser Science and Technology IV, CRC 1986),
%                                  0.2 to 5.0 um: B = 1.4313493, 0.65054713,
%                                  5.3414021, C = 0.0726631^2, 0.1193242^2,
%                                  18.028251^2. Amorphous alumina films are
%                                  lower (about 1.6 to 1.65).
%   'CaF2'          sellmeier      I. H. Malitson, Appl. Opt. 2, 1103 (1963), 24 C,
%                                  0.23 to 9.7 um: B = 0.5675888, 0.4710914,
%                                  3.8484723, C = 0.050263605^2, 0.1003909^2,
%                                  34.649040^2.
%   Films: a deposited oxide is less dense than its crystal or glass, and
%   its index depends on the process; each film here is one published
%   single layer of a named process, a starting point for a design (a
%   chamber's own layers differ by some 0.01 in n: calibrate on them).
%   Tables hold some of the published (lambda, n, kappa) points, n to 1e-6
%   and kappa to 3 digits, checked against published points between them.
%   'Ta2O5', 'Nb2O5' and 'HfO2' have always been these films (no bulk data
%   for them here): each bare name gives its film's numbers.
%   'TiO2 film'     table          electron-beam evaporated, amorphous, 99.6 nm on
%                                  silicon: D. Franta, D. Necas, I. Ohlidal and
%                                  A. Giglia, Proc. SPIE 9628, 96281U (2015),
%                                  ellipsometry and spectrophotometry fitted by
%                                  their universal dispersion model, as tabulated
%                                  from it by the refractiveindex.info database
%                                  (0.11 to 125 um). Taken 0.349 to 2.50 um: 51
%                                  points, each one up to 0.42 um (kappa 0.065
%                                  to 2e-4), then every second, then every
%                                  fifth; within 3e-6 in n and 6 % in kappa of
%                                  the 121 published points between; kappa below
%                                  1e-12 taken as 0 (from 0.72 um). n = 2.2609
%                                  at 800 nm, 2.2333 at 1030 nm; kappa 7e-4 at
%                                  400 nm, 1.5e-6 at 500 nm.
%   'SiO2 film'     table          ion-assisted electron-beam film (300 nm on fused
%                                  silica), L. Gao, F. Lemarchand and M. Lequime,
%                                  J. Eur. Opt. Soc. Rapid Publ. 8, 13010 (2013),
%                                  0.252 to 1.25 um: 21 of the published points
%                                  (2 nm apart), 16 nm apart while kappa falls
%                                  from 1.2e-3 to 0 at 0.404 um, then 50 to 100
%                                  nm; within 2e-6 in n and 4 % in kappa of 84
%                                  published points between them. n = 1.4727 at
%                                  800 nm, 1.4705 at 1030 nm. Pairs with 'Ta2O5
%                                  film' (same laboratory, process and method).
%   'SiO2 sputtered film'  table   magnetron-sputtered film (580 nm on BK7),
%                                  F. Lemarchand (2013), measured and published
%                                  as 'Nb2O5 film' (below), 0.25 to 2.5 um: 19
%                                  of the points (5 nm apart), kappa 2.6e-4 to
%                                  1.0e-4 up to 0.325 um, 0 from 0.33 um; within
%                                  1e-6 in n and 7 % in kappa of 45 published
%                                  points between them. n = 1.4692 at 800 nm,
%                                  1.4673 at 1030 nm. Pairs with 'Nb2O5 film'.
%   'Ta2O5 film'    table          ion-assisted electron-beam film (400 nm on BK7),
%   'Ta2O5'                        L. Gao, F. Lemarchand and M. Lequime, Opt.
%                                  Express 20, 15734 (2012), 0.35 to 1.8 um: 19
%                                  of the published (lambda, n, kappa) points,
%                                  denser in the near UV; at nine published
%                                  points between them the interpolant is within
%                                  1e-6 of n and kappa. n = 2.1124 at 800 nm.
%   'Nb2O5 film'    table          magnetron-sputtered film (500 nm on BK7),
%   'Nb2O5'                        F. Lemarchand (2013), measured as in Gao et
%                                  al. (above), data as published in the
%                                  refractiveindex.info database, 0.25 to 2.5
%                                  um: every published point (5 nm apart) up to
%                                  0.4 um, where kappa falls from 1.06 to 1e-3,
%                                  then 21 more; within 4e-6 of nine published
%                                  points between them. n = 2.2810 at 800 nm.
%   'HfO2 film'     cauchy         electron-beam evaporated film, M. F. Al-Kuhaili,
%   'HfO2'                         Opt. Mater. 27, 383 (2004), the author's fit,
%                                  0.2 to 2.0 um: A = 1.875, B = 6.28e-3, C =
%                                  5.80e-4 (no kappa given). n = 1.8862 at 800 nm.
%   Metals:
%   'Ag', 'Au',     drude-lorentz  A. D. Rakic, A. B. Djurisic, J. M. Elazar and
%   'Al'                           M. L. Majewski, Appl. Opt. 37, 5271 (1998),
%                                  Lorentz-Drude parameters (wp, f, gamma, w0),
%                                  fitted to measured data of several sources;
%                                  ranges as tabulated from the fits by
%                                  refractiveindex.info: Ag 0.25 to 12.4 um
%                                  (0.1 to 5 eV), Au 0.25 to 6.2 um (0.2 to 5
%                                  eV), Al 0.062 to 248 um (0.005 to 20 eV).
%                                  At 600 nm Ag has n = 0.139 + 3.565i.
%
%   Errors (identifiers coating_indices:<reason>): k not real, finite and
%   positive (badWavenumber); materials not a cell array, name or struct
%   (badMaterials); a name not in the catalogue (unknownMaterial, the
%   message lists the known names); a struct without a known model
%   (badModel); a missing, unknown or ill-formed field (badField); a
%   wavenumber outside a table (outsideTable).
%
%   Example: indices of a titania/silica coating on fused silica, 650 to 950 nm
%     k = 2*pi ./ linspace(0.65, 0.95, 301);
%     [N, Np] = coating_indices(k);
%     [R, GD, GDD] = coatdisp(k, d, 1, N, Np, 0, 'TE');   % for a stack d
%     [N, Np, Npp] = coating_indices(k);                   % full dispersion:
%     [R, GD, GDD] = coatdispgrad(k, d, 1, N, Np, Npp, 0, 'TE');
%   and a silver film's index beside the caller's own glass:
%     glass = struct('model', 'cauchy', 'A', 1.5, 'B', 0.004);
%     N = coating_indices(2*pi / 0.8, {'Ag', glass});
%
%   See also coatdisp, coatdispgrad, coatdelay.
function [N, Nprime, Nsecond] = coating_indices(k, materials)
  if nargin < 2, materials = {'TiO2', 'SiO2', 'SiO2'}; end
  check_wavenumbers(k);
  if ischar(materials), materials = {materials}; end
  if isstruct(materials), materials = num2cell(materials); end
  if ~iscell(materials)
    error('coating_indices:badMaterials', ...
          'coating_indices: input 2 (materials) must be a cell array of names and structs, a name or a struct; a %s was given.', ...
          class(materials));
  end
  k = k(:)';
  N = zeros(numel(materials), numel(k));
  Nprime = N;
  Nsecond = N;
  for m = 1:numel(materials)
    model = material_model(materials{m}, m);
    [n, np, npp] = evaluate(model, k, m);
    N(m, :) = n;
    Nprime(m, :) = np;
    Nsecond(m, :) = npp;
  end
end

function check_wavenumbers(k)
  if ~isnumeric(k) || ~isreal(k) || isempty(k) || ~isvector(k)
    error('coating_indices:badWavenumber', ...
          'coating_indices: input 1 (k) must be a nonempty real vector of wavenumbers 2*pi/lambda in rad/um; a %s of size %s was given.', ...
          class(k), mat2str(size(k)));
  end
  bad = find(~(isfinite(k) & k > 0), 1);
  if ~isempty(bad)
    error('coating_indices:badWavenumber', ...
          'coating_indices: input 1 (k) must be finite and positive (rad/um); k(%d) = %g was given.', ...
          bad, double(k(bad)));
  end
end

% The model struct of entry m of materials: a catalogue entry by name, or the
% caller's struct once its fields are checked.
function model = material_model(entry, m)
  if ischar(entry)
    known = catalogue();
    i = find(strcmp(normalized(entry), cellfun(@normalized, {known.name}, 'UniformOutput', false)), 1);
    if isempty(i)
      error('coating_indices:unknownMaterial', ...
            'coating_indices: unknown material ''%s'' (materials{%d}); known: %s.', ...
            entry, m, strjoin({known.name}, ', '));
    end
    model = known(i).model;
  elseif isstruct(entry) && numel(entry) == 1
    model = checked_struct(entry, m);
  else
    error('coating_indices:badMaterials', ...
          'coating_indices: materials{%d} must be a material name or a struct of coefficients; a %s was given.', ...
          m, class(entry));
  end
end

function s = normalized(name)
  s = lower(regexprep(name, '[\s_-]', ''));
end

function model = checked_struct(s, m)
  if ~isfield(s, 'model') || ~ischar(s.model)
    error('coating_indices:badModel', ...
          'coating_indices: materials{%d} needs a field ''model'': ''sellmeier'', ''cauchy'', ''drude-lorentz'', ''table'' or ''constant''.', m);
  end
  switch normalized(s.model)
    case 'sellmeier'
      required = {'B', 'C'};  optional = {'A'};  defaults = {1};
    case 'cauchy'
      required = {'A'};  optional = {'B', 'C'};  defaults = {0, 0};
    case {'drudelorentz', 'lorentzdrude'}
      required = {'wp', 'f', 'gamma', 'w0'};  optional = {'epsinf'};  defaults = {1};
    case 'table'
      required = {'lambda', 'n'};  optional = {'k'};  defaults = {[]};
    case 'constant'
      required = {'n'};  optional = {};  defaults = {};
    otherwise
      error('coating_indices:badModel', ...
            'coating_indices: materials{%d}.model is ''%s''; expected ''sellmeier'', ''cauchy'', ''drude-lorentz'', ''table'' or ''constant''.', ...
            m, s.model);
  end
  allowed = [{'model'}, required, optional];
  given = fieldnames(s);
  for i = 1:numel(given)
    if ~any(strcmp(given{i}, allowed))
      error('coating_indices:badField', ...
            'coating_indices: materials{%d} (%s) has a field ''%s''; its fields are %s.', ...
            m, s.model, given{i}, strjoin(allowed, ', '));
    end
  end
  model = struct('model', normalized(s.model));
  for i = 1:numel(required)
    if ~isfield(s, required{i})
      error('coating_indices:badField', ...
            'coating_indices: materials{%d} (%s) lacks the field ''%s''; it needs %s.', ...
            m, s.model, required{i}, strjoin(required, ', '));
    end
    model.(required{i}) = field_value(s, required{i}, m);
  end
  for i = 1:numel(optional)
    if isfield(s, optional{i})
      model.(optional{i}) = field_value(s, optional{i}, m);
    else
      model.(optional{i}) = defaults{i};
    end
  end
  if strcmp(model.model, 'lorentzdrude'), model.model = 'drudelorentz'; end
  check_model(model, s.model, m);
end

function v = field_value(s, name, m)
  v = s.(name);
  if ~isnumeric(v) || isempty(v) || ~isvector(v) || ~all(isfinite(v(:)))
    error('coating_indices:badField', ...
          'coating_indices: materials{%d}.%s must be a nonempty vector of finite numbers; a %s of size %s was given.', ...
          m, name, class(v), mat2str(size(v)));
  end
  v = double(v(:).');                         % .' : a complex n keeps its sign
end

% What each model needs beyond finite numbers: matching lengths, scalars,
% signs and, for a table, a wavelength axis to interpolate on.
function check_model(model, label, m)
  switch model.model
    case 'sellmeier'
      need_scalar(model, {'A'}, label, m);
      need_real(model, {'A', 'B', 'C'}, label, m);
      need_same_length(model, {'B', 'C'}, label, m);
    case 'cauchy'
      need_scalar(model, {'A', 'B', 'C'}, label, m);
      need_real(model, {'A', 'B', 'C'}, label, m);
    case 'drudelorentz'
      need_scalar(model, {'wp', 'epsinf'}, label, m);
      need_real(model, {'wp', 'f', 'gamma', 'w0', 'epsinf'}, label, m);
      need_same_length(model, {'f', 'gamma', 'w0'}, label, m);
      if any(model.gamma < 0) || any(model.w0 < 0)
        error('coating_indices:badField', ...
              'coating_indices: materials{%d} (%s): gamma and w0 must be >= 0 (a lossy medium, exp(-i omega t)).', m, label);
      end
    case 'table'
      if isempty(model.k), model.k = zeros(size(model.n)); end
      need_real(model, {'lambda', 'n', 'k'}, label, m);
      need_same_length(model, {'lambda', 'n', 'k'}, label, m);
      dl = diff(model.lambda);
      if numel(model.lambda) < 4 || any(model.lambda <= 0) || ~(all(dl > 0) || all(dl < 0))
        error('coating_indices:badField', ...
              'coating_indices: materials{%d} (%s): lambda must hold at least 4 positive, strictly increasing or decreasing wavelengths (um); %d given.', ...
              m, label, numel(model.lambda));
      end
      if any(model.k < 0)
        error('coating_indices:badField', ...
              'coating_indices: materials{%d} (%s): k (kappa, Im n) must be >= 0 (absorption, exp(-i omega t)).', m, label);
      end
    case 'constant'
      need_scalar(model, {'n'}, label, m);
      if imag(model.n) < 0
        error('coating_indices:badField', ...
              'coating_indices: materials{%d} (%s): n = %s has Im n < 0; an absorbing medium has n = n'' + i kappa, kappa >= 0 (exp(-i omega t)).', ...
              m, label, num2str(model.n));
      end
  end
end

function need_scalar(model, names, label, m)
  for i = 1:numel(names)
    if numel(model.(names{i})) ~= 1
      error('coating_indices:badField', ...
            'coating_indices: materials{%d} (%s): %s must be a scalar; %d elements given.', ...
            m, label, names{i}, numel(model.(names{i})));
    end
  end
end

function need_real(model, names, label, m)
  for i = 1:numel(names)
    if ~isreal(model.(names{i}))
      error('coating_indices:badField', ...
            'coating_indices: materials{%d} (%s): %s must be real.', m, label, names{i});
    end
  end
end

function need_same_length(model, names, label, m)
  counts = cellfun(@(f) numel(model.(f)), names);
  if any(counts ~= counts(1))
    error('coating_indices:badField', ...
          'coating_indices: materials{%d} (%s): %s must have the same number of elements; %s given.', ...
          m, label, strjoin(names, ', '), mat2str(counts));
  end
end

function [n, np, npp] = evaluate(model, k, m)
  switch model.model
    case 'sellmeier'
      [n, np, npp] = sellmeier(model.A, model.B, model.C, k);
    case 'cauchy'
      [n, np, npp] = cauchy(model.A, model.B, model.C, k);
    case 'drudelorentz'
      [n, np, npp] = drude_lorentz(model, k);
    case 'table'
      [n, np, npp] = table_interpolant(model, k, m);
    case 'constant'
      n = model.n * ones(size(k));
      np = zeros(size(k));
      npp = np;
  end
end

function [n, np, npp] = sellmeier(A, B, C, k)
  lambda = 2 * pi ./ k;                        % um
  l2 = lambda .^ 2;
  n2 = A * ones(size(l2));
  s = zeros(size(l2));
  t = s;
  for i = 1:numel(B)
    n2 = n2 + B(i) * l2 ./ (l2 - C(i));
    s = s + B(i) * C(i) ./ (l2 - C(i)) .^ 2;
    t = t + B(i) * C(i) ./ (l2 - C(i)) .^ 3;
  end
  n = sqrt(n2);
  dn_dlambda = -lambda ./ n .* s;
  d2n_dlambda2 = (4 * l2 .* t - s - dn_dlambda .^ 2) ./ n;
  np = -(l2 / (2 * pi)) .* dn_dlambda;
  npp = (l2 / (2 * pi)) .^ 2 .* (d2n_dlambda2 + 2 ./ lambda .* dn_dlambda);
end

% A polynomial in u = 1/lambda^2 = (k / (2 pi))^2: no division by lambda left.
function [n, np, npp] = cauchy(A, B, C, k)
  u = (k / (2 * pi)) .^ 2;
  du = 2 * k / (2 * pi) ^ 2;                   % du/dk
  ddu = 2 / (2 * pi) ^ 2;                      % d2u/dk2
  dn_du = B + 2 * C * u;
  n = A + (B + C * u) .* u;
  np = dn_du .* du;
  npp = dn_du * ddu + 2 * C * du .^ 2;
end

function [n, np, npp] = drude_lorentz(model, k)
  hc = 1.23984198;                             % eV um: w = hc / lambda
  w = hc * k / (2 * pi);
  eps = model.epsinf * ones(size(w));
  deps = zeros(size(w));
  ddeps = deps;
  for j = 1:numel(model.f)
    a = model.f(j) * model.wp ^ 2;
    D = model.w0(j) ^ 2 - w .^ 2 - 1i * model.gamma(j) * w;
    q = 2 * w + 1i * model.gamma(j);           % -dD/dw
    eps = eps + a ./ D;
    deps = deps + a * q ./ D .^ 2;
    ddeps = ddeps + a * (2 ./ D .^ 2 + 2 * q .^ 2 ./ D .^ 3);
  end
  deps = deps * (hc / (2 * pi));
  ddeps = ddeps * (hc / (2 * pi)) ^ 2;
  n = sqrt(eps);                               % principal root: Im n >= 0 where Im eps >= 0
  np = deps ./ (2 * n);
  npp = (ddeps - 2 * np .^ 2) ./ (2 * n);
end

% Interpolation in k, the variable the derivatives are taken in, so that the
% derivatives of the piecewise cubics are the returned ones without a chain
% rule; the cubics' coefficients come from spline and pchip.
function [n, np, npp] = table_interpolant(model, k, m)
  kt = 2 * pi ./ model.lambda;
  [kt, order] = sort(kt);
  outside = find(k < kt(1) | k > kt(end), 1);
  if ~isempty(outside)
    error('coating_indices:outsideTable', ...
          'coating_indices: materials{%d} is a table of %g to %g um; k(%d) = %g (lambda = %g um) lies outside it (no extrapolation).', ...
          m, 2 * pi / kt(end), 2 * pi / kt(1), outside, k(outside), 2 * pi / k(outside));
  end
  [n, np, npp] = piecewise_cubic(spline(kt, model.n(order)), k);
  kappa = model.k;
  if isempty(kappa), kappa = zeros(size(model.n)); end
  if any(kappa ~= 0)
    [kap, kapp, kappp] = piecewise_cubic(pchip(kt, kappa(order)), k);
    n = n + 1i * kap;
    np = np + 1i * kapp;
    npp = npp + 1i * kappp;
  end
end

function [y, dy, ddy] = piecewise_cubic(pp, x)
  [breaks, c] = unmkpp(pp);                    % c(:, 1:4): powers 3, 2, 1, 0
  y = ppval(pp, x);
  dy = ppval(mkpp(breaks, [3 * c(:, 1), 2 * c(:, 2), c(:, 3)]), x);
  ddy = ppval(mkpp(breaks, [6 * c(:, 1), 2 * c(:, 2)]), x);
end

function c = catalogue()
  c = struct('name', {}, 'model', {});
  sellmeier_model = @(A, B, C) struct('model', 'sellmeier', 'A', A, 'B', B, 'C', C);
  drude_lorentz_model = @(wp, f, gamma, w0) struct('model', 'drudelorentz', 'wp', wp, 'f', f, ...
                                                   'gamma', gamma, 'w0', w0, 'epsinf', 1);
  B = 0.2441 / 0.0803;
  c(end + 1) = struct('name', 'TiO2', 'model', sellmeier_model(5.913 - B, B, 0.0803));
  silica = sellmeier_model(1, [0.6961663, 0.4079426, 0.8974794], [0.0684043, 0.1162414, 9.896161] .^ 2);
  c(end + 1) = struct('name', 'SiO2', 'model', silica);
  c(end + 1) = struct('name', 'fused silica', 'model', silica);
  c(end + 1) = struct('name', 'N-BK7', 'model', ...
                      sellmeier_model(1, [1.03961212, 0.231792344, 1.01046945], ...
                                      [0.00600069867, 0.0200179144, 103.560653]));
  c(end + 1) = struct('name', 'Al2O3', 'model', ...
                      sellmeier_model(1, [1.4313493, 0.65054713, 5.3414021], ...
                                      [0.0726631, 0.1193242, 18.028251] .^ 2));
  c(end + 1) = struct('name', 'CaF2', 'model', ...
                      sellmeier_model(1, [0.5675888, 0.4710914, 3.8484723], ...
                                      [0.050263605, 0.1003909, 34.649040] .^ 2));
  % Films: the bare names of the oxides without bulk data are their films.
  hafnia = struct('model', 'cauchy', 'A', 1.875, 'B', 6.28e-3, 'C', 5.80e-4);
  c(end + 1) = struct('name', 'HfO2', 'model', hafnia);
  % Published (lambda um, n, kappa) points of the tabulated films.
  ta2o5 = [0.350 2.317048 0.000655; 0.360 2.299649 0.000569; 0.370 2.284205 0.000495
           0.380 2.270419 0.000431; 0.400 2.246896 0.000327; 0.420 2.227622 0.000247
           0.450 2.204562 0.000158; 0.500 2.176708 0.000067; 0.550 2.157262 0.000021
           0.600 2.143086 0.000002; 0.650 2.132408 0;        0.700 2.124149 0
           0.800 2.112356 0;        0.900 2.104484 0;        1.000 2.098955 0
           1.200 2.091878 0;        1.400 2.087676 0;        1.600 2.084976 0
           1.800 2.083136 0];
  nb2o5 = [0.250 3.049580 1.063965; 0.255 3.079132 0.990757; 0.260 3.102520 0.917045
           0.265 3.119809 0.843424; 0.270 3.131130 0.770466; 0.275 3.136674 0.698714
           0.280 3.136685 0.628673; 0.285 3.131452 0.560810; 0.290 3.121301 0.495546
           0.295 3.106589 0.433260; 0.300 3.087695 0.374286; 0.305 3.065014 0.318917
           0.310 3.038957 0.267408; 0.315 3.009942 0.219978; 0.320 2.978400 0.176816
           0.325 2.944769 0.138083; 0.330 2.909504 0.103919; 0.335 2.873078 0.074443
           0.340 2.836018 0.050857; 0.345 2.798877 0.034999; 0.350 2.762242 0.024358
           0.355 2.726899 0.017131; 0.360 2.693980 0.012164; 0.365 2.665907 0.008709
           0.370 2.642547 0.006284; 0.375 2.622007 0.004572; 0.380 2.603584 0.003352
           0.385 2.586864 0.002478; 0.390 2.571562 0.001845; 0.395 2.557471 0.001384
           0.400 2.544428 0.001046; 0.410 2.520995 0.000609; 0.420 2.500485 0.000364
           0.430 2.482346 0.000223; 0.440 2.466170 0.000140; 0.460 2.438526 0.000058
           0.480 2.415755 0.000026; 0.500 2.396677 0.000013; 0.550 2.360317 0.000003
           0.600 2.334657 0.000001; 0.650 2.315726 0;        0.700 2.301291 0
           0.800 2.280972 0;        0.900 2.267586 0;        1.000 2.258265 0
           1.200 2.246423 0;        1.400 2.239439 0;        1.600 2.234967 0
           1.800 2.231929 0;        2.000 2.229768 0;        2.250 2.227845 0
           2.500 2.226474 0];
  % Electron-beam titania: the points of the source's model up to 0.42 um
  % (kappa 0.065 to 2e-4), then every second and every fifth; kappa below
  % 1e-12 is 0.
  tio2 = [0.34861  2.883449 0.0646;   0.352647 2.844287 0.0458;   0.35673  2.806755 0.0314
          0.360861 2.771410 0.0211;   0.36504  2.738975 0.0142;   0.369266 2.709597 0.00963
          0.373542 2.683018 0.00654;  0.377868 2.658912 0.00446;  0.382243 2.636958 0.00305
          0.386669 2.616870 0.0021;   0.391147 2.598403 0.00145;  0.395676 2.581348 0.001
          0.400258 2.565531 0.000698; 0.404893 2.550805 0.000488; 0.409581 2.537045 0.000342
          0.414324 2.524149 0.000241; 0.419121 2.512028 0.00017;  0.428884 2.489816 8.62e-05
          0.438874 2.469922 4.44e-05; 0.449097 2.451975 2.32e-05; 0.459558 2.435688 1.23e-05
          0.470262 2.420834 6.62e-06; 0.498127 2.388841 1.5e-06;  0.527643 2.362627 3.72e-07
          0.558907 2.340809 9.98e-08; 0.592025 2.322425 2.87e-08; 0.627104 2.306780 8.6e-09
          0.664263 2.293355 2.45e-09; 0.703623 2.281749 3.85e-10; 0.745315 2.271651 0
          0.789478 2.262809 0;        0.836257 2.255020 0;        0.885809 2.248117 0
          0.938296 2.241960 0;        0.993894 2.236431 0;        1.05279  2.231428 0
          1.11517  2.226862 0;        1.18124  2.222658 0;        1.25124  2.218746 0
          1.32538  2.215064 0;        1.40391  2.211554 0;        1.4871   2.208164 0
          1.57522  2.204843 0;        1.66855  2.201543 0;        1.76742  2.198214 0
          1.87215  2.194809 0;        1.98308  2.191278 0;        2.10058  2.187570 0
          2.22505  2.183631 0;        2.35689  2.179403 0;        2.49655  2.174821 0];
  % Ion-assisted silica, denser where kappa falls to 0; sputtered silica.
  sio2 = [0.252 1.523846 0.001211; 0.268 1.517209 0.000915; 0.284 1.511687 0.000675
          0.300 1.507046 0.000483; 0.316 1.503109 0.000331; 0.332 1.499742 0.000213
          0.348 1.496838 0.000125; 0.364 1.494316 0.000063; 0.380 1.492110 0.000023
          0.392 1.490629 0.000007; 0.404 1.489276 0;        0.450 1.485008 0
          0.500 1.481613 0;        0.600 1.477171 0;        0.700 1.474484 0
          0.800 1.472737 0;        0.900 1.471538 0;        1.000 1.470680 0
          1.100 1.470045 0;        1.200 1.469561 0;        1.250 1.469362 0];
  sio2_sputtered = [0.250 1.517462 0.000260; 0.275 1.507595 0.000179; 0.300 1.500288 0.000132
                    0.325 1.494715 0.000102; 0.330 1.493759 0;        0.350 1.490361 0
                    0.400 1.484080 0;        0.500 1.476849 0;        0.600 1.472990 0
                    0.700 1.470686 0;        0.800 1.469199 0;        1.000 1.467460 0
                    1.200 1.466519 0;        1.400 1.465953 0;        1.600 1.465587 0
                    1.800 1.465335 0;        2.000 1.465156 0;        2.200 1.465023 0
                    2.500 1.464881 0];
  table_model = @(t) struct('model', 'table', 'lambda', t(:, 1)', 'n', t(:, 2)', 'k', t(:, 3)');
  c(end + 1) = struct('name', 'Ta2O5', 'model', table_model(ta2o5));
  c(end + 1) = struct('name', 'Nb2O5', 'model', table_model(nb2o5));
  c(end + 1) = struct('name', 'TiO2 film', 'model', table_model(tio2));
  c(end + 1) = struct('name', 'SiO2 film', 'model', table_model(sio2));
  c(end + 1) = struct('name', 'SiO2 sputtered film', 'model', table_model(sio2_sputtered));
  c(end + 1) = struct('name', 'Ta2O5 film', 'model', table_model(ta2o5));
  c(end + 1) = struct('name', 'Nb2O5 film', 'model', table_model(nb2o5));
  c(end + 1) = struct('name', 'HfO2 film', 'model', hafnia);
  % Rakic et al.'s Lorentz-Drude parameters, the Drude term first (w0 = 0).
  c(end + 1) = struct('name', 'Ag', 'model', ...
                      drude_lorentz_model(9.01, [0.845, 0.065, 0.124, 0.011, 0.840, 5.646], ...
                                          [0.048, 3.886, 0.452, 0.065, 0.916, 2.419], ...
                                          [0, 0.816, 4.481, 8.185, 9.083, 20.29]));
  c(end + 1) = struct('name', 'Au', 'model', ...
                      drude_lorentz_model(9.03, [0.760, 0.024, 0.010, 0.071, 0.601, 4.384], ...
                                          [0.053, 0.241, 0.345, 0.870, 2.494, 2.214], ...
                                          [0, 0.415, 0.830, 2.969, 4.304, 13.32]));
  c(end + 1) = struct('name', 'Al', 'model', ...
                      drude_lorentz_model(14.98, [0.523, 0.227, 0.050, 0.166, 0.030], ...
                                          [0.047, 0.333, 0.312, 1.351, 3.382], ...
                                          [0, 0.162, 1.544, 1.808, 3.473]));
end

%!test  # Nprime and Nsecond are the central differences of N and Nprime, for every model
%! % h = 1e-4 rad/um: the truncation error (h^2/6) f''' stays below 1e-7 of f'
%! % for these materials and the rounding error eps |f| / h near 1e-11, so a
%! % relative 1e-6 passes exact derivatives and fails a wrong factor or term.
%! % The wavelengths avoid the tables' points, where kappa's Nsecond jumps.
%! names = {'TiO2', 'Al2O3', 'HfO2', 'Nb2O5', 'Ag', 'Au', 'Al', ...
%!          struct('model', 'constant', 'n', 1.5 + 0.01i)};
%! k = 2*pi ./ [0.3173 0.4237 0.5131 0.6173 0.7589 0.9173 1.3117];
%! h = 1e-4;
%! [N, Np, Npp] = coating_indices(k, names);
%! [Nu, Npu] = coating_indices(k + h, names);
%! [Nd, Npd] = coating_indices(k - h, names);
%! assert(size(N), [8 7]);  assert(size(Npp), [8 7]);
%! assert(abs(Np - (Nu - Nd) / (2 * h)) <= 1e-6 * abs(Np) + 1e-12);
%! assert(abs(Npp - (Npu - Npd) / (2 * h)) <= 1e-6 * abs(Npp) + 1e-12);
%! assert([Np(8, :), Npp(8, :)], zeros(1, 14));
%! assert(imag(N(5:7, :)) > 0);              % metals, exp(-i omega t): Im n > 0
%! assert(iscomplex(Np(5:7, :)) && iscomplex(Npp(5:7, :)));

%!test  # published values: the sources' own numbers and independent tabulations
%! N = coating_indices(2*pi ./ [0.5876 0.8], {'fused silica', 'N-BK7', 'Al2O3', 'CaF2'});
%! assert(N(:, 1).', [1.4585 1.5168 1.7682 1.4338], 5e-5);   % n_d of each
%! assert(N(1, 2), 1.4533, 5e-5);
%! % Rakic et al.'s metals as tabulated (5 digits) by refractiveindex.info
%! N = coating_indices(2*pi ./ [0.60060 0.80762 0.80628], {'Ag', 'Au', 'Al'});
%! assert(abs(diag(N).' ./ [0.13943+3.5650i, 0.22906+4.5673i, 2.7026+8.2847i] - 1) < 2e-5);
%! % film tables: their end points as published, and published points between
%! % the catalogue's points
%! assert(coating_indices(2*pi ./ [0.35 1.8], {'Ta2O5'}), [2.317048+0.000655i, 2.083136], 1e-12);
%! assert(coating_indices(2*pi ./ [0.75 1.1], {'Ta2O5'}), [2.117617 2.094918], 1e-5);
%! assert(coating_indices(2*pi ./ [0.415 0.345], {'Nb2O5'}), [2.510414+0.000469i, 2.798877+0.034999i], 1e-5);
%! assert(isreal(coating_indices(2*pi ./ [0.7 1.5], {'Ta2O5', 'Nb2O5'})));   % kappa = 0 there

%!test  # films: the sources' points between the tables' own, weak absorption kept and never < 0
%! N = coating_indices(2*pi ./ [0.443956 0.61283 1.02882], {'TiO2 film'});   % Franta et al.
%! assert(N, [2.460724+3.1993e-5i, 2.312746, 2.233372], 2e-6);
%! assert(imag(N(2)) / 1.39126e-8, 1, 0.02);                 % kappa 1e-8 is carried, not dropped
%! N = coating_indices(2*pi ./ [0.356 0.55 1.03], {'SiO2 film'});   % Gao et al. 2013
%! assert(N, [1.495534+0.000091i, 1.479093, 1.470470], 2e-6);
%! N = coating_indices(2*pi ./ [0.31 0.9 1.55], {'SiO2 sputtered film'});
%! assert(N, [1.497885+0.000118i, 1.468184, 1.465665], 6e-6);
%! films = {'TiO2 film', 'SiO2 film', 'SiO2 sputtered film', 'Ta2O5 film', 'Nb2O5 film', 'HfO2 film'};
%! N = coating_indices(2*pi ./ linspace(0.36, 1.25, 2000), films);
%! assert(all(imag(N(:)) >= 0) && all(imag(N(1, end-1000:end)) == 0));   % exactly real past 0.8 um
%! assert(isequal(coating_indices(8, {'Ta2O5', 'Nb2O5', 'HfO2'}), coating_indices(8, films(4:6))));

%!test  # the caller's structs give the catalogue's numbers from the same coefficients
%! lambda = linspace(0.4, 1.2, 7);  k = 2*pi ./ lambda;
%! silica = struct('model', 'sellmeier', 'B', [0.6961663 0.4079426 0.8974794], ...
%!                 'C', [0.0684043 0.1162414 9.896161] .^ 2);     % A = 1 by default
%! silver = struct('model', 'drude-lorentz', 'wp', 9.01, 'f', [0.845 0.065 0.124 0.011 0.840 5.646], ...
%!                 'gamma', [0.048 3.886 0.452 0.065 0.916 2.419], 'w0', [0 0.816 4.481 8.185 9.083 20.29]);
%! hafnia = struct('model', 'cauchy', 'A', 1.875, 'B', 6.28e-3, 'C', 5.80e-4);
%! [N1, Np1, Npp1] = coating_indices(k, {silica, 'Ag', hafnia});
%! [N2, Np2, Npp2] = coating_indices(k, {'SiO2', silver, 'HfO2'});
%! assert(isequal(N1, N2) && isequal(Np1, Np2) && isequal(Npp1, Npp2));
%! assert(N1(3, :), 1.875 + 6.28e-3 ./ lambda .^ 2 + 5.80e-4 ./ lambda .^ 4, 1e-14);   % as published
%! % a table sampled every 10 nm from the Sellmeier formula follows it, and its
%! % derivatives (of the spline) the formula's, off the table's points
%! lt = 0.4:0.01:1.2;
%! tab = struct('model', 'table', 'lambda', fliplr(lt), 'n', fliplr(coating_indices(2*pi ./ lt, {'SiO2'})));
%! k = 2*pi ./ [0.4237 0.5131 0.6173 0.7589 0.9173 1.1117];
%! [N, Np, Npp] = coating_indices(k, {'SiO2', tab});
%! assert(N(2, :), N(1, :), 1e-9);
%! assert(Np(2, :), Np(1, :), -1e-5);
%! assert(Npp(2, :), Npp(1, :), -1e-2);

%!error <unknown material 'MgF2' \(materials\{2\}\); known: TiO2, SiO2, fused silica> coating_indices(8, {'TiO2', 'MgF2'})
%!error id=coating_indices:unknownMaterial coating_indices(8, 'MgF2')
%!error id=coating_indices:badWavenumber coating_indices([8 0])
%!error <k\(2\) = NaN> coating_indices([8 NaN])
%!error id=coating_indices:badWavenumber coating_indices(8 + 1i)
%!error id=coating_indices:badMaterials coating_indices(8, 3)
%!error id=coating_indices:badModel coating_indices(8, struct('model', 'tauc-lorentz'))
%!error <lacks the field 'C'> coating_indices(8, struct('model', 'sellmeier', 'B', 1))
%!error <has a field 'b'> coating_indices(8, struct('model', 'cauchy', 'A', 1.5, 'b', 0.01))
%!error id=coating_indices:badField coating_indices(8, struct('model', 'sellmeier', 'B', [1 2], 'C', 0.01))
%!error <Im n < 0> coating_indices(8, struct('model', 'constant', 'n', 1.5 - 0.01i))
%!error id=coating_indices:badField coating_indices(8, struct('model', 'table', 'lambda', [0.5 0.7 0.6 0.8], 'n', [2 2 2 2]))
%!error <0.35 to 1.8 um; k\(2\) = .* \(lambda = 0.3 um\)> coating_indices(2*pi ./ [0.5 0.3], {'SiO2', 'Ta2O5'})
%!error id=coating_indices:outsideTable coating_indices(2*pi / 0.39, {struct('model', 'table', 'lambda', [0.4 0.6 0.8 1], 'n', [2.3 2.2 2.15 2.13])})
