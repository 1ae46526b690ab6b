{ VRACEE ("before"); VRACEE (! "a"); VRACEE ("after"); } ZDECHNI
