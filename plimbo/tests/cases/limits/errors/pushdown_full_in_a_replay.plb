{ VRACEE ("written by the setup"); } ZDECHNI
