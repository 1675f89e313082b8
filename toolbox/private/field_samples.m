% [Q, D, layers] = field_samples(design, e, gradients): |E|^2 at the depths
% a completed field target e ('E2') samples, and with gradients true its
% exact thickness derivatives, from coatprofile.
%
% The depths. Each layer the target selects (field_layers) is sampled at
% S = 17 equal fractions of its thickness, its front and back interfaces
% included, each depth tied to its layer: it keeps its fraction when any
% thickness changes, so it moves with the layers above and stretches with
% its own. In a layer without loss |E|^2 is a sinusoid in depth of period
% lambda / (2 n cos theta_n), half a wave, peaking at an interface or at one
% standing-wave maximum inside: 16 intervals miss that peak by at most
% 1 - cos(pi/32), 0.5 % of its swing, in a quarter-wave layer, and 2 % in a
% half-wave one. The count is fixed, so that the residuals keep their number
% while the layers change.
%
% Q is a x n x P (angles, wavelengths, the P = S x numel(layers) depths,
% layer by layer), the s/p mean where pol is 'avg'; D is L x n x a x P, the
% derivative of each value with respect to every thickness at fixed
% fractions (coatprofile's 'dE2' for depths tied to layers).
function [Q, D, layers] = field_samples(design, e, gradients)
  S = 17;
  layers = field_layers(design, e.layers);
  f = (0:S - 1) / (S - 1);
  tie = struct('layer', kron(layers(:).', ones(1, S)), 'fraction', repmat(f, 1, numel(layers)));
  P = numel(tie.layer);
  L = numel(design.d);
  pols = polarizations(e.pol);
  a = numel(e.theta);  n = numel(e.lambda);
  Q = zeros(a, n, P);
  D = [];
  want = {'E2'};
  if gradients
    D = zeros(L, n, a, P);
    want = {'E2', 'dE2'};
  end
  for ia = 1:a
    E2 = 0;  dE2 = 0;
    for ip = 1:numel(pols)
      o = coatprofile(e.k, design.d, design.m, design.ambient, e.N, e.Np, e.Npp, ...
                      e.theta(ia), pols{ip}, tie, want);
      E2 = E2 + o.E2;
      if gradients
        dE2 = dE2 + o.dE2;
      end
    end
    Q(ia, :, :) = reshape(E2.', [1 n P]) / numel(pols);
    if gradients
      % dE2 is L x P x K: to L x n x 1 x P
      D(:, :, ia, :) = reshape(permute(dE2, [1 3 2]), [L n 1 P]) / numel(pols);
    end
  end
end

