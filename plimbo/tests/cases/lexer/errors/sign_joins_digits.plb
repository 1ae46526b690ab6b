{ $a <: 10; VRACEE ($a - 5); VRACEE ($a-5); } ZDECHNI
