{ VRACEE (abc); } ZDECHNI
