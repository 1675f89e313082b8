% End-to-end tests of coatdisp and coatdisp2.

%!shared c, Z
%! c = stack_case(10, 11);
%! Z = zeros(size(c.N));

%!test  # GD and GDD are the phase derivatives of the stack with the slopes in its layer phases; coatdisp2 is TM
%! for L = [2 7 10]
%!   for pol = {'TE', 'TM'}
%!     d = c.d(1:L);
%!     rho = @(k) textbook_rho(k, d, c.na, c.N, c.theta, pol{1}, 'slot3', c.Np, c.k);
%!     [gd, ~] = phase_slope(rho, c.k, 1e-5);
%!     [~, gdd] = phase_slope(rho, c.k, 1e-3);
%!     [R, GD, GDD] = coatdisp(c.k, d, c.na, c.N, c.Np, c.theta, pol{1});
%!     if strcmp(pol{1}, 'TM')
%!       [R2, GD2, GDD2] = coatdisp2(c.k, d, c.na, c.N, c.Np, c.theta);
%!       R = [R; R2];  GD = [GD; GD2];  GDD = [GDD; GDD2];
%!     end
%!     for m = 1:rows(R)
%!       assert(R(m, :), abs(rho(c.k)).^2, 1e-13);
%!       assert(GD(m, :), gd, 1e-7 * max(abs(GD(m, :))));
%!       assert(GDD(m, :), gdd, 1e-4 * max(abs(GDD(m, :))));
%!     end
%!   end
%! end

%!test  # normal incidence: TE and TM agree; the substrate's slope does nothing
%! [Re, GDe, GDDe] = coatdisp(c.k, c.d, c.na, c.N, c.Np, 0, 'TE');
%! [Rm, GDm, GDDm] = coatdisp(c.k, c.d, c.na, c.N, c.Np, 0, 'TM');
%! assert(Re, Rm, 1e-14);
%! assert(GDe, GDm, 1e-12 * max(abs(GDe)));
%! assert(GDDe, GDDm, 1e-11 * max(abs(GDDe)));
%! Np = c.Np;  Np(3, :) = 5;
%! [R, GD, GDD] = coatdisp(c.k, c.d, c.na, c.N, Np, 0, 'TE');
%! assert([R GD GDD], [Re GDe GDDe]);

%!test  # no layers: GD = GDD = 0; with n_B = n_S nothing is reflected
%! [R, GD, GDD] = coatdisp(c.k, zeros(0, 1), c.na, c.N, c.Np, c.theta, 'TE');
%! assert([GD GDD], zeros(1, 22));
%! N = c.N;  N(2, :) = N(3, :);
%! [R, GD, GDD] = coatdisp2(c.k, zeros(0, 1), c.na, N, c.Np, c.theta);
%! assert(R, zeros(1, 11));
%! assert(all(isnan([GD GDD])));

%!test  # K = 0: three empty rows; fewer outputs fill fewer slots
%! [R, GD, GDD] = coatdisp(zeros(1, 0), c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert({size(R), size(GD), size(GDD)}, {[1 0], [1 0], [1 0]});
%! [R, GD, GDD] = coatdisp(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert(coatdisp(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE'), R);
%! [R1, GD1] = coatdisp2(c.k, c.d, c.na, c.N, c.Np, c.theta);
%! coatdisp2(c.k, c.d, c.na, c.N, c.Np, c.theta);
%! assert(ans, R1);

%!error id=coatdisp:notEnoughInputs coatdisp(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0)
%!error id=coatdisp2:notEnoughInputs coatdisp2(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0])
%!error id=coatdisp:tooManyOutputs [a, b, c, d] = coatdisp(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 'TE')
%!error id=coatdisp2:tooManyOutputs [a, b, c, d] = coatdisp2(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0)
%!error <Input 5 \(derivative triples\) needs 3 elements per wavenumber> coatdisp2([7 8], 0.1, 1, ones(3, 2), [0; 0; 0], 0)
%!error id=coatdisp:selectorNotChar coatdisp(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 2)

%!test  # a seventh input of coatdisp2 is ignored, whatever it is
%! [R, GD, GDD] = coatdisp2(c.k, c.d, c.na, c.N, c.Np, c.theta, {'TE'});
%! [R2, GD2, GDD2] = coatdisp2(c.k, c.d, c.na, c.N, c.Np, c.theta);
%! assert([R GD GDD], [R2 GD2 GDD2]);

%!test  # wrong kinds of inputs 1 to 6
%! check_wrong_kinds('coatdisp', {7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 'TE'}, 1:6, 3);
%! check_wrong_kinds('coatdisp2', {7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0}, 1:6, 3);

%!test  # help
%! txt = help('coatdisp');
%! assert(!isempty(strfind(txt, '[R, GD, GDD] = coatdisp(k, d, n_a, N, Nprime, theta, pol)')));
%! assert(!isempty(strfind(txt, 'fs^2')));
%! txt = help('coatdisp2');
%! assert(!isempty(strfind(txt, '[R, GD, GDD] = coatdisp2(k, d, n_a, N, Nprime, theta)')));
