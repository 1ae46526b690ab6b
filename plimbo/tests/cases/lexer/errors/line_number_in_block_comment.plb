{ /* one
two
three */ VRACEE 1; } ZDECHNI
