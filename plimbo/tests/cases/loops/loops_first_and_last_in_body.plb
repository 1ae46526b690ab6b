{
$i <: 0;
$n <: 0;
DOKAD ($i < 2) {
  DOKAD ($n < 2 * $i + 2) { $n <: $n + 1; } FINISH;
  $i <: $i + 1;
  $k <: 0;
  DOKAD ($k < 2) { $k <: $k + 1; VRACEE ("k" + $i); } FINISH;
} FINISH;
VRACEE ("n" + $n);
} ZDECHNI
