{
$i <: 0; $s <: 0;
DOKAD ($i < 100000) { $s <: $s + $i; $i <: $i + 1; } FINISH;
VRACEE ($s);
} ZDECHNI
