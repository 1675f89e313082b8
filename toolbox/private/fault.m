% fault(who, reason, format, ...): raises the error who:reason with the
% message 'who: ' followed by format filled with the rest, so that every
% public function reports a fault under its own name, wherever the check
% that found it is written.
function fault(who, reason, format, varargin)
  error([who ':' reason], ['%s: ' format], who, varargin{:});
end
