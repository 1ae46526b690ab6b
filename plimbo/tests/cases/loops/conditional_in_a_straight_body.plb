{
$i <: 0; $s <: 0; $t <: ""; $c <: 0; $h <: "";
DOKAD ($i < 7) {
  $s <: $s + $i;
  $t <: $t + "x";
  ESLI ($i % 3 = 0) {
    $c <: $c + 1;
    $t <: "";
    $h <: $h + "y";
  } ILSE;
  "ESLI" ($i > 100) { } ILSE;
  $h <: $h + ".";
  $i <: $i + 1;
} FINISH;
VRACEE ($s); VRACEE ($c); VRACEE ("[" + $t + "]"); VRACEE ($h); VRACEE ($i);
} ZDECHNI
