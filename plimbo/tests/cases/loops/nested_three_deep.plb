{
$i <: 0;
DOKAD ($i < 3) {
  $j <: 0;
  DOKAD ($j < $i) {
    $k <: 0;
    DOKAD ($k < $i - $j) {
      VRACEE ("k " + $i + " " + $j + " " + $k);
      $k <: $k + 1;
    } FINISH;
    VRACEE ("j " + $i + " " + $j);
    $j <: $j + 1;
  } FINISH;
  VRACEE ("i " + $i);
  $i <: $i + 1;
} FINISH;
VRACEE ("end " + $i);
} ZDECHNI
