{ VRACEE ("before"); NASAJ ($a); VRACEE ("after"); } ZDECHNI
