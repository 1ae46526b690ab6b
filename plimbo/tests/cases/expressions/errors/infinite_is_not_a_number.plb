{ VRACEE ("before"); VRACEE (1 / 0 - 1); VRACEE ("after"); } ZDECHNI
