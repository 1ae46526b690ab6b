{ $x >: 5; $y !: 6; VRACEE ($x); VRACEE ($y); VRACEE (2 != 3); VRACEE (2 <= 3); VRACEE (2 >= 3); } ZDECHNI
