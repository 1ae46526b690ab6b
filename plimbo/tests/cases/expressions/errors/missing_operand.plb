{ VRACEE ("before"); VRACEE (); VRACEE ("after"); } ZDECHNI
