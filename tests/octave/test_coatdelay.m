% End-to-end tests of the checked coatdelay.

%!shared c, Z, args
%! c = stack_case(12, 11);
%! Z = zeros(size(c.N));
%! args = {7, 0.1, 1, [2; 1.5; 1.5], [0; 0; 0], 0, 'TE'};

%!error <^coatdelay: coatdelay: 7 input arguments required\.$> coatdelay(1, 2, 3, 4, 5, 6)
%!error <coatdelay: 7 input arguments required\.$> [a, b] = coatdelay(1, 2, 3, 4, 5, 6)
%!error <coatdelay: 7 input arguments required\.$> [a, b, c] = coatdelay()
%!error <coatdelay: 2 output arguments required\.$> R = coatdelay(args{:})
%!error <coatdelay: 2 output arguments required\.$> coatdelay(args{:})
%!error <coatdelay: 2 output arguments required\.$> [a, b, c] = coatdelay(args{:})
%!error <coatdelay called with incorrect dimensions\.$> [a, b] = coatdelay([7; 8], 0.1, 1, ones(3, 2), ones(3, 2), 0, 'TE')
%!error <coatdelay called with incorrect dimensions\.$> [a, b] = coatdelay(7, [0.1 0.2], 1, [2; 1.5; 1.5], [0; 0; 0], 0, 'TE')
%!error <coatdelay called with incorrect dimensions\.$> [a, b] = coatdelay({1, 2}', {1}, {}, {}, {}, {}, {})
%!error id=coatdelay:nargin coatdelay()
%!error id=coatdelay:nargout coatdelay(args{:})
%!error id=coatdelay:dimensions [a, b] = coatdelay(zeros(0, 1), 0.1, 1, 1, 1, 0, 'TE')

%!test  # eight inputs and two outputs: the eighth is ignored
%! [R, GD] = coatdelay(args{:}, 'ignored');
%! [R1, GD1] = coatdelay(args{:});
%! assert([R GD], [R1 GD1]);

%!test  # the physical stack (odd L ends in A on the substrate), slopes in the layer phases
%! for L = [1 2 7 12]
%!   for pol = {'TE', 'TM'}
%!     d = c.d(1:L);
%!     [R, GD] = coatdelay(c.k, d, c.na, c.N, c.Np, c.theta, pol{1});
%!     rho = @(k) textbook_rho(k, d, c.na, c.N, c.theta, pol{1}, 'physical', c.Np, c.k);
%!     assert(R, abs(rho(c.k)).^2, 1e-13);
%!     assert(GD, phase_slope(rho, c.k, 1e-5), 1e-7 * max(abs(GD)));
%!   end
%! end

%!test  # K = 0: two empty rows
%! [R, GD] = coatdelay(zeros(1, 0), c.d, c.na, c.N, c.Np, c.theta, 'TE');
%! assert(size(R), [1 0]);  assert(size(GD), [1 0]);

%!test  # no layers: the bare substrate, GD = 0
%! for pol = {'TE', 'TM'}
%!   [R, GD] = coatdelay(c.k, zeros(0, 1), c.na, c.N, c.Np, c.theta, pol{1});
%!   assert(R, abs(textbook_rho(c.k, [], c.na, c.N, c.theta, pol{1}, 'physical')).^2, 1e-15);
%!   assert(GD, zeros(1, 11));
%!   [Rthin, GDthin] = coatdelay(c.k, zeros(3, 1), c.na, c.N, c.Np, c.theta, pol{1});
%!   assert(R, Rthin, 1e-15);
%! end

%!test  # selectors as in coatdelay2
%! [Rm, GDm] = coatdelay(c.k, c.d, c.na, c.N, c.Np, c.theta, 'TM');
%! [Rx, GDx] = coatdelay(c.k, c.d, c.na, c.N, c.Np, c.theta, ['TMx' repmat(' ', 1, 60)]);
%! [Re, GDe] = coatdelay(c.k, c.d, c.na, c.N, c.Np, c.theta, 'tm');
%! assert([Rx GDx], [Rm GDm]);
%! assert(max(abs(Rm - Re)) > 1e-3);

%!error <Input 4 \(material triples\) needs 3 elements per wavenumber: 6 expected, 5 given> [a, b] = coatdelay([7 8], 0.1, 1, ones(1, 5), ones(3, 2), 0, 'TE')
%!error id=coatdelay:selectorNotChar [a, b] = coatdelay(args{1:6}, 7)

%!test  # wrong kinds of inputs 1 to 6 past the three checks
%! check_wrong_kinds('coatdelay', args, 1:6, 2);

%!test  # help of the checked build
%! txt = help('coatdelay');
%! assert(!isempty(strfind(txt, 'coatdelay called with incorrect dimensions.')));
%! assert(!isempty(strfind(txt, 'A to substrate')));
%! assert(!isempty(strfind(txt, 'first-generation')));
