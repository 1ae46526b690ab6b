{ DOKAD (0) { } ; } ZDECHNI
