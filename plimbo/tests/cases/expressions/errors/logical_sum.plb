{ VRACEE ("before"); VRACEE ("a" | 1); VRACEE ("after"); } ZDECHNI
