{
$i <: 0; $z <: 3; $h <: "";
DOKAD ($i < 5) {
  ESLI ($i < 100) {
    ESLI ($i % 2 = 1) {
      $h <: $h + "o";
    } JINEM {
      $z <: $z - 1;
      $d <: 6 / $z;
      $h <: $h + "e";
    } ILSE;
    $h <: $h + ",";
  } JINEM {
    $h <: $h + "never";
  } ILSE;
  $i <: $i + 1;
} FINISH;
VRACEE ($z); VRACEE ($d); VRACEE ($h);
} ZDECHNI
