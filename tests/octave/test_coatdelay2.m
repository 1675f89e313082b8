% End-to-end tests of coatdelay2.

%!shared c, Z
%! c = stack_case(12, 11);
%! Z = zeros(size(c.N));

%!test  # GD is the phase slope of the stack with the slopes in its layer phases, even and odd L, TE and TM
%! for L = [2 7 12]
%!   for pol = {'TE', 'TM'}
%!     d = c.d(1:L);
%!     [R, GD] = coatdelay2(c.k, d, c.na, c.N, c.Np, c.theta, pol{1});
%!     rho = @(k) textbook_rho(k, d, c.na, c.N, c.theta, pol{1}, 'slot3', c.Np, c.k);
%!     assert(R, abs(rho(c.k)).^2, 1e-13);
%!     assert(GD, phase_slope(rho, c.k, 1e-5), 1e-7 * max(abs(GD)));
%!   end
%! end

%!test  # dispersion acts through the layer phases alone
%! [~, GD] = coatdelay2(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! [~, GD0] = coatdelay2(c.k, c.d, c.na, c.N, Z, c.theta, 'TE');
%! full = phase_slope(@(k) textbook_rho(k, c.d, c.na, c.N + c.Np .* (k - c.k), c.theta, 'TE', 'slot3'), c.k, 1e-5);
%! assert(max(abs(GD - GD0)) > 1e-2);
%! assert(max(abs(GD - full)) > 1e-4);

%!test  # normal incidence: TE and TM agree
%! [Re, GDe] = coatdelay2(c.k, c.d, c.na, c.N, c.Np, 0, 'TE');
%! [Rm, GDm] = coatdelay2(c.k, c.d, c.na, c.N, c.Np, 0, 'TM');
%! assert(Re, Rm, 1e-14);
%! assert(GDe, GDm, 1e-12 * max(abs(GDe)));

%!test  # no layers: GD = 0; nothing reflected: GD is NaN
%! [R, GD] = coatdelay2(c.k, zeros(0, 1), c.na, c.N, c.Np, c.theta, 'TE');
%! assert(GD, zeros(1, 11));
%! [R, GD] = coatdelay2(c.k, c.d, 1.5, 1.5 * ones(3, 11), Z, 0, 'TM');
%! assert(R, zeros(1, 11));
%! assert(all(isnan(GD)));

%!test  # only a selector beginning with T and M selects TM
%! [Rm, GDm] = coatdelay2(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TM');
%! [Re, GDe] = coatdelay2(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert(max(abs(Rm - Re)) > 1e-3);
%! for s = {'TM', 'TMx', ['TM' repmat('z', 1, 38)]}
%!   [R, GD] = coatdelay2(c.k, c.d, c.na, c.N, c.Np, c.theta, s{1});
%!   assert([R GD], [Rm GDm]);
%! end
%! for s = {'TE', 'tm', 'T', 'MT', '', ['TE' repmat('M', 1, 38)], ['TM'; 'TM']}
%!   [R, GD] = coatdelay2(c.k, c.d, c.na, c.N, c.Np, c.theta, s{1});
%!   assert([R GD], [Re GDe]);
%! end

%!test  # counts: columns of k, rows of d
%! [R, GD] = coatdelay2(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! [R1, GD1] = coatdelay2(c.k', c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert([R1 GD1], [R(1) GD(1)]);
%! [Rr, GDr] = coatdelay2(c.k, c.d', c.na, c.N, c.Np, c.theta, 'TE');
%! [Rs, GDs] = coatdelay2(c.k, c.d(1), c.na, c.N, c.Np, c.theta, 'TE');
%! assert([Rr GDr], [Rs GDs]);
%! [R0, GD0] = coatdelay2(zeros(1, 0), c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert(size(R0), [1 0]);  assert(size(GD0), [1 0]);

%!test  # one output or a bare call fills only the slot the host gives
%! [R, GD] = coatdelay2(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! coatdelay2(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert(ans, R);
%! assert(coatdelay2(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE'), R);

%!error id=coatdelay2:notEnoughInputs coatdelay2(1, 2, 3, 4, 5, 6)
%!error id=coatdelay2:tooManyOutputs [a, b, c] = coatdelay2(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 'TE')
%!error <Input 5 \(derivative triples\) needs 3 elements per wavenumber: 6 expected, 5 given> coatdelay2([7 8], 0.1, 1, ones(3, 2), ones(1, 5), 0, 'TE')
%!error <Input 2 \(thickness vector\) has 4 rows but 0 elements> coatdelay2(7, zeros(4, 0), 1, [2; 1.5; 1.5], [0; 0; 0], 0, 'TE')
%!error <Input 7 \(polarization selector\) must be a character array> coatdelay2(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 1)
%!error id=coatdelay2:selectorNotChar coatdelay2(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, {'TM'})

%!test  # wrong kinds of inputs 1 to 6
%! check_wrong_kinds('coatdelay2', {7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 'TE'}, 1:6, 2);

%!test  # help
%! txt = help('coatdelay2');
%! assert(!isempty(strfind(txt, '[R, GD] = coatdelay2(k, d, n_a, N, Nprime, theta, pol)')));
%! assert(!isempty(strfind(txt, 'fs')));
%! assert(!isempty(strfind(txt, 'B-to-substrate')));
