{
ESLI (0) { ESLI (1) { VRACEE ("inner"); } JINEM { VRACEE ("inner else"); } ILSE; VRACEE ("outer"); }
JINEM { VRACEE ("else"); ESLI (1) { VRACEE ("taken"); } ILSE; ESLI (0) { } JINEM { VRACEE ("else taken"); } ILSE; } ILSE;
VRACEE ("after");
} ZDECHNI
