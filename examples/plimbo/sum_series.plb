// Sum of a series: adds 1 + 2 + ... + 10, the squares 1 + 4 + ... + 100, and
// the first ten terms of 1 + 1/2 + 1/4 + ... in one loop. Arithmetic results
// are written with six decimals, so the sums print as 55.000000 and so on.
// A variable keeps that text, not the exact number: 1/128 is kept as
// 0.007812, so the last sum is 1.998046 and not 2 - 1/512 = 1.998046875.
// Run it with:  build/plimbo examples/plimbo/sum_series.plb
{
  $k <: 1;
  $sum <: 0;
  $squares <: 0;
  $term <: 1;
  $halves <: 0;
  DOKAD ($k <= 10) {
    $sum <: $sum + $k;
    $squares <: $squares + $k * $k;   // "*" binds tighter than "+"
    $halves <: $halves + $term;
    $term <: $term / 2;
    $k <: $k + 1;
  } FINISH;
  VRACEE ("sum of 1 to 10: " + $sum);
  VRACEE ("sum of their squares: " + $squares);
  VRACEE ("ten terms of 1 + 1/2 + 1/4 + ...: " + $halves);
} ZDECHNI
