{ $i <: 0; DOKAD ($i < 2) { VRACEE ($i); $i <: $i + 1; } FINISH; } ZDECHNI
