{
  $big <: "1e245" * 1;
  VRACEE ($big > "9e244");
  VRACEE ("-1e245" - 0 < 0);
  VRACEE (1 / 0);
  VRACEE (-1 / 0);
  VRACEE (0 / 0);
  ESLI (0) { VRACEE ("1e300" * "1e10"); VRACEE ("1e300" + 1); VRACEE ("1e300" % 7); } ILSE;
  DOKAD (0) { VRACEE (0 - "1e300"); } FINISH;
  VRACEE ("1e300");
} ZDECHNI
