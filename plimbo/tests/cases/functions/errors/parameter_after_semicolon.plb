@f (PROM $a; ) { } { } ZDECHNI
