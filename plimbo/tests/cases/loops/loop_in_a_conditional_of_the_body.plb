{
$i <: 0; $h <: "";
DOKAD ($i < 4) {
  $h <: $h + "[";
  ESLI ($i % 2 = 0) {
    $j <: 0;
    DOKAD ($j < $i) { $h <: $h + "j"; $j <: $j + 1; } FINISH;
  } JINEM {
    $h <: $h + "o";
  } ILSE;
  $h <: $h + "]";
  $i <: $i + 1;
} FINISH;
VRACEE ($h); VRACEE ($i);
} ZDECHNI
