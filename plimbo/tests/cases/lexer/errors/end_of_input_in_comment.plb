{ VRACEE (1); /* never closed
}