@f (PROM 5) { } { } ZDECHNI
