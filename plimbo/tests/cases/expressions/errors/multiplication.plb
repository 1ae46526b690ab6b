{ VRACEE ("before"); VRACEE ("ab" * 2); VRACEE ("after"); } ZDECHNI
