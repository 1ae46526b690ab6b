{
VRACEE (1 + 2);
VRACEE (7 % 3);
VRACEE (1 / 4);
VRACEE (1 / 3);
VRACEE (2 / 3);
VRACEE (1 / 0);
VRACEE (-1 / 0);
VRACEE (0 / 0);
VRACEE (8 - 2 - 1);
VRACEE (2 + 3 * 4);
VRACEE ((2 + 3) * 4);
VRACEE (2,5 * 2);
VRACEE ("12" + 1);
VRACEE (-7 % 3);
VRACEE (7,5 % 2);
VRACEE (1 + 1 * 0,5);
VRACEE ("0x10" + 1);
VRACEE ("1e3" + 0);
VRACEE ("2.5" * 2);
VRACEE (100 / 8 / 5);
VRACEE (-3 * -3);
VRACEE (0,5 + 0,5);
VRACEE (1 - 1);
VRACEE (0 - 0,5);
VRACEE ("-2" - 1);
VRACEE (10 % 4 * 2);
} ZDECHNI
