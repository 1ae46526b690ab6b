{ NASAJ ($a); NASAJ ($b); VRACEE ($a); VRACEE ($b); } ZDECHNI
