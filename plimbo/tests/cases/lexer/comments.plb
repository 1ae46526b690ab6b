{ /* a **/ VRACEE (1); */
  VRACEE (2); // VRACEE (3);
  VRACEE (4); //
} ZDECHNI /* unterminated after the end
