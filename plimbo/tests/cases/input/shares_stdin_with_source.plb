{ NASAJ ($x);hello VRACEE ($x); } ZDECHNI
