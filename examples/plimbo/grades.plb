// A conditional ladder: reads points (0 to 100) until the input ends and
// prints a grade for each, A for 90 and more down to F below 50. Each rung
// is an ESLI in the JINEM branch of the one before.
// Run it with:  echo 95 83 71 64 50 12 | build/plimbo examples/plimbo/grades.plb
{
  NASAJ ($p);
  DOKAD ($p != "") {           // at the end of the input NASAJ stores ""
    ESLI ($p >= 90) {
      $g <: "A";
    } JINEM {
      ESLI ($p >= 80) {
        $g <: "B";
      } JINEM {
        ESLI ($p >= 70) {
          $g <: "C";
        } JINEM {
          ESLI ($p >= 60) {
            $g <: "D";
          } JINEM {
            ESLI ($p >= 50) {
              $g <: "E";
            } JINEM {
              $g <: "F";
            } ILSE;
          } ILSE;
        } ILSE;
      } ILSE;
    } ILSE;
    VRACEE ($p + " points: " + $g);
    NASAJ ($p);
  } FINISH;
} ZDECHNI
