{ $Ab <: 1; } ZDECHNI
