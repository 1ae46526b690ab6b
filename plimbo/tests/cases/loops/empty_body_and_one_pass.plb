{
$i <: 0;
DOKAD ($i = 0) { $i <: 1; } FINISH;
VRACEE ($i);
$s <: "";
DOKAD ($s != "xxx") { $s <: $s + "x"; VRACEE ($s); } FINISH;
} ZDECHNI
