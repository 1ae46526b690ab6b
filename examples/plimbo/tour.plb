// A tour of plimbo: reads a number and works with it.
// Run it with:  echo 42 | build/plimbo examples/plimbo/tour.plb

/* A declaration's block runs at once, where it stands. */
@pozdrav (PROM $kdo; CTE $kolikrat) {
  VRACEE ("Ahoj, tady plimbo!");
}

{
  NASAJ ($n);                       // one word from standard input
  ESLI ($n > 10) {
    VRACEE ("velke cislo: " + $n);
  } JINEM {
    VRACEE ("male cislo: " + $n);
  } ILSE;

  $i <: 1;
  $soucet <: 0;
  DOKAD ($i <= 3) {                 // adds $n three times
    $soucet <: $soucet + $n;
    VRACEE ("krok " + $i + ": " + $soucet);
    $i <: $i + 1;
  } FINISH;

  // A call evaluates its arguments; the statement takes the last one.
  $posledni <: #vyber (1; 2; 3);
  VRACEE ("posledni argument: " + $posledni);
} ZDECHNI
