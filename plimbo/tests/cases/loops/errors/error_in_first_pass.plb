{
$i <: 0;
DOKAD ($i < 2) {
  VRACEE ($i);
  $i <: $i * "x";
} FINISH;
} ZDECHNI
