{ $a <: 1; } ZDECHNI
