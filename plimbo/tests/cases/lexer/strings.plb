{ VRACEE ("a\"b"); VRACEE (""); VRACEE ("x\\"); VRACEE ("tab\tstays"); VRACEE ("two
lines"); } ZDECHNI
