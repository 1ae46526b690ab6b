{

  VRACEE ("1e300" * 1 / "1e250"); } ZDECHNI
