{ VRACEE ("never"); } ZDECHNI
