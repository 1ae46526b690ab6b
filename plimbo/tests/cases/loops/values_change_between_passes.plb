{
$i <: 0; $m <: 0 - 2; $x <: 1; $t <: 0;
DOKAD ($i < 4) {
  $x <: $x * $m + $i;
  $f <: $i / 3 * 3;
  $z <: $m * 0;
  ESLI ($i = 2) { $t <: "a"; } ILSE;
  $t <: $t + 1;
  VRACEE ($x); VRACEE ($f); VRACEE ($z); VRACEE ($t);
  $i <: $i + 1;
} FINISH;
VRACEE ($i / 0);
} ZDECHNI
