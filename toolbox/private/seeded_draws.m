% X = seeded_draws(seed, kind, rows, cols): rows x cols draws of kind 'rand'
% (uniform on (0, 1)) or 'randn' (standard normal) from a generator of their
% own seeded with seed, leaving the caller's random state as it was: the
% same seed gives the same numbers wherever and whenever they are drawn.
function X = seeded_draws(seed, kind, rows, cols)
  if exist('OCTAVE_VERSION', 'builtin')
    saved = feval(kind, 'state');
    feval(kind, 'state', seed);
    X = feval(kind, rows, cols);
    feval(kind, 'state', saved);
  else
    X = feval(kind, RandStream('mt19937ar', 'Seed', seed), rows, cols);
  end
end
