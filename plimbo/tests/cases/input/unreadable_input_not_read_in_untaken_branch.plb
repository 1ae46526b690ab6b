{ ESLI (0) { NASAJ ($a); } ILSE; VRACEE ("ok"); } ZDECHNI
