{
$i <: 0;
DOKAD ($i < 3) {
  $a <: 0;
  DOKAD ($a < $i) { VRACEE ("a"); $a <: $a + 1; } FINISH;
  $b <: 0;
  DOKAD ($b < 2) {
    $c <: 0;
    DOKAD ($c < $b) { VRACEE ("c"); $c <: $c + 1; } FINISH;
    $d <: 0;
    DOKAD ($d < 1) { VRACEE ("d"); $d <: 1; } FINISH;
    $b <: $b + 1;
  } FINISH;
  DOKAD (0) { VRACEE ("never"); } FINISH;
  VRACEE ("i");
  $i <: $i + 1;
} FINISH;
VRACEE ("end");
} ZDECHNI
