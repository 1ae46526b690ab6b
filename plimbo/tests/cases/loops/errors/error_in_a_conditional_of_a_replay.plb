{
$i <: 0; $v <: 5;
DOKAD ($i < 5) {
  ESLI ($i >= 0) {
    ESLI (1) {
      $v <: $v - 1;
    } ILSE;
    ESLI ($i = 2) { $v <: "x"; } ILSE;
  } ILSE;
  $i <: $i + 1;
} FINISH;
VRACEE ("after");
} ZDECHNI
