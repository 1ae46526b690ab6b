// whole_numbers: the powers of two from 1 to 1048576, printed without the six
// decimals that every computed number carries. Each power is written digit
// by digit into a text that begins with a letter (docs/plimbo.md, "Whole
// numbers without decimals"): $p climbs to the highest power of ten in $n,
// and ($n - $n % $p) / $p % 10 is the digit at that place.
// Run it with:  build/plimbo examples/plimbo/whole_numbers.plb
{
  $n <: 1;
  $k <: 0;
  DOKAD ($k <= 20) {
    $text <: "power: ";
    $p <: 1;
    DOKAD ($p * 10 <= $n) { $p <: $p * 10; } FINISH;
    DOKAD ($p >= 1) {
      $d <: ($n - $n % $p) / $p % 10;
      ESLI ($d = 0) { $text <: $text + "0"; } ILSE;
      ESLI ($d = 1) { $text <: $text + "1"; } ILSE;
      ESLI ($d = 2) { $text <: $text + "2"; } ILSE;
      ESLI ($d = 3) { $text <: $text + "3"; } ILSE;
      ESLI ($d = 4) { $text <: $text + "4"; } ILSE;
      ESLI ($d = 5) { $text <: $text + "5"; } ILSE;
      ESLI ($d = 6) { $text <: $text + "6"; } ILSE;
      ESLI ($d = 7) { $text <: $text + "7"; } ILSE;
      ESLI ($d = 8) { $text <: $text + "8"; } ILSE;
      ESLI ($d = 9) { $text <: $text + "9"; } ILSE;
      $p <: $p / 10;
    } FINISH;
    VRACEE ($text);
    $n <: $n * 2;
    $k <: $k + 1;
  } FINISH;
} ZDECHNI
