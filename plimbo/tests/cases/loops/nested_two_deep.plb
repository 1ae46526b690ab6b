{
$i <: 0;
DOKAD ($i < 4) {
  VRACEE ("o" + $i);
  $j <: 0;
  DOKAD ($j < $i) {
    VRACEE ("i" + $j);
    $j <: $j + 1;
  } FINISH;
  VRACEE ("e" + $j);
  $i <: $i + 1;
} FINISH;
VRACEE ("done " + $i);
$i <: 0;
DOKAD ($i < 3) {
  $j <: 0;
  DOKAD ($j < 2 - $i) { VRACEE ("r" + $i + $j); $j <: $j + 1; } FINISH;
  $i <: $i + 1;
} FINISH;
VRACEE ("end");
} ZDECHNI
