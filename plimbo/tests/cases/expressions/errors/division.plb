{ VRACEE ("before"); VRACEE ("a" / 2); VRACEE ("after"); } ZDECHNI
