{ VRACEE ("before"); VRACEE ("ab" - 1); VRACEE ("after"); } ZDECHNI
