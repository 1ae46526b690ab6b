{ VRACEE (#g (1 2)); } ZDECHNI
