% End-to-end tests of coatdelaygrad.

%!shared c
%! c = stack_case(8, 11, 0.6);

%!test  # the gradients are the thickness slopes of its own R and GD
%! h = 1e-6;
%! for L = [3 8]
%!   for pol = {'TE', 'TM'}
%!     d = c.d(1:L);
%!     [R, GD, dR, dGD] = coatdelaygrad(c.k, d, c.na, c.N, c.Np, c.theta, pol{1});
%!     assert(size(dR), [L 11]);  assert(size(dGD), [L 11]);
%!     for j = 1:L
%!       up = d;  up(j) += h;  down = d;  down(j) -= h;
%!       [Ru, GDu] = coatdelaygrad(c.k, up, c.na, c.N, c.Np, c.theta, pol{1});
%!       [Rd, GDd] = coatdelaygrad(c.k, down, c.na, c.N, c.Np, c.theta, pol{1});
%!       assert(dR(j, :), (Ru - Rd) / (2 * h), 1e-6 * max(abs(dR(:))));
%!       assert(dGD(j, :), (GDu - GDd) / (2 * h), 1e-5 * max(abs(dGD(:))));
%!     end
%!   end
%! end

%!test  # R and GD are the physical stack's with the slopes in its layer phases, as coatdelay's
%! cc = stack_case(40, 11, 0.3);
%! for L = [0 1 2 7 40]
%!   for pol = {'TE', 'TM'}
%!     d = cc.d(1:L);
%!     [R, GD, dR, dGD] = coatdelaygrad(cc.k, d, cc.na, cc.N, cc.Np, cc.theta, pol{1});
%!     rho = @(k) textbook_rho(k, d, cc.na, cc.N, cc.theta, pol{1}, 'physical', cc.Np, cc.k);
%!     assert(R, abs(rho(cc.k)).^2, 1e-13);
%!     assert(GD, phase_slope(rho, cc.k, 1e-5), 1e-7 * max(abs(GD)));
%!     assert({size(dR), size(dGD)}, {[L 11], [L 11]});
%!     [R2, GD2] = coatdelaygrad(cc.k, d, cc.na, cc.N, cc.Np, cc.theta, pol{1});
%!     assert([R2 GD2], [R GD]);
%!   end
%! end

%!test  # normal incidence: TE and TM give the same four outputs
%! [Re, GDe, dRe, dGDe] = coatdelaygrad(c.k, c.d, c.na, c.N, c.Np, 0, 'TE');
%! [Rm, GDm, dRm, dGDm] = coatdelaygrad(c.k, c.d, c.na, c.N, c.Np, 0, 'TM');
%! assert(Re, Rm, 1e-14);  assert(GDe, GDm, 1e-12 * max(abs(GDe)));
%! assert(dRe, dRm, 1e-12 * max(abs(dRe(:))));
%! assert(dGDe, dGDm, 1e-11 * max(abs(dGDe(:))));

%!test  # K = 0: sizes 1x0, 1x0, Lx0, Lx0
%! [R, GD, dR, dGD] = coatdelaygrad(zeros(1, 0), c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert({size(R), size(GD), size(dR), size(dGD)}, {[1 0], [1 0], [8 0], [8 0]});

%!test  # a layer thinned to zero keeps a finite, true gradient
%! d = c.d;  d(4) = 0;  h = 1e-7;
%! [R, GD, dR, dGD] = coatdelaygrad(c.k, d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert(all(isfinite([dR(:); dGD(:)])));
%! up = d;  up(4) = h;
%! [Ru, GDu] = coatdelaygrad(c.k, up, c.na, c.N, c.Np, c.theta, 'TE');
%! assert(dR(4, :), (Ru - R) / h, 1e-5 * max(abs(dR(:))));
%! assert(dGD(4, :), (GDu - GD) / h, 1e-4 * max(abs(dGD(:))));

%!test  # three outputs: dR without dGD
%! [R, GD, dR, dGD] = coatdelaygrad(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! [R3, GD3, dR3] = coatdelaygrad(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert(dR3, dR);
%! assert(coatdelaygrad(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TE'), R);

%!error id=coatdelaygrad:notEnoughInputs coatdelaygrad(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0)
%!error id=coatdelaygrad:tooManyOutputs [a, b, c, d, e] = coatdelaygrad(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 'TE')
%!error <Input 4 \(material triples\) needs 3 elements per wavenumber: 6 expected, 3 given> coatdelaygrad([7 8], 0.1, 1, [2; 1.5; 1.5], ones(3, 2), 0, 'TE')
%!error id=coatdelaygrad:selectorNotChar coatdelaygrad(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, [84 77])

%!test  # wrong kinds of inputs 1 to 6
%! check_wrong_kinds('coatdelaygrad', {7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 'TE'}, 1:6, 4);

%!test  # help
%! txt = help('coatdelaygrad');
%! assert(!isempty(strfind(txt, '[R, GD, dR, dGD] = coatdelaygrad(k, d, n_a, N, Nprime, theta, pol)')));
%! assert(!isempty(strfind(txt, 'fs per um')));
%! assert(!isempty(strfind(txt, 'fminunc')));
