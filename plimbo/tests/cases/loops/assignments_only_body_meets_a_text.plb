{
$i <: 0; $z <: 3;
DOKAD ($i < 3) {
  $i <: $i + 1;
  $z <: $z - 1;
  $d <: 6 / $z;
  $e <: $d + 1;
} FINISH;
VRACEE ($d); VRACEE ($e); VRACEE ($z);
$i <: 0; $z <: 3;
DOKAD ($i < 5) {
  $i <: $i + 1;
  $z <: $z - 1;
  $d <: 6 / $z;
  $e <: $d + 1;
} FINISH;
VRACEE ($d); VRACEE ($e); VRACEE ($z);
} ZDECHNI
