{
ESLI (0) { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI (-0) { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI (0,9) { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI ("") { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI ("0abc") { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI (,0) { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI ("abc") { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI (1) { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI (" ") { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI ($u) { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI ("12abc") { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI (-,5) { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI ("-3") { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI ("+") { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI (0,9 + 0,1) { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
ESLI ("0.5") { VRACEE ("T"); } JINEM { VRACEE ("F"); } ILSE;
} ZDECHNI
