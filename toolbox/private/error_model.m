% model = error_model(model, L, M, who, reason): the production-error model
% of a design of L layers in M materials, checked and completed, as
% coattolerance, coatoptimize and coatdesign take it. model is a struct of
% the fields below (names in any case, each optional), or a number: sigma
% alone. Errors: who:reason (a value out of its range or of the wrong
% size), who:sigmaUnits (a sigma of 50 nm or more, in nm; a relative or
% rate error of 0.5 or more, in percent: check_length), who:unknownOption
% (a field not listed).
%   sigma     random thickness error of each layer, absolute: the standard
%             deviation in um, a scalar or one per layer (default 0);
%   relative  random thickness error of each layer as a fraction of its
%             thickness (0.01: 1 %), a scalar or one per layer (default 0);
%   rate      systematic error: the standard deviation of each material's
%             deposition-rate factor, a fraction, a scalar or one per
%             material (default 0); drawn once a run, it scales every layer
%             of that material alike;
%   index     the standard deviation of each material's refractive index,
%             added to its real part at every wavelength (a film denser or
%             more porous than the catalogue's), a scalar or one per
%             material (default 0);
%   samples   the draws over which the optimisers average the merit
%             (default 32; 0: the model serves a yield alone);
%   seed      the seed of those draws (default 1);
%   method    'samples' (the default: the mean over the draws) or 'linear'
%             (the closed-form expected merit of the linearised
%             quantities, expected_linear).
% The two random parts are independent normal errors of one layer, so a
% layer errs by sqrt(sigma^2 + (relative d)^2) standard deviations of one
% normal draw (error_draws). Completed: sigma and relative as given
% (columns), rate and index as Mx1.
function model = error_model(model, L, M, who, reason)
  if isnumeric(model)
    model = struct('sigma', model);
  end
  if ~isstruct(model) || numel(model) ~= 1
    fault(who, reason, 'the error model must be a struct (sigma, relative, rate, index, samples, seed) or a sigma in um; a %s was given.', ...
          class(model));
  end
  model = parse_options(who, struct('sigma', 0, 'relative', 0, 'rate', 0, 'index', 0, ...
                                    'samples', 32, 'seed', 1, 'method', 'samples'), {model});
  if ~ischar(model.method) || ~any(strcmpi(model.method, {'samples', 'linear'}))
    fault(who, reason, 'the error model''s method must be ''samples'' or ''linear''.');
  end
  model.method = lower(model.method);
  sizes = struct('sigma', L, 'relative', L, 'rate', M, 'index', M);
  for f = fieldnames(sizes).'
    x = model.(f{1});
    n = sizes.(f{1});
    if ~isnumeric(x) || ~isreal(x) || ~(isscalar(x) || numel(x) == n) || any(~(x(:) >= 0)) ...
       || any(~isfinite(x(:)))
      fault(who, reason, 'the error model''s %s must be finite, >= 0, a scalar or %d values (one per %s).', ...
            f{1}, n, ifelse_text(n == L, 'layer', 'material'));
    end
    model.(f{1}) = double(x(:));
  end
  check_length(who, 'sigma', 'the error model''s sigma', model.sigma);
  check_length(who, 'relative', 'the error model''s relative', model.relative);
  check_length(who, 'relative', 'the error model''s rate', model.rate);
  if any(model.index >= 0.5)
    fault(who, reason, 'the error model''s index is a step in the refractive index (0.01 for a film 0.01 denser), below 0.5; %g was given.', ...
          max(model.index));
  end
  model.rate = model.rate .* ones(M, 1);
  model.index = model.index .* ones(M, 1);
  s = model.samples;
  if ~isnumeric(s) || ~isscalar(s) || ~(s >= 0) || s ~= round(s) || ~isfinite(s) ...
     || ~isnumeric(model.seed) || ~isscalar(model.seed) || ~isfinite(model.seed)
    fault(who, reason, 'the error model''s samples must be a whole number >= 0 and its seed a number.');
  end
end

function s = ifelse_text(c, a, b)
  if c, s = a; else s = b; end
end
