{ $s <: ""; $i <: 0; DOKAD ($i < 300) { $s <: $s + "ab"; $i <: $i + 1; } FINISH; VRACEE ($s); VRACEE ($i); } ZDECHNI
