{ VRACEE ("from file"); } ZDECHNI
