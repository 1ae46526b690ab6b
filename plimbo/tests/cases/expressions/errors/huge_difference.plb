{ $x <: 0 - "1e247"; } ZDECHNI
