{ VRACEE (1); }
