{
$i <: 0;
DOKAD ($i < 2) {
  ESLI ($i = 1) { VRACEE ("a" - 1); } ILSE;
  $i <: $i + 1;
} FINISH;
VRACEE ("after");
} ZDECHNI
