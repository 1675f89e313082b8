% results = parallel_map(fun, n, parallel, who): fun(1), ..., fun(n) in a 1 x n
% cell, each call independent of the others, so the results do not depend
% on where or in which order they run. In Octave they go through parcellfun
% of the parallel package (Debian: octave-parallel) when it is installed,
% parallel is true and n > 1, on as many processes as the machine has
% cores; in MATLAB through parfor, which a parallel pool spreads over its
% workers (a plain loop without one); else, or where the environment
% variable COAT_PARALLEL is 0, they run in a plain loop (as the calls' own
% calls of parallel_map do in Octave's processes). While
% they run, unless the caller set COAT_THREADS, each call of the modules
% keeps to its own thread: the calls are what runs in parallel. A call that
% fails in a worker is run again here, so that its error is raised with
% its own identifier and message; where the
% parallel package itself fails, the warning who:parallel says so and the
% calls run in a plain loop.
%
% parcellfun runs fun in Octave processes of its own, which find functions
% on the path alone: fun must be an anonymous function that calls public
% functions only (coatoptimize, coattargets, ...), never a private helper
% or a subfunction, and carries its data in the variables it captures.
function results = parallel_map(fun, n, parallel, who)
  results = cell(1, n);
  if isempty(getenv('COAT_THREADS'))
    setenv('COAT_THREADS', '1');
    restore = onCleanup(@() setenv('COAT_THREADS', ''));
  end
  parallel = parallel && ~strcmp(getenv('COAT_PARALLEL'), '0');
  if exist('OCTAVE_VERSION', 'builtin')
    done = false;
    if parallel && n > 1 && nproc() > 1 && has_parcellfun()
      caught = @(failure, varargin) struct('parallel_map_failure', failure);
      % the processes inherit COAT_PARALLEL=0: a call that maps in its turn
      % (coattolerance within a start of coatdesign) loops in its process
      % rather than start processes that would compete for the same cores
      outer = getenv('COAT_PARALLEL');
      setenv('COAT_PARALLEL', '0');
      try
        results = parcellfun(min(nproc(), n), fun, num2cell(1:n), 'UniformOutput', false, ...
                             'VerboseLevel', 0, 'ErrorHandler', caught);
        done = true;
      catch failure
        warning([who ':parallel'], '%s: the parallel package failed (%s); the runs go one after another.', ...
                who, failure.message);
      end
      setenv('COAT_PARALLEL', outer);
    end
    if ~done
      for i = 1:n
        results{i} = fun(i);
      end
    end
  elseif parallel
    parfor i = 1:n
      results{i} = fun(i);
    end
  else
    for i = 1:n
      results{i} = fun(i);
    end
  end
  % A call that failed in a worker runs again here: the parallel package
  % loses an error's identifier and may replace its message (with one about
  % its own files), and the calls give the same results wherever they run,
  % so this raises the error itself, under its own identifier.
  for i = 1:n
    if isstruct(results{i}) && isfield(results{i}, 'parallel_map_failure')
      results{i} = fun(i);
    end
  end
end

% Whether parcellfun can be called, loading the parallel package where it is
% installed but not loaded (once a session).
function ok = has_parcellfun()
  persistent tried
  ok = exist('parcellfun', 'file') ~= 0;
  if ok || ~isempty(tried)
    return;
  end
  tried = true;
  try
    if ~isempty(pkg('list', 'parallel'))
      pkg('load', 'parallel');
    end
  catch
  end
  ok = exist('parcellfun', 'file') ~= 0;
end
