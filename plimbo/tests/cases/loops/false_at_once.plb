{
$n <: 5;
DOKAD ($n < 3) { VRACEE ("never"); $n <: 0; NASAJ ($q); VRACEE ("a" - 1); DOKAD (1) { VRACEE ("inner"); } FINISH; } FINISH;
VRACEE ($n); VRACEE ($q);
DOKAD (0) { } FINISH;
NASAJ ($w); VRACEE ($w);
} ZDECHNI
