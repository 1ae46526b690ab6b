{ VRACEE ("before"); VRACEE ((1;); VRACEE ("after"); } ZDECHNI
