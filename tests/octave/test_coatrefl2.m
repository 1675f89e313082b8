% End-to-end tests of coatrefl2 as Octave loads it.

%!shared c, R
%! c = stack_case(10, 11);
%! R = coatrefl2(c.k, c.d, c.na, c.N, c.theta);

%!test  # an even stack is the textbook TM reflectance
%! ref = abs(textbook_rho(c.k, c.d, c.na, c.N, c.theta, 'TM', 'physical')).^2;
%! assert(size(R), [1 11]);
%! assert(R, ref, 1e-13);

%!test  # an odd stack is closed with B to substrate, not physically
%! d = c.d(1:7);
%! R7 = coatrefl2(c.k, d, c.na, c.N, c.theta);
%! assert(R7, abs(textbook_rho(c.k, d, c.na, c.N, c.theta, 'TM', 'slot3')).^2, 1e-13);
%! assert(max(abs(R7 - abs(textbook_rho(c.k, d, c.na, c.N, c.theta, 'TM', 'physical')).^2)) > 1e-3);

%!test  # no layers: the B-to-substrate interface alone; A plays no part
%! N = c.N; N(1, :) = 0.2;
%! R0 = coatrefl2(c.k, zeros(0, 1), c.na, N, c.theta);
%! assert(R0, abs(textbook_rho(c.k, [], c.na, N, c.theta, 'TM', 'slot3')).^2, 1e-15);
%! assert(all(isfinite(R0)));

%!test  # counts come from the columns of k and the rows of d
%! assert(size(coatrefl2(zeros(1, 0), c.d, c.na, c.N, c.theta)), [1 0]);
%! Rcol = coatrefl2(c.k', c.d, c.na, c.N, c.theta);
%! assert(Rcol, R(1));
%! Rrow = coatrefl2(c.k, c.d', c.na, c.N, c.theta);
%! assert(Rrow, coatrefl2(c.k, c.d(1), c.na, c.N, c.theta));

%!test  # the triples are read consecutively: a K x 3 matrix is taken as laid out
%! N = c.N';
%! flat = reshape(N, 3, []);
%! assert(coatrefl2(c.k, c.d, c.na, N, c.theta), coatrefl2(c.k, c.d, c.na, flat, c.theta));

%!test  # extra inputs are ignored; complex arrays are read by their real part
%! assert(coatrefl2(c.k, c.d, c.na, c.N, c.theta, 'extra', {}), R);
%! assert(coatrefl2(c.k + 1i, c.d, c.na, c.N * (1 + 0i) + 2i, c.theta), R);

%!test  # an evanescent material spoils its own wavenumber only
%! N = c.N; N(2, 4) = 0.3;
%! R4 = coatrefl2(c.k, c.d, c.na, N, c.theta);
%! assert(isnan(R4(4)));
%! assert(R4([1:3, 5:end]), R([1:3, 5:end]));

%!test  # one output or a bare call: the host's single slot only
%! coatrefl2(c.k, c.d, c.na, c.N, c.theta);
%! assert(ans, R);
%! x = coatrefl2(c.k, c.d, c.na, c.N, c.theta);
%! assert(x, R);

%!error id=coatrefl2:notEnoughInputs coatrefl2(1, 2, 3, 4)
%!error <5 inputs required, 0 given> coatrefl2()
%!error id=coatrefl2:tooManyOutputs [a, b] = coatrefl2(1, 0.1, 1, [2; 1.5; 1.5], 0)
%!error <Input 4 \(material triples\) needs 3 elements per wavenumber: 21 expected, 20 given> coatrefl2(linspace(6, 9, 7), 0.1, 1, ones(1, 20), 0)
%!error <Input 1 \(wavenumber grid\) has 3 columns but 0 elements> coatrefl2(zeros(0, 3), 0.1, 1, ones(3, 3), 0)
%!error <Input 2 \(thickness vector\) has 1 rows but 0 elements> coatrefl2(7, zeros(1, 0), 1, [2; 1.5; 1.5], 0)
%!error <Input 3 \(ambient index\) must be a scalar; an empty array was given> coatrefl2(7, 0.1, [], [2; 1.5; 1.5], 0)
%!error <Input 5 \(angle of incidence\) must be a scalar> coatrefl2(7, 0.1, 1, [2; 1.5; 1.5], [])
%!error <Input 2 \(thickness vector\) must be a full double array; a sparse array was given> coatrefl2(7, sparse(0.1), 1, [2; 1.5; 1.5], 0)

%!test  # every input of every wrong kind is refused before anything is made
%! check_wrong_kinds('coatrefl2', {7, 0.1, 1, [2; 1.5; 1.5], 0}, 1:5, 1);

%!test  # the help text names the call and its units
%! txt = help('coatrefl2');
%! assert(!isempty(strfind(txt, 'R = coatrefl2(k, d, n_a, N, theta)')));
%! assert(!isempty(strfind(txt, 'rad/um')));
%! assert(!isempty(strfind(txt, 'NaN')));
