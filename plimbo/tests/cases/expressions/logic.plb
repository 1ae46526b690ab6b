{
VRACEE (1 | 0 & 0);
VRACEE (2 & 3);
VRACEE (0 | 0);
VRACEE (0 | -2);
VRACEE (0,5 & 1);
VRACEE (! 0);
VRACEE (! 5);
VRACEE (! 1 < 3);
VRACEE (! 3 < 1);
VRACEE (! "0,5");
VRACEE (! (0 | 0));
VRACEE (1 < 2 & 2 < 1);
VRACEE (1 < 2 | 2 < 1);
VRACEE (! 1 | 1);
} ZDECHNI
