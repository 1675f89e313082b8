% End-to-end tests of coatdispgrad.

%!shared c, Npp
%! c = stack_case(7, 11, 0.6);
%! Npp = c.Npp;

%!test  # gradients are the thickness slopes of its own R, GD, GDD, row j for layer j
%! h = 1e-6;
%! for pol = {'TE', 'p'}
%!   [R, GD, GDD, dR, dGD, dGDD] = coatdispgrad(c.k, c.d, c.na, c.N, c.Np, Npp, c.theta, pol{1});
%!   assert({size(R), size(GDD), size(dR), size(dGDD)}, {[1 11], [1 11], [7 11], [7 11]});
%!   for j = [1 4 7]
%!     up = c.d;  up(j) += h;  down = c.d;  down(j) -= h;
%!     [Ru, GDu, GDDu] = coatdispgrad(c.k, up, c.na, c.N, c.Np, Npp, c.theta, pol{1});
%!     [Rd, GDd, GDDd] = coatdispgrad(c.k, down, c.na, c.N, c.Np, Npp, c.theta, pol{1});
%!     assert(dR(j, :), (Ru - Rd) / (2 * h), 1e-6 * max(abs(dR(:))));
%!     assert(dGD(j, :), (GDu - GDd) / (2 * h), 1e-6 * max(abs(dGD(:))));
%!     assert(dGDD(j, :), (GDDu - GDDd) / (2 * h), 1e-5 * max(abs(dGDD(:))));
%!   end
%! end

%!test  # the physical stack with every index following N + Np x + Npp x^2 / 2, x = k - k_i
%! % phase differences of step 1e-5 (GD) and 1e-3 rad/um (GDD) are off by 5e-10 and 1e-5
%! % (the second difference's truncation) of the largest value: bounds 1e-7 and 1e-4
%! for L = [0 2 5 8]
%!   for pol = {'TE', 'TM'}
%!     d = [c.d; c.d](1:L);
%!     [R, GD, GDD] = coatdispgrad(c.k, d, c.na, c.N, c.Np, Npp, c.theta, pol{1});
%!     rho = @(k) textbook_rho(k, d, c.na, c.N + c.Np .* (k - c.k) + Npp .* (k - c.k).^2 / 2, ...
%!                             c.theta, pol{1}, 'physical');
%!     [gd, ~] = phase_slope(rho, c.k, 1e-5);
%!     [~, gdd] = phase_slope(rho, c.k, 1e-3);
%!     assert(R, abs(rho(c.k)).^2, 1e-13);
%!     assert(GD, gd, 1e-7 * max([1 abs(GD)]));
%!     assert(GDD, gdd, 1e-4 * max([1 abs(GDD)]));
%!   end
%! end

%!test  # 3x1 triples serve every wavenumber; k and d as rows or columns; fewer outputs, same numbers
%! N1 = c.N(:, 1);  P1 = c.Np(:, 1);  Q1 = Npp(:, 1);
%! [R, GD, GDD, dR, dGD, dGDD] = coatdispgrad(c.k, c.d, c.na, N1, P1, Q1, c.theta, 'tm');
%! [R2, GD2, GDD2, dR2, dGD2, dGDD2] = ...
%!     coatdispgrad(c.k', c.d', c.na, repmat(N1, 1, 11), repmat(P1, 1, 11), repmat(Q1, 1, 11), c.theta, 'TM');
%! assert({R, GD, GDD, dR, dGD, dGDD}, {R2, GD2, GDD2, dR2, dGD2, dGDD2});
%! [R3, GD3] = coatdispgrad(c.k, c.d, c.na, N1, P1, Q1, c.theta, 'p');
%! assert(abs([R3 - R, GD3 - GD]) < 1e-12 * (1 + abs([R GD])));
%! [R4, GD4, GDD4, dR4] = coatdispgrad(c.k, c.d, c.na, N1, P1, Q1, c.theta, 'TM');
%! assert([R4 GD4 GDD4], [R GD GDD]);  assert(dR4, dR, 1e-14);
%! assert(isempty(coatdispgrad(zeros(1, 0), c.d, c.na, zeros(3, 0), N1, [], 0, 's')));

%!test  # a material that cannot propagate gives NaN at its wavenumber only; R = 0 gives NaN phase
%! N = c.N;  N(2, 3) = 0.3;                    % B below n_a sin(theta) at k(3)
%! [R, GD, GDD, dR, dGD, dGDD] = coatdispgrad(c.k, c.d, c.na, N, c.Np, Npp, c.theta, 'TE');
%! bad = (1:11) == 3;
%! assert(all(isnan([R(bad) GD(bad) GDD(bad) dR(:, bad)(:)' dGDD(:, bad)(:)'])));
%! assert(all(isfinite([R(!bad) GD(!bad) GDD(!bad) dR(:, !bad)(:)' dGDD(:, !bad)(:)'])));
%! [R, GD, GDD, dR, dGD] = coatdispgrad(8, [0.1; 0.2], 1, [1; 1; 1], [0; 0; 0], [], 0, 'TE');
%! assert([R dR'], [0 0 0]);  assert(all(isnan([GD GDD dGD'])));

%!error id=coatdispgrad:notEnoughInputs coatdispgrad(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], [], 0)
%!error id=coatdispgrad:tooManyInputs coatdispgrad(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], [], 0, 'TE', 1)
%!error id=coatdispgrad:tooManyOutputs [a, b, c, d, e, f, g] = coatdispgrad(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], [], 0, 'TE')
%!error <Input 4 \(indices N\) must be real; a complex array was given \(absorbing layers are not modelled\)> coatdispgrad(7, 0.1, 1, [2; 1.5; 1.5] + 0.01i, [0; 0; 0], [], 0, 'TE')
%!error <Input 5 \(slopes Np\) must be 3x2 \(one column per wavenumber\) or 3x1 \(for all\); a 2x2 array was given> coatdispgrad([7 8], 0.1, 1, ones(3, 2), ones(2, 2), [], 0, 'TE')
%!error <Input 5 \(slopes Np\) looks transposed: a 2x3 array was given, whose 2 rows match the K = 2 wavenumbers> coatdispgrad([7 8], 0.1, 1, ones(3, 2), ones(2, 3), [], 0, 'TE')
%!error <Input 1 \(wavenumbers k\) must be a vector; a 2x2 array was given> coatdispgrad(ones(2), 0.1, 1, ones(3, 1), ones(3, 1), [], 0, 'TE')
%!error <Input 3 \(ambient index n_a\) must be a scalar; 2 elements were given> coatdispgrad(7, 0.1, [1 1], ones(3, 1), ones(3, 1), [], 0, 'TE')
%!error <Input 7 \(angle theta\) must be in radians with 0 <= theta < pi/2; 45 was given> coatdispgrad(7, 0.1, 1, ones(3, 1), ones(3, 1), [], 45, 'TE')
%!error <Input 2 \(thicknesses d\) must be finite and .* element 2 is -0.1> coatdispgrad(7, [0.1 -0.1], 1, ones(3, 1), ones(3, 1), [], 0, 'TE')
%!error id=coatdispgrad:badThickness coatdispgrad(7, [0.1 Inf], 1, ones(3, 1), ones(3, 1), [], 0, 'TE')
%!error id=coatdispgrad:badSelector coatdispgrad(7, 0.1, 1, ones(3, 1), ones(3, 1), [], 0, 'TEM')
%!error id=coatdispgrad:selectorNotChar coatdispgrad(7, 0.1, 1, ones(3, 1), ones(3, 1), [], 0, 1)

%!test  # wrong kinds of inputs 1 to 7
%! check_wrong_kinds('coatdispgrad', {7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], [0; 0; 0], 0, 'TE'}, 1:7, 6);

%!test  # help
%! txt = help('coatdispgrad');
%! assert(!isempty(strfind(txt, '[R, GD, GDD, dR, dGD, dGDD] = coatdispgrad(k, d, n_a, N, Np, Npp, theta, pol)')));
%! assert(!isempty(strfind(txt, 'fs^2 per um')));
