{ VRACEE ("ok");
  VRACEE ("1e300" + 1); VRACEE ("not reached"); } ZDECHNI
