@f (PROM $a; CTE $b) { VRACEE ("in f"); } { VRACEE ("main"); } ZDECHNI
