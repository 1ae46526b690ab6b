{
$a <: 0;
DOKAD ($a < 2) {
  $b <: 0;
  DOKAD ($b < $a + 1) {
    $c <: 0;
    DOKAD ($c < 2) {
      $d <: 0;
      DOKAD ($d < $a + $a - $b + $c) {
        VRACEE ("d " + $a + "/" + $b + "/" + $c + "/" + $d);
        $d <: $d + 1;
      } FINISH;
      $c <: $c + 1;
    } FINISH;
    VRACEE ("b " + $a + "/" + $b);
    $b <: $b + 1;
  } FINISH;
  VRACEE ("a " + $a);
  $a <: $a + 1;
} FINISH;
} ZDECHNI
