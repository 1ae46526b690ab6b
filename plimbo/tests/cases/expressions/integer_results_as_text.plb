{
$a <: 2 * 3;
VRACEE ($a + "x");
VRACEE ("x" + $a);
VRACEE ($a < "a");
VRACEE ("x" < $a);
$b <: $a;
VRACEE ($b);
VRACEE (0 * -1 + "");
VRACEE (9007199254740990 + 1 + "");
ESLI (2 - 2) { VRACEE ("yes"); } JINEM { VRACEE ("no"); } ILSE;
VRACEE (!(2 - 2));
} ZDECHNI
