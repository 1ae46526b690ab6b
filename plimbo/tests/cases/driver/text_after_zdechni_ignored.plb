{ VRACEE (1); } ZDECHNI ?? . "unterminated  /* {
