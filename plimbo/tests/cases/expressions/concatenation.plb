{
VRACEE ("ab" + "cd");
VRACEE ("x" + 1);
VRACEE (1 + "x");
VRACEE (2 + 3 + "x");
VRACEE ("x" + 2 + 3);
VRACEE ($u + 1);
VRACEE ("" + "");
VRACEE ("a" + 1 * 2);
} ZDECHNI
