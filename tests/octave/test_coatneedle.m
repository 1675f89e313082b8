% End-to-end tests of coatneedle.

%!shared c, Npp, z, args
%! c = stack_case(7, 11, 0.6);
%! Npp = c.Npp;
%! b = cumsum(c.d);
%! z = [b(7); 0; 0.4 * c.d(1); b(3); b(2) + 0.63 * c.d(3)];   % any order
%! args = {c.k, c.d, c.na, c.N, c.Np, Npp, c.theta};

%!test  # needles against the stack with one inserted (one-sided differences in t); ends as documented
%! h = 1e-5;
%! for pol = {'TE', 'p'}
%!   [nR, nGD, nGDD] = coatneedle(args{:}, pol{1}, z);
%!   assert({size(nR), size(nGD), size(nGDD)}, {[5 11], [5 11], [5 11]});
%!   b = [0; cumsum(c.d)];
%!   for p = 1:numel(z)
%!     j = find(b(1:end-1) <= z(p), 1, 'last');          % the deeper layer holds a boundary
%!     if z(p) == b(end)
%!       with = @(t) [c.d; t];                            % a new last layer
%!     else
%!       with = @(t) [c.d(1:j-1); z(p) - b(j); t; b(j+1) - z(p); c.d(j+1:end)];
%!     end
%!     [R0, GD0, GDD0] = coatdispgrad(c.k, with(0), c.na, c.N, c.Np, Npp, c.theta, pol{1});
%!     [R1, GD1, GDD1] = coatdispgrad(c.k, with(h), c.na, c.N, c.Np, Npp, c.theta, pol{1});
%!     [R2, GD2, GDD2] = coatdispgrad(c.k, with(2 * h), c.na, c.N, c.Np, Npp, c.theta, pol{1});
%!     slope = @(f0, f1, f2) (-3 * f0 + 4 * f1 - f2) / (2 * h);
%!     assert(nR(p, :), slope(R0, R1, R2), 1e-5 * max(abs(nR(:))));
%!     assert(nGD(p, :), slope(GD0, GD1, GD2), 1e-5 * max(abs(nGD(:))));
%!     assert(nGDD(p, :), slope(GDD0, GDD1, GDD2), 1e-4 * max(abs(nGDD(:))));
%!   end
%! end

%!test  # fewer outputs, the same numbers; no depths; no layers
%! [nR, nGD, nGDD] = coatneedle(args{:}, 'TE', z);
%! [nR1, nGD1] = coatneedle(args{:}, 'TE', z');
%! assert({nR1, nGD1}, {nR, nGD});
%! assert(coatneedle(args{:}, 'TE', z), nR);
%! assert(size(coatneedle(args{:}, 'TE', zeros(0, 1))), [0 11]);
%! [nR0, nGD0, nGDD0] = coatneedle(c.k, [], c.na, c.N, c.Np, Npp, c.theta, 'TE', 0);
%! [R, GD, GDD] = coatdispgrad(c.k, [0; 1e-6], c.na, c.N, c.Np, Npp, c.theta, 'TE');
%! [R0, GD0, GDD0] = coatdispgrad(c.k, [], c.na, c.N, c.Np, Npp, c.theta, 'TE');
%! assert(nGDD0, (GDD - GDD0) / 1e-6, 1e-4 * max(abs(nGDD0)));

%!error id=coatneedle:depthOutOfRange coatneedle(7, [0.1; 0.2], 1, ones(3, 1), ones(3, 1), [], 0, 'TE', [0.3 0.30001])
%!error id=coatneedle:depthOutOfRange coatneedle(7, [0.1; 0.2], 1, ones(3, 1), ones(3, 1), [], 0, 'TE', NaN)
%!error id=coatneedle:notEnoughInputs coatneedle(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], [], 0, 'TE')
%!error id=coatneedle:tooManyOutputs [a, b, c, d] = coatneedle(7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], [], 0, 'TE', 0)
%!error <Input 9 \(depths z\) must be a vector; a 2x2 array was given> coatneedle(7, 0.1, 1, ones(3, 1), ones(3, 1), [], 0, 'TE', zeros(2))
%!error id=coatneedle:angleOutOfRange coatneedle(7, 0.1, 1, ones(3, 1), ones(3, 1), [], 45, 'TE', 0)

%!test  # wrong kinds of inputs 1 to 7 and 9
%! check_wrong_kinds('coatneedle', {7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], [0; 0; 0], 0, 'TE', 0}, [1:7 9], 3);
