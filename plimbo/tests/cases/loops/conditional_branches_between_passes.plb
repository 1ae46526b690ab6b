{
$i <: 0; $k <: 1; $h <: ""; $n <: 0;
DOKAD ($i < 8) {
  ESLI ($k) {
    $h <: $h + "t";
    ESLI ($i < 4) { $n <: $n + 1; } JINEM { $n <: $n + 100; } ILSE;
  } JINEM {
    $h <: $h + "e";
  } ILSE;
  ESLI ($i % 3 = 1) { $k <: ""; } JINEM { $k <: "ab"; } ILSE;
  $i <: $i + 1;
} FINISH;
VRACEE ($h); VRACEE ($n); VRACEE ("[" + $k + "]"); VRACEE ($i);
} ZDECHNI
