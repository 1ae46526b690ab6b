{ $x <: 10;
DOKAD ($x > 0) { $x <: $x * $x; VRACEE ($x); } FINISH;
VRACEE ("not reached"); } ZDECHNI
