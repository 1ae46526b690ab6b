{ NASAJ ($a); NASAJ ($b); VRACEE ($a); VRACEE ($b); ESLI ($b) { VRACEE ("true"); } JINEM { VRACEE ("empty"); } ILSE; } ZDECHNI
