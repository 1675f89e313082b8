% check_wrong_kinds(fname, good, inputs, nout): replacing any listed input of
% a valid call by a value of a wrong kind is refused with an identifier of the
% module and a message naming that input; the call never goes through.
function check_wrong_kinds(fname, good, inputs, nout)
  bad = {single(1), int32(1), uint8(1), true, 'a', {1}, struct('x', 1), @sin, sparse(1)};
  out = cell(1, nout);
  for i = inputs
    for b = 1:numel(bad)
      args = good;  args{i} = bad{b};
      accepted = false;
      try
        [out{:}] = feval(fname, args{:});
        accepted = true;
      catch err
        assert(strncmp(err.identifier, [fname ':'], numel(fname) + 1), ...
               'identifier %s for input %d', err.identifier, i);
        assert(!isempty(strfind(err.message, sprintf('Input %d (', i))), err.message);
      end
      assert(!accepted, '%s accepted input %d of class %s', fname, i, class(bad{b}));
    end
  end
end
