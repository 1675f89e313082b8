% w = band_weights(lambda): the weights (1 x n, summing to 1) that make
% q * w.' the mean of q over the band the wavelengths lambda span: the
% trapezoidal rule in wavelength, so that the mean does not lean towards
% where the grid is denser (the dense check adds wavelengths where a
% design strays) and converges as the grid is refined. One wavelength:
% its value.
function w = band_weights(lambda)
  n = numel(lambda);
  if n == 1 || max(lambda) == min(lambda)
    w = ones(1, n) / n;
    return;
  end
  [l, o] = sort(lambda(:).');
  h = diff(l);
  ws = ([h, 0] + [0, h]) / 2;
  w = zeros(1, n);
  w(o) = ws / (l(end) - l(1));
end
