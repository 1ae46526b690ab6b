{
$i <: 0;
DOKAD ($i < 3) {
  ESLI ($i % 2) {
    $j <: 0;
    DOKAD ($j < 2) {
      $k <: 0;
      DOKAD ($k < 2) {
        $m <: 0;
        DOKAD ($m < 2) {
          $p <: 0;
          DOKAD ($p < 2) { VRACEE ("p" + $p); $p <: $p + 1; } FINISH;
          $m <: $m + 1;
        } FINISH;
        $k <: $k + 1;
      } FINISH;
      $j <: $j + 1;
    } FINISH;
  } JINEM {
    $j <: 0;
    DOKAD ($j < 1) { VRACEE ("even " + $i); $j <: $j + 1; } FINISH;
  } ILSE;
  $i <: $i + 1;
} FINISH;
VRACEE ("end " + $i);
} ZDECHNI
