{
$x <: 1;
ESLI (0) { $x <: 2; $y <: 3; NASAJ ($z); VRACEE (1 - "a"); VRACEE ("a" * 2); VRACEE (! "a"); VRACEE ("a" | 1); VRACEE ("shown?"); } ILSE;
VRACEE ($x); VRACEE ($y); NASAJ ($w); VRACEE ($w); VRACEE ($z);
} ZDECHNI
