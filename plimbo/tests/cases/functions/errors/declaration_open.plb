@f PROM $a) { } { } ZDECHNI
