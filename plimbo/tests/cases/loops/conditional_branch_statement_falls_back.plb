{
$i <: 0; $z <: 2; $d <: 0; $e <: 0; $h <: "";
DOKAD ($i < 4) {
  ESLI ($i < 9) {
    $z <: $z - 1;
    $d <: 6 / $z;
    $e <: $d + 1;
    $h <: $h + "a";
  } JINEM {
    $h <: $h + "b";
  } ILSE;
  $h <: $h + ".";
  ESLI ($i = 1) { VRACEE ($e); } ILSE;
  $i <: $i + 1;
} FINISH;
VRACEE ($z); VRACEE ($d); VRACEE ($e); VRACEE ($h);
} ZDECHNI
