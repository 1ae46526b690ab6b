{ NASAJ ($n); VRACEE ($n + 1); NASAJ ($s); VRACEE ($s); NASAJ ($t); VRACEE ($t); } ZDECHNI
