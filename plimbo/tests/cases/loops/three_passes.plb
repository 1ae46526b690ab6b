{
$i <: 0;
DOKAD ($i < 3) { VRACEE ($i); $i <: $i + 1; } FINISH;
VRACEE ($i);
} ZDECHNI
