@f (PROM $a) { VRACEE (1); $v <: 5; }
@g (CTE $x; CTE $y; PROM $z) { VRACEE (2); VRACEE ($x); }
{ VRACEE ($v); VRACEE ($a); } ZDECHNI
