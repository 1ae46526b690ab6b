@f (PROM $a) @g (CTE $b) { } { } ZDECHNI
