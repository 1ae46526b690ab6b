@f (PROM $a) { VRACEE ($a * 2); } { } ZDECHNI
