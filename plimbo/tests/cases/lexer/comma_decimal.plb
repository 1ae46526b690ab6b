{ $a <: 3,5; VRACEE ($a); VRACEE (,5 + 1); VRACEE (7, + 1); VRACEE (+,); VRACEE (-,5); } ZDECHNI
