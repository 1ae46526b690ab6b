{ "VRACEE" (5); "ESLI" (0) { VRACEE (1); } "JINEM" { VRACEE (2); } "ILSE"; } "ZDECHNI"
