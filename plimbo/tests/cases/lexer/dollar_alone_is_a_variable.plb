{ $ <: 4; VRACEE ($); } ZDECHNI
