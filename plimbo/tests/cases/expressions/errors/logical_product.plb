{ VRACEE ("before"); VRACEE (1 & "a"); VRACEE ("after"); } ZDECHNI
