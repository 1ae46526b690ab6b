{ VRACEE ("before"); VRACEE (5 % "a"); VRACEE ("after"); } ZDECHNI
