% ok = tisapphire_holds(design): the Ti:sapphire mirror of the examples
% design_from_targets and robust_mirror meets its targets, GDD -60 +- 6 fs^2
% and R >= 99.7 % at 10 degrees, s and p averaged, every 0.2 nm from 720 to
% 880 nm: judged by coatresponse itself, not by the toolbox.
function ok = tisapphire_holds(design)
  lambda = linspace(0.72, 0.88, 801);  k = 2*pi ./ lambda;
  [N, Np, Npp] = coating_indices(k, design.materials);
  s = coatresponse(k, design.d, design.m, 1, N, Np, Npp, 10*pi/180, 's', {'R', 'GDD'});
  p = coatresponse(k, design.d, design.m, 1, N, Np, Npp, 10*pi/180, 'p', {'R', 'GDD'});
  ok = max(abs((s.GDD + p.GDD) / 2 + 60)) <= 6 && min((s.R + p.R) / 2) >= 0.997;
end
