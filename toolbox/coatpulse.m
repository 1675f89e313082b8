%COATPULSE The field of a short pulse after one or more coatings, in time: duration, peak, satellites.
%   p = coatpulse(design, pulse)
%   p = coatpulse(design, pulse, 'name', value, ...)
%   p = coatpulse(design, pulse, options)
%
%   The pulse's spectrum is multiplied by the coating's complex r (or t),
%   from coatresponse with the full dispersion of every material, once per
%   bounce and mirror, and by an added bulk phase; the field in time is its
%   inverse Fourier transform. E_out(w) = prod_i r_i(w)^n_i exp(i phi_b(w)) E_in(w).
%
%   Inputs
%     design   a struct: d (Lx1 layer thicknesses in um, layer 1 next to the
%              ambient), m (Lx1 material numbers 1..M), materials (cell
%              array: the M layer materials, then the substrate; catalogue
%              names or coefficient structs, as coating_indices takes them),
%              ambient (real index, default 1); see help coattargets.
%              A coating's layers are under 50 um (thicker ones were given
%              in nm); a design of one layer may be a plate or a window of
%              any thickness (1 mm is 1000).
%              A struct array or a cell array of such structs is a
%              compressor of several mirrors, the pulse meeting each in turn;
%              [] is no coating (the bulk phase alone).
%     pulse    a struct, one of
%              - lambda (centre wavelength, um), fwhm (duration of |E(t)|^2
%                at half maximum, fs), shape ('gaussian', default, or
%                'sech2'): a transform-limited pulse;
%              - wavelength (um, a vector), intensity (the measured spectrum
%                per unit wavelength, as a spectrometer gives it; converted
%                to per unit frequency by lambda^2 / (2 pi c); negative
%                values count as 0), phase (optional, rad, unwrapped, the
%                spectral phase in the convention of arg r below), lambda
%                (optional: the centre about which gdd and tod act; default
%                the spectrum's mean frequency). Light outside the measured
%                range is taken as absent.
%   Options (name-value pairs or a struct; names in any case)
%     bounces  reflections on each mirror: a whole number >= 1, one for all
%              or one per design (default 1); in transmission, passes.
%     theta    angle of incidence in RADIANS, one for all or one per design
%              (default 0).
%     pol      's' (or 'TE', default) or 'p' (or 'TM'), in any case.
%     mode     'reflection' (default, r) or 'transmission' (t).
%     gdd      an added bulk group-delay dispersion in fs^2 (a crystal, a
%              window; default 0); tod, its third-order dispersion in fs^3
%              (default 0). They act before the coatings: phi_b = gdd x^2 / 2
%              + tod x^3 / 6 with x = w - w0.
%     window   the time window T in fs; points, the number of grid points N
%              (default: the rule below; a power of 2).
%     figure   a PNG file name: the figure (pulse in and out, linear and in
%              dB, with the transform limit; the output spectrum and its
%              residual phase) is drawn offscreen and written there.
%
%   Grid: N angular frequencies w0 + (-N/2 .. N/2-1) dw about the pulse's
%   centre w0 and N times t = (-N/2 .. N/2-1) dt, with dw = 2 pi / T and
%   dt = T / N: the spacing of the spectrum sets the time window T, its
%   span N dw = 2 pi / dt sets the time step. The coating is evaluated only
%   where the pulse has light: where a gaussian's or sech2's spectral
%   intensity exceeds 1e-16 of its peak (light beyond 4 lambda0 left out,
%   which only pulses of under two cycles have), or over the measured
%   range; beyond, the spectrum is 0 and the samples in time are the exact
%   band-limited interpolation. Defaults:
%     dt = tau / 16, tau the fwhm (for a measured spectrum, the fwhm of a
%          gaussian of the same rms spectral width), but at least
%          pi / (0.95 w0), just over half an optical period, so that every
%          frequency of the grid is positive; shorter if the span must
%          cover the band where the pulse has light (under two cycles);
%     T  >= 1.25 S + 24 tau and >= 64 tau, S the spread (max - min) of the
%          total group delay (coatings times bounces, bulk, the pulse's own
%          phase) over the frequencies with more than 1e-12 of the peak
%          spectral intensity, before and after the coatings: the window
%          holds every delayed part of the pulse and the transform limit's
%          own tails, so nothing wraps around, and the spectrum is sampled
%          some 30 times across its fwhm. S comes from the coatings' GD on
%          the grid itself; the window grows until it holds.
%   A window given shorter than the rule warns (coatpulse:shortWindow):
%   what lies beyond it wraps around. points alone keeps the rule's window.
%
%   Delay: each pulse is shown centred on its energy centroid, the linear
%   phase of its mean group delay removed (the spectral intensity-weighted
%   mean of d phase / dw, refined on the sampled pulse). p.delay is the
%   delay removed, fs: the output's centroid less the input's, which for a
%   lossless coating is the mean of n x GD of the coatings over the
%   spectrum.
%
%   Output: p, a struct with
%     t        1xN times, fs.
%     Iin      1xN |E(t)|^2 of the pulse that meets the coatings (its own
%              phase and the bulk phase; centred), in units of the peak of
%              the transform-limited input.
%     Iout     1xN |E(t)|^2 after the coatings (centred), same units.
%     Itl      1xN the transform limit of the output: the same spectrum with
%              a flat phase, same units.
%     fwhm     full width at half maximum of Iout, fs: between the
%              half-maximum crossings on either side of the highest peak,
%              located on the band-limited interpolation of the field (not
%              the sampled points). fwhmIn and fwhmTL likewise of Iin and Itl.
%     peak     the peak of Iout over the peak of Itl (1 when compressed to
%              the transform limit).
%     mainFraction  the energy fraction of Iout in its main peak: from the
%              highest peak out to the first local minimum beyond each
%              half-maximum crossing.
%     energy   sum(Iout) / sum(Iin): the energy the coatings return.
%     delay    the delay removed (above), fs.
%     omega    1xN angular frequencies, rad/fs; lambda 1xN wavelengths, um
%              (NaN where omega <= 0, which carries no light).
%     Sin, Sout  1xN spectral intensities |E(w)|^2 of the input and the
%              output, with E(t) = (1/2 pi) int E(w) exp(-i w t) dw, so that
%              sum(Iout) dt = sum(Sout) dw / (2 pi) (Parseval).
%     response 1xN the coatings' prod r_i^n_i (or t), complex, as
%              coatresponse gives them (delay kept); 0 outside the band.
%     residualPhase  1xN the output's spectral phase once the delay is
%              removed, rad, its intensity-weighted mean 0; what a
%              compressor leaves (GDD, TOD and ripple); NaN where Sout is
%              below 1e-4 of its peak.
%     window, points, dt   the grid used (fs, N, fs).
%
%   Conventions: fields go as exp(-i w t) (as in coatresponse): a phase
%   phi(w) delays each frequency by its group delay d phi / dw, positive for
%   a delayed reflection; GDD = d2 phi / dw2 > 0 for normal dispersion.
%
%   NaN: none in the outputs above, except residualPhase where there is no
%   light and lambda where omega <= 0; a coating whose r is not finite
%   where the pulse has light (an index at a pole) is an error.
%
%   Errors (identifiers coatpulse:<reason>): notEnoughInputs, badDesign,
%   badMaterials, noSubstrate (a layer of the last material: the substrate
%   left out of the list), thicknessUnits (a coating's layer of 50 um or
%   more: given in nm), badPulse, lambdaUnits (a wavelength outside 0.1 to
%   30 um: given in nm), badOptions, unknownOption, badResponse (a
%   non-finite r or t), gridTooCoarse (points or window cut the spectrum),
%   gridTooLarge.
%
%   Example: a 20 fs pulse at 800 nm stretched by 200 fs^2 of bulk, off a
%   bare silica surface
%     design = struct('d', [], 'm', [], 'materials', {{'fused silica'}});
%     pulse = struct('lambda', 0.8, 'fwhm', 20, 'shape', 'gaussian');
%     p = coatpulse(design, pulse, 'gdd', 200);
%     longer = p.fwhm;  reflected = p.energy;   % 34.2 fs; 3.4 % of the energy
%
%   See also coatresponse, coating_indices, coattargets, coat_print_png.
function p = coatpulse(design, pulse, varargin)
  if nargin < 2
    error('coatpulse:notEnoughInputs', 'coatpulse: needs a design and a pulse.');
  end
  opt = parse_options('coatpulse', struct('bounces', 1, 'theta', 0, 'pol', 's', 'mode', 'reflection', ...
                                          'gdd', 0, 'tod', 0, 'window', [], 'points', [], 'figure', ''), ...
                      varargin);
  designs = check_designs(design);
  nd = numel(designs);
  [bounces, theta, pol, transmit] = check_options(opt, nd);
  src = pulse_spectrum(pulse);
  c = 0.299792458;                               % um/fs

  % The grid: the time step from the pulse (no finer than keeps every
  % frequency of the grid above 0.05 w0, unless the band where the pulse has
  % light asks for it), the window from the group delays of everything the
  % pulse meets, grown until it holds them as the coatings' GD on the grid
  % itself shows them.
  dt = min(max(src.tau / 16, pi / (0.95 * src.w0)), ...
           pi / (1.05 * max(src.band(2) - src.w0, src.w0 - src.band(1))));
  fixedT = ~isempty(opt.window);
  if fixedT, T = opt.window; else T = 64 * src.tau; end
  for pass = 1:8
    if isempty(opt.points)
      N = 2 ^ max(6, ceil(log2(T / dt - 1e-9)));
      if ~fixedT, T = N * dt; end
    else
      N = opt.points;
    end
    if N > 2 ^ 22
      error('coatpulse:gridTooLarge', ...
            'coatpulse: the grid would need %d points (window %.4g fs, step %.3g fs); give a shorter window.', ...
            N, T, dt);
    end
    g = build_grid(src, T, N, bounces, theta, pol, transmit, designs, opt, c);
    need = max(1.25 * max(spread(g.gdIn, g.S), spread(g.gdIn + g.gdC, g.S .* abs(g.R) .^ 2)) + 24 * src.tau, ...
               64 * src.tau);
    if fixedT || need <= T, break; end
    T = 1.1 * need;
  end
  if need > T
    warning('coatpulse:shortWindow', ...
            'coatpulse: the window of %.4g fs is shorter than the %.4g fs the group delays ask; the pulse wraps around.', ...
            T, need);
  end
  dt = T / N;
  t = (-N / 2:N / 2 - 1) * dt;
  x = g.x;  dw = g.dw;

  % The fields: the input normalised so that its transform limit peaks at 1.
  Ain = sqrt(g.S) .* exp(1i * g.phiIn);
  Ain = Ain / (dw / (2 * pi) * sum(abs(Ain)));
  Aout = Ain .* g.R;
  [Ain, tin] = centre(Ain, g.gdIn, x, dw, t);
  [Aout, tout] = centre(Aout, g.gdIn + g.gdC, x, dw, t);
  Atl = abs(Aout);

  p = struct();
  p.t = t;
  p.Iin = abs(time_field(Ain, dw)) .^ 2;
  p.Iout = abs(time_field(Aout, dw)) .^ 2;
  p.Itl = abs(time_field(Atl, dw)) .^ 2;
  [p.fwhm, pkOut, p.mainFraction] = measure(Aout, x, dw, t, p.Iout);
  p.fwhmIn = measure(Ain, x, dw, t, p.Iin);
  [p.fwhmTL, pkTL] = measure(Atl, x, dw, t, p.Itl);
  p.peak = pkOut / pkTL;
  p.energy = sum(p.Iout) / sum(p.Iin);
  p.delay = tout - tin;
  p.omega = src.w0 + x;
  p.lambda = 2 * pi * c ./ p.omega;
  p.lambda(p.omega <= 0) = NaN;
  p.Sin = abs(Ain) .^ 2;
  p.Sout = abs(Aout) .^ 2;
  p.response = g.R;
  p.residualPhase = residual_phase(Aout, p.Sout);
  p.window = T;
  p.points = N;
  p.dt = dt;
  if ~isempty(opt.figure)
    % drawn from samples four times finer, the band-limited field between
    fine.t = (-2 * N:2 * N - 1) * dt / 4;
    pad = @(A) abs(time_field([zeros(1, 3 * N / 2), A, zeros(1, 3 * N / 2)], dw)) .^ 2;
    fine.Iin = pad(Ain);  fine.Iout = pad(Aout);  fine.Itl = pad(Atl);
    draw(p, fine, opt.figure);
  end
end

% The spectrum, the phase and the coatings' response on the grid of N
% points over the window T, with the group delays the window rule reads.
function g = build_grid(src, T, N, bounces, theta, pol, transmit, designs, opt, c)
  g.dw = 2 * pi / T;
  g.x = (-N / 2:N / 2 - 1) * g.dw;
  w = src.w0 + g.x;
  span = [w(1) w(end)];
  if src.level(span) > 1e-6
    error('coatpulse:gridTooCoarse', ...
          'coatpulse: the grid spans %.4g to %.4g rad/fs, which cuts the pulse''s spectrum (%.4g to %.4g rad/fs); give more points or a shorter window.', ...
          span, src.band);
  end
  light = w >= src.band(1) & w <= src.band(2);
  [S, phi, gd] = src.at(w(light));
  g.S = zeros(1, N);  g.S(light) = S;
  xl = g.x(light);
  g.phiIn = zeros(1, N);  g.phiIn(light) = phi + opt.gdd * xl .^ 2 / 2 + opt.tod * xl .^ 3 / 6;
  g.gdIn = zeros(1, N);   g.gdIn(light) = gd + opt.gdd * xl + opt.tod * xl .^ 2 / 2;
  k = w(light) / c;
  r = ones(1, nnz(light));  gdc = zeros(1, nnz(light));
  names = {'r', 'GD'};
  if transmit, names = {'t', 'GDt'}; end
  for i = 1:numel(designs)
    e = designs{i};
    [Nx, Np, Npp] = coating_indices(k, e.materials);
    o = coatresponse(k, e.d, e.m, e.ambient, Nx, Np, Npp, theta(i), pol, names);
    r = r .* o.(names{1}) .^ bounces(i);
    gdc = gdc + bounces(i) * o.(names{2});
  end
  bad = ~isfinite(r);
  if any(bad)
    error('coatpulse:badResponse', ...
          'coatpulse: the coatings'' %s is not finite at %.4g um, where the pulse has light (an index at a pole?).', ...
          names{1}, 2 * pi / k(find(bad, 1)));
  end
  g.R = zeros(1, N);  g.R(light) = r;
  g.gdC = zeros(1, N);  g.gdC(light) = gdc;
end

% Spread of the group delay over the frequencies with light above 1e-12 of
% the peak (a zero of r, its GD NaN, carries none).
function s = spread(gd, S)
  keep = S >= 1e-12 * max(S) & isfinite(gd);
  s = max(gd(keep)) - min(gd(keep));
end

% The field in time, E(t_k) = (dw / 2 pi) sum_j A_j exp(-i x_j t_k), by one FFT.
function E = time_field(A, dw)
  E = dw / (2 * pi) * fftshift(fft(ifftshift(A)));
end

% The field's linear phase removed: the mean group delay over its spectral
% intensity, then the centroid of the sampled pulse (exact once nothing
% wraps around), so that its energy centroid sits at t = 0.
function [A, tau] = centre(A, gd, x, dw, t)
  S = abs(A) .^ 2;
  keep = isfinite(gd) & S > 0;
  tau = sum(S(keep) .* gd(keep)) / sum(S(keep));
  A = A .* exp(-1i * tau * x);
  I = abs(time_field(A, dw)) .^ 2;
  d = sum(t .* I) / sum(I);
  A = A .* exp(-1i * d * x);
  tau = tau + d;
end

% Duration, peak and main-peak energy of the pulse whose spectrum is A,
% from its samples I, refined on the band-limited field between them.
function [fwhm, peak, fraction] = measure(A, x, dw, t, I)
  on = A ~= 0;
  a = A(on) * dw / (2 * pi);  xs = x(on);
  n = numel(t);
  [~, k] = max(I);
  tp = t(k);
  if k > 1 && k < n
    % d|E|^2/dt changes sign between the neighbours of the highest sample
    tp = root(@(s) slope(a, xs, s), t(k - 1), t(k + 1));
  end
  peak = abs(a * exp(-1i * xs.' * tp)) ^ 2;
  half = peak / 2;
  lo = find(I(1:k) <= half, 1, 'last');
  hi = k - 1 + find(I(k:end) <= half, 1, 'first');
  if isempty(lo) || isempty(hi)
    fwhm = NaN;  fraction = NaN;
    return;
  end
  level = @(s) above(a, xs, s, half);
  tl = root(level, t(lo), t(lo + 1));
  tr = root(level, t(hi - 1), t(hi));
  fwhm = tr - tl;
  % the main peak reaches out to the first local minimum beyond each crossing
  i = lo;
  while i > 1 && I(i - 1) <= I(i), i = i - 1; end
  j = hi;
  while j < n && I(j + 1) <= I(j), j = j + 1; end
  fraction = sum(I(i:j)) / sum(I);
end

% d|E|^2/dt at time s and its derivative, E(s) = sum_j a_j exp(-i x_j s).
function [f, df] = slope(a, x, s)
  e = exp(-1i * x.' * s);
  E = a * e;  E1 = a * (-1i * x.' .* e);  E2 = a * (-(x.' .^ 2) .* e);
  f = 2 * real(conj(E) * E1);
  df = 2 * (abs(E1) ^ 2 + real(conj(E) * E2));
end

% |E|^2 - level at time s and its derivative.
function [f, df] = above(a, x, s, level)
  f = abs(a * exp(-1i * x.' * s)) ^ 2 - level;
  df = slope(a, x, s);
end

% A root of f (value and derivative) between a and b where f changes
% sign: Newton's steps, bisection where a step would leave the bracket;
% done when a step is below 1e-12 of the bracket first given.
function s = root(f, a, b)
  fa = f(a);
  s = (a + b) / 2;
  if sign(fa) == sign(f(b)), return; end
  tol = 1e-12 * abs(b - a);
  for it = 1:100
    [v, dv] = f(s);
    if v == 0, return; end
    if sign(v) == sign(fa), a = s; else b = s; end
    next = s - v / dv;
    if ~(next > min(a, b) && next < max(a, b)), next = (a + b) / 2; end
    step = abs(next - s);
    s = next;
    if step <= tol, return; end
  end
end

% The output's spectral phase, delay removed, where its spectral intensity
% exceeds 1e-4 of its peak, its intensity-weighted mean 0.
function phase = residual_phase(A, S)
  on = find(A ~= 0);
  phase = NaN(size(A));
  phase(on) = unwrap(angle(A(on)));
  dark = S < 1e-4 * max(S);
  phase(dark) = NaN;
  lit = ~dark;
  phase(lit) = phase(lit) - sum(S(lit) .* phase(lit)) / sum(S(lit));
end

% The pulse's spectral intensity (per unit angular frequency), phase and
% group delay: src.at(w) on frequencies within src.band (rad/fs), src.w0
% the centre, src.tau the duration of the time step rule (fs), src.level(w)
% the largest relative spectral intensity outside the frequencies w(1) to
% w(2).
function src = pulse_spectrum(pulse)
  c = 0.299792458;
  if ~isstruct(pulse) || numel(pulse) ~= 1
    error('coatpulse:badPulse', 'coatpulse: input 2 (pulse) must be a struct: lambda, fwhm, shape, or wavelength, intensity, phase.');
  end
  measured = isfield(pulse, 'wavelength') || isfield(pulse, 'intensity');
  if ~measured
    if ~isfield(pulse, 'lambda') || ~isfield(pulse, 'fwhm') || ~positive(pulse.lambda) || ~positive(pulse.fwhm)
      error('coatpulse:badPulse', ...
            'coatpulse: input 2 (pulse) needs lambda (um) and fwhm (fs), each a positive scalar.');
    end
    check_wavelengths('coatpulse', 'pulse.lambda', pulse.lambda);
    shape = 'gaussian';
    if isfield(pulse, 'shape') && ~isempty(pulse.shape), shape = pulse.shape; end
    tau = pulse.fwhm;
    w0 = 2 * pi * c / pulse.lambda;
    switch lower(char(shape))
      case 'gaussian'
        % |E(t)|^2 = exp(-4 ln2 t^2 / tau^2): S(w) = exp(-tau^2 x^2 / (4 ln2))
        a = tau ^ 2 / (4 * log(2));
        S = @(x) exp(-a * x .^ 2);
        half = sqrt(log(1e16) / a);
      case 'sech2'
        % |E(t)|^2 = sech(t / T0)^2, tau = 2 acosh(sqrt 2) T0: E(w) ~ sech(pi T0 x / 2)
        T0 = tau / (2 * acosh(sqrt(2)));
        S = @(x) sech(pi * T0 * x / 2) .^ 2;
        half = 2 * acosh(1e8) / (pi * T0);
      otherwise
        error('coatpulse:badPulse', 'coatpulse: pulse.shape must be ''gaussian'' or ''sech2''; ''%s'' was given.', ...
              char(shape));
    end
    src.w0 = w0;
    src.tau = tau;
    src.band = [max(w0 - half, w0 / 4), w0 + half];
    src.at = @(w) deal(S(w - w0), zeros(size(w)), zeros(size(w)));
    src.level = @(span) max(S(span - w0));    % one peak: the most light beyond is at the span's ends
    return;
  end
  if ~isfield(pulse, 'wavelength') || ~isfield(pulse, 'intensity')
    error('coatpulse:badPulse', 'coatpulse: a measured pulse needs wavelength (um) and intensity.');
  end
  l = pulse.wavelength(:);  v = pulse.intensity(:);
  ph = zeros(size(l));
  if isfield(pulse, 'phase') && ~isempty(pulse.phase), ph = pulse.phase(:); end
  if ~isnumeric(l) || ~isreal(l) || numel(l) < 4 || any(~(l > 0)) || any(~isfinite(l)) ...
     || ~isnumeric(v) || ~isreal(v) || numel(v) ~= numel(l) || any(~isfinite(v)) ...
     || ~isnumeric(ph) || ~isreal(ph) || numel(ph) ~= numel(l) || any(~isfinite(ph))
    error('coatpulse:badPulse', ...
          'coatpulse: pulse.wavelength (um, > 0), pulse.intensity and pulse.phase (rad) must be finite real vectors of the same length (>= 4); %d, %d and %d values were given.', ...
          numel(l), numel(v), numel(ph));
  end
  check_wavelengths('coatpulse', 'pulse.wavelength', l);
  w = 2 * pi * c ./ l;
  [w, order] = sort(w);
  if any(diff(w) <= 0)
    error('coatpulse:badPulse', 'coatpulse: pulse.wavelength must not repeat a wavelength.');
  end
  s = max(v(order), 0) .* l(order) .^ 2 / (2 * pi * c);   % per unit angular frequency
  ph = ph(order);
  if ~any(s > 0)
    error('coatpulse:badPulse', 'coatpulse: pulse.intensity has no light (every value <= 0).');
  end
  gd = gradient(ph, w);
  m = trapz(w, w .* s) / trapz(w, s);
  sigma = sqrt(trapz(w, (w - m) .^ 2 .* s) / trapz(w, s));
  src.w0 = m;
  if isfield(pulse, 'lambda') && ~isempty(pulse.lambda)
    if ~positive(pulse.lambda)
      error('coatpulse:badPulse', 'coatpulse: pulse.lambda must be a positive scalar (um).');
    end
    check_wavelengths('coatpulse', 'pulse.lambda', pulse.lambda);
    src.w0 = 2 * pi * c / pulse.lambda;
  end
  src.tau = sqrt(2 * log(2)) / sigma;          % a gaussian of this rms width
  src.band = [w(1) w(end)];
  src.at = @(x) deal(reshape(max(interp1(w, s, x, 'pchip'), 0), size(x)) / max(s), ...
                     reshape(interp1(w, ph, x, 'pchip'), size(x)), reshape(interp1(w, gd, x), size(x)));
  src.level = @(span) max([0; s(w < span(1) | w > span(2))]) / max(s);
end

function ok = positive(x)
  ok = isnumeric(x) && isscalar(x) && isreal(x) && isfinite(x) && x > 0;
end

% The designs as a cell array, each checked as every design function
% checks one (check_design), named as given: design, design(i) or
% design{i}. A design of one layer may be a plate or a window, of any
% thickness.
function designs = check_designs(design)
  name = 'design(%d)';
  if isstruct(design)
    designs = num2cell(design(:).');
  elseif iscell(design)
    designs = design(:).';
    name = 'design{%d}';
  elseif isnumeric(design) && isempty(design)
    designs = {};                                % no coating: the bulk phase alone
  else
    error('coatpulse:badDesign', ...
          'coatpulse: input 1 (design) must be a design struct (d, m, materials), a struct array or a cell array of them, or []; a %s was given.', ...
          class(design));
  end
  for i = 1:numel(designs)
    label = sprintf(name, i);
    if numel(designs) == 1 && isstruct(design), label = 'design'; end
    designs{i} = check_design(designs{i}, 'coatpulse', label, true);
  end
end

% The option values checked, bounces and angles one per design.
function [bounces, theta, pol, transmit] = check_options(opt, nd)
  whole = @(x) isnumeric(x) && isreal(x) && all(x(:) >= 1) && all(x(:) == round(x(:))) ...
               && any(numel(x) == [1 nd]);
  if ~whole(opt.bounces)
    error('coatpulse:badOptions', ...
          'coatpulse: bounces must be whole numbers >= 1, one or one per design (%d); %s was given.', ...
          nd, mat2str(opt.bounces));
  end
  bounces = double(opt.bounces(:).') .* ones(1, nd);
  th = opt.theta;
  if ~isnumeric(th) || ~isreal(th) || ~any(numel(th) == [1 nd]) || any(~(th(:) >= 0 & th(:) < pi / 2))
    guess = '';
    if isnumeric(th) && isreal(th) && any(th(:) >= pi / 2 & th(:) < 90)
      bad = th(th(:) >= pi / 2 & th(:) < 90);
      guess = sprintf('; %g looks like degrees (%.4g rad)', bad(1), bad(1) * pi / 180);
    end
    error('coatpulse:badOptions', ...
          'coatpulse: theta must be angles in RADIANS, 0 <= theta < pi/2, one or one per design (%d)%s.', nd, guess);
  end
  theta = double(th(:).') .* ones(1, nd);
  pol = polarization_name(opt.pol, false);
  if isempty(pol)
    error('coatpulse:badOptions', ...
          'coatpulse: pol must be ''s'' (or ''TE'') or ''p'' (or ''TM''), in any case: a field has one polarisation.');
  end
  modes = {'reflection', 'transmission', 'r', 't'};
  if ~ischar(opt.mode) || ~any(strcmpi(opt.mode, modes))
    error('coatpulse:badOptions', 'coatpulse: mode must be ''reflection'' or ''transmission''.');
  end
  transmit = any(strcmpi(opt.mode, {'transmission', 't'}));
  finite = @(x) isnumeric(x) && isscalar(x) && isreal(x) && isfinite(x);
  if ~finite(opt.gdd) || ~finite(opt.tod)
    error('coatpulse:badOptions', 'coatpulse: gdd (fs^2) and tod (fs^3) must be real finite scalars.');
  end
  if ~isempty(opt.window) && ~positive(opt.window)
    error('coatpulse:badOptions', 'coatpulse: window must be a time in fs > 0.');
  end
  if ~isempty(opt.points) && ~(positive(opt.points) && opt.points == round(opt.points) ...
                                && mod(opt.points, 2) == 0)
    error('coatpulse:badOptions', 'coatpulse: points must be an even whole number.');
  end
  if ~ischar(opt.figure)
    error('coatpulse:badOptions', 'coatpulse: figure must be a PNG file name.');
  end
end

% The figure: the pulse in time (linear and in dB) before and after, with
% the transform limit; the output spectrum and its residual phase.
function draw(p, fine, file)
  h = coat_print_png();
  set(h, 'defaultaxesfontsize', 8, 'defaulttextfontsize', 8);
  blue = [0 0.35 0.75];  grey = [0.55 0.55 0.55];  red = [0.8 0.25 0.1];
  top = max([fine.Iin fine.Iout]);
  seen = find(max(fine.Iin, fine.Iout) >= 1e-3 * top);
  span = fine.t(seen([1 end]));
  span = span + [-1 1] * 0.15 * diff(span);
  axes('position', [0.13 0.71 0.74 0.22], 'fontsize', 8);
  plot(fine.t, fine.Iin, '-', 'color', grey, 'linewidth', 1.2);  hold on;
  plot(fine.t, fine.Itl, '--k', 'linewidth', 0.8);
  plot(fine.t, fine.Iout, '-', 'color', blue, 'linewidth', 1.5);  hold off;
  xlim(span);  grid on;
  ylabel('|E(t)|^2');
  legend({sprintf('in %.1f fs', p.fwhmIn), sprintf('limit %.1f fs', p.fwhmTL), ...
          sprintf('out %.1f fs', p.fwhm)}, 'location', 'northwest');
  title(sprintf('out: peak %.3f of the transform limit, main peak %.1f %%', p.peak, ...
                100 * p.mainFraction), 'fontweight', 'normal');
  axes('position', [0.13 0.40 0.74 0.21], 'fontsize', 8);
  dB = @(I) 10 * log10(max(I / top, 1e-12));
  plot(fine.t, dB(fine.Iin), '-', 'color', grey, 'linewidth', 1.2);  hold on;
  plot(fine.t, dB(fine.Itl), '--k', 'linewidth', 0.8);
  plot(fine.t, dB(fine.Iout), '-', 'color', blue, 'linewidth', 1.5);  hold off;
  xlim(span + [-1 1] * 0.5 * diff(span));  ylim([-50 2]);  grid on;
  xlabel('time (fs)');  ylabel('dB');
  title(sprintf('energy returned %.2f %%, delay removed %.1f fs', 100 * p.energy, p.delay), ...
        'fontweight', 'normal');
  axes('position', [0.13 0.08 0.72 0.21], 'fontsize', 8);
  lit = p.Sout >= 1e-3 * max(p.Sout);
  l = 1000 * p.lambda(lit);
  [ax, a, b] = plotyy(l, [p.Sin(lit); p.Sout(lit)] / max(p.Sin), l, p.residualPhase(lit));
  set(a(1), 'color', grey);  set(a(2), 'color', blue, 'linewidth', 1.5);
  set(b, 'color', red, 'linewidth', 1.2);
  set(ax(1), 'ycolor', blue);  set(ax(2), 'ycolor', red);
  xlabel(ax(1), 'wavelength (nm)');
  ylabel(ax(1), 'spectrum in, out');  ylabel(ax(2), 'residual phase (rad)');
  xlim(ax(1), [min(l) max(l)]);  xlim(ax(2), [min(l) max(l)]);
  coat_print_png(h, file, 800, 900);
end

%!function R = reflectance(e, w, theta)     # p-polarised, of angular frequencies w (rad/fs)
%!  k = w(:).' / 0.299792458;
%!  o = coatresponse(k, e.d, e.m, 1, coating_indices(k, e.materials), [], [], theta, 'p', 'R');
%!  R = reshape(o.R, size(w));
%!endfunction

%!shared flat, c
%! flat = struct('d', [], 'm', [], 'materials', {{struct('model', 'constant', 'n', 1.5)}});
%! c = 0.299792458;
%!test  # a pure GDD: the closed-form broadening of a gaussian and its peak; sech2 and measured spectra
%! % tolerances 1e-7: the grid rule leaves the spectrum cut and the wrapped
%! % tails below 1e-8 in field, so the durations hold to ~1e-9
%! tau = 12;
%! for phi2 = [400 -1500]
%!   p = coatpulse(flat, struct('lambda', 0.8, 'fwhm', tau), 'gdd', phi2);
%!   stretch = sqrt(1 + (4 * log(2) * phi2 / tau ^ 2) ^ 2);
%!   assert([p.fwhm, p.fwhmIn, p.fwhmTL, p.peak], [tau * stretch, tau * stretch, tau, 1 / stretch], -1e-7);
%!   assert([p.energy, p.mainFraction, p.delay], [0.04, 1, 0], 1e-12);   % r = -0.2, no delay
%!   lit = !isnan(p.residualPhase);
%!   x = p.omega(lit) - 2 * pi * c / 0.8;  S = p.Sout(lit);
%!   phase = phi2 * x .^ 2 / 2;  phase -= sum(S .* phase) / sum(S);
%!   assert(p.residualPhase(lit), phase, 1e-9 * max(abs(phase)));
%!   assert(sum(p.Iout) * p.dt, sum(p.Sout) * (p.omega(2) - p.omega(1)) / (2 * pi), -1e-12);
%! end
%! p = coatpulse(flat, struct('lambda', 0.8, 'fwhm', 20, 'shape', 'sech2'));
%! assert([p.fwhm, p.peak], [20 1], -1e-7);
%! % the gaussian again as a spectrometer gives it (per wavelength), chirped,
%! % with the chirp undone by the bulk GDD
%! w = 2 * pi * c / 0.8 + linspace(-1, 1, 401);
%! m = struct('wavelength', 2 * pi * c ./ w, 'intensity', exp(-tau ^ 2 * (w - w(201)) .^ 2 / (4 * log(2))) .* w .^ 2, ...
%!            'phase', 300 * (w - w(201)) .^ 2 / 2 + 50 * (w - w(201)), 'lambda', 0.8);
%! p = coatpulse(flat, m, 'gdd', -300);
%! assert([p.fwhm, p.peak, p.fwhmIn], [tau 1 tau], -1e-5);        % pchip of the samples
%! assert(p.delay, 0, 1e-9);                          % the pulse's own 50 fs is not the coating's
%! % a replica of amplitude 0.3 at 100 fs: 1 / (1 + 0.09) of the energy in the main peak
%! w = 2 * pi * c / 0.8 + linspace(-1, 1, 2001);  x = w - w(1001);
%! E = exp(-tau ^ 2 * x .^ 2 / (8 * log(2))) .* (1 + 0.3 * exp(100i * x));
%! p = coatpulse(flat, struct('wavelength', 2 * pi * c ./ w, 'intensity', abs(E) .^ 2 .* w .^ 2, 'phase', angle(E)));
%! assert([p.mainFraction, p.fwhm], [1 / 1.09, tau], -1e-4);                 % pchip of the samples
%!test  # a chirped mirror pair, two bounces on one, p at two angles: the energy is the integral of |r|^2n times the spectrum
%! n800 = coating_indices(2 * pi / 0.8);
%! centre = linspace(0.62, 1.04, 20);
%! share = [1 2 3 4 * ones(1, 17)] / 8;
%! d = [share .* centre / (2 * n800(1)); (1 - share) .* centre / (2 * n800(2))];
%! A = struct('d', d(:), 'm', repmat([1; 2], 20, 1), 'materials', {{'TiO2', 'SiO2', 'fused silica'}});
%! B = A;  B.d = [0.27; A.d];  B.m = [2; A.m];
%! p = coatpulse([A B], struct('lambda', 0.8, 'fwhm', 15), 'bounces', [2 1], 'theta', [0.1 0.2], ...
%!               'pol', 'p', 'gdd', 150);
%! % independently: adaptive quadrature of R_A^2 R_B over the gaussian spectrum
%! w0 = 2 * pi * c / 0.8;  a = 15 ^ 2 / (4 * log(2));
%! f = @(w) reflectance(A, w, 0.1) .^ 2 .* reflectance(B, w, 0.2) .* exp(-a * (w - w0) .^ 2);
%! ratio = quadgk(f, w0 - 1.2, w0 + 1.2, 'RelTol', 1e-13, 'AbsTol', 0, 'MaxIntervalCount', 1e4) / sqrt(pi / a);
%! assert(p.energy, ratio, 1e-9 * ratio);
%! assert(p.fwhm > p.fwhmTL && p.fwhm < p.fwhmIn && p.peak < 1);
%!test  # a plate in transmission, once and 30 times: delayed by its group index; its GDD acts as bulk GDD does
%! plate = struct('d', 1000, 'm', 1, 'materials', {{'fused silica', 'fused silica'}}, 'ambient', 1.4533);
%! pulse = struct('lambda', 0.8, 'fwhm', 10);
%! k = 2 * pi / 0.8 + [-1e-3 0 1e-3];
%! [n, n1, n2] = coating_indices(k, {'fused silica'});
%! G = 1000 * (2 * n1 + k .* n2) / c ^ 2;                 % GDD of 1 mm, fs^2: 36.2 at 800 nm
%! tod = (G(3) - G(1)) / (2e-3 * c);                     % 27.5 fs^3
%! p = coatpulse(plate, pulse, 'mode', 'transmission', 'gdd', -G(2));
%! % the mean delay is d n_g / c, plus TOD <x^2> / 2 (0.2 fs)
%! assert(p.delay, 1000 * (n(2) + k(2) * n1(2)) / c, 1e-4 * p.delay);
%! assert(p.fwhm < 1.01 * 10 && p.peak > 0.99);
%! % 30 passes, their TOD taken out: 1085 fs^2 stretch the pulse to 300 fs,
%! % beyond a window sized for the pulse alone; a fourth order leaves ~1e-3
%! q = coatpulse(plate, pulse, 'mode', 'transmission', 'bounces', 30, 'tod', -30 * tod);
%! assert(q.fwhm, 10 * sqrt(1 + (4 * log(2) * 30 * G(2) / 100) ^ 2), 3e-3 * q.fwhm);
%! assert(q.delay, 30 * p.delay, 1e-4 * q.delay);
%! assert(max(q.Iout([1:20, end - 19:end])) < 1e-12 * max(q.Iout));   % nothing wraps around
%!error id=coatpulse:unknownOption coatpulse(flat, struct('lambda', 0.8, 'fwhm', 10), 'bounce', 2)
%!error id=coatpulse:badPulse coatpulse(flat, struct('lambda', 0.8, 'fwhm', 10, 'shape', 'square'))
%!error id=coatpulse:badDesign coatpulse(struct('d', 0.1, 'm', 3, 'materials', {{'TiO2', 'SiO2'}}), struct('lambda', 0.8, 'fwhm', 10))
%!warning id=coatpulse:shortWindow coatpulse(flat, struct('lambda', 0.8, 'fwhm', 10), 'gdd', 2000, 'window', 400);
