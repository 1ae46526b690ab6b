{
$i <: 0;
DOKAD ($i < 3) {
  ESLI ($i = 1) {
    $j <: 0;
    DOKAD ($j < 2) { VRACEE ("in " + $j); $j <: $j + 1; } FINISH;
  } JINEM {
    VRACEE ("else " + $i);
  } ILSE;
  ESLI (0) { DOKAD (1) { VRACEE ("never"); } FINISH; } ILSE;
  VRACEE ("i " + $i);
  $i <: $i + 1;
} FINISH;
} ZDECHNI
