% End-to-end tests of the first-generation coatdelay (legacy folder first on
% the path).

%!shared c
%! c = stack_case(9, 11);

%!test  # the first-generation build is the one found
%! assert(!isempty(strfind(which('coatdelay'), 'legacy')));

%!test  # the stack with slopes in its layer phases, odd L closed with B to substrate too
%! for L = [0 1 2 9]
%!   for pol = {'TE', 'TM'}
%!     d = c.d(1:L);
%!     [R, GD] = coatdelay(c.k, d, c.na, c.N, c.Np, c.theta, pol{1});
%!     rho = @(k) textbook_rho(k, d, c.na, c.N, c.theta, pol{1}, 'slot3', c.Np, c.k);
%!     assert(R, abs(rho(c.k)).^2, 1e-13);
%!     assert(GD, phase_slope(rho, c.k, 1e-5), 1e-7 * max(abs(GD)));
%!   end
%! end

%!test  # element counts: rows or columns give the same numbers
%! [R, GD] = coatdelay(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TM');
%! [Rc, GDc] = coatdelay(c.k', c.d', c.na, c.N, c.Np, c.theta, 'TM');
%! assert([Rc GDc], [R GD]);
%! assert(size(Rc), [1 11]);

%!test  # one output is fine here
%! R = coatdelay(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert(size(R), [1 11]);

%!error id=coatdelay:notEnoughInputs coatdelay(1, 2, 3, 4, 5, 6)
%!error <Input 4 \(material triples\) needs 3 elements per wavenumber: 15 expected, 12 given> coatdelay((1:5)', 0.1, 1, ones(4, 3), ones(3, 5), 0, 'TE')
%!error id=coatdelay:selectorNotChar coatdelay(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 1)

%!test  # wrong kinds of inputs 1 to 6
%! check_wrong_kinds('coatdelay', {7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 'TE'}, 1:6, 2);

%!test  # help of this build
%! txt = help('coatdelay');
%! assert(!isempty(strfind(txt, 'first-generation')));
