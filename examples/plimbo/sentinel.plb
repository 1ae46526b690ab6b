// Reading numbers until a sentinel: reads words until the word 0 and prints
// how many numbers came before it, their sum and their mean. When the input
// ends first, NASAJ stores the empty text, which also ends the loop.
// Run it with:  echo 4 8 15 16 23 42 0 | build/plimbo examples/plimbo/sentinel.plb
{
  $count <: 0;
  $sum <: 0;
  NASAJ ($x);
  DOKAD ($x != 0 & $x != "") {
    $count <: $count + 1;
    $sum <: $sum + $x;
    NASAJ ($x);
  } FINISH;
  VRACEE ("count: " + $count);
  VRACEE ("sum: " + $sum);
  ESLI ($count > 0) {
    VRACEE ("mean: " + $sum / $count);
  } ILSE;
} ZDECHNI
