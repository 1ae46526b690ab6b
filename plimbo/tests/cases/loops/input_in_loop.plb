{
NASAJ ($n); $i <: 0;
DOKAD ($i < $n) { NASAJ ($w); VRACEE ($w); $i <: $i + 1; } FINISH;
} ZDECHNI
