% check_sigma_um(sigma, name, who, reason): a thickness error's standard
% deviation must be in um: above 0.05 um (50 nm) no coating chamber errs,
% and such a value is almost always nanometres given as micrometres (1 for
% 1 nm). Raises who:reason naming the input otherwise.
function check_sigma_um(sigma, name, who, reason)
  if any(sigma(:) > 0.05)
    fault(who, reason, '%s is %g um, beyond the 0.05 um (50 nm) any chamber errs by; thickness errors are in um (1 nm is 0.001).', ...
          name, max(sigma(:)));
  end
end
