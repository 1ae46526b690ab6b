{ ESLI (1) { VRACEE ("x"); } ILSE } ZDECHNI
