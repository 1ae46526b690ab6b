// Primes below N: reads N and prints every prime smaller than it. Each
// candidate $p is tried against the divisors 2, 3, ... while the divisor's
// square is at most $p; "%" gives the remainder of a division.
// Run it with:  echo 30 | build/plimbo examples/plimbo/primes.plb
{
  NASAJ ($limit);
  $p <: 2;
  DOKAD ($p < $limit) {
    $d <: 2;
    $prime <: 1;
    // "&" is the loosest operator: this is ($d * $d <= $p) & $prime.
    DOKAD ($d * $d <= $p & $prime) {
      ESLI ($p % $d = 0) {
        $prime <: 0;
      } ILSE;
      $d <: $d + 1;
    } FINISH;
    ESLI ($prime) {
      VRACEE ($p);
    } ILSE;
    $p <: $p + 1;
  } FINISH;
} ZDECHNI
