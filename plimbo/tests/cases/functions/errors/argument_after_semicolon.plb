{ VRACEE (#g (1;)); } ZDECHNI
