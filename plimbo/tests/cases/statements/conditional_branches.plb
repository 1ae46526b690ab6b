{
ESLI (1) { VRACEE ("x"); } ILSE;
ESLI (0) { VRACEE ("a"); } JINEM { VRACEE ("b"); } ILSE;
ESLI (2) { VRACEE ("then"); } JINEM { VRACEE ("else"); } ILSE;
ESLI (0) { } ILSE;
VRACEE ("end");
} ZDECHNI
