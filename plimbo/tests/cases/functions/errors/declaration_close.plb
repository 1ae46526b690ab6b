@f (PROM $a { } { } ZDECHNI
