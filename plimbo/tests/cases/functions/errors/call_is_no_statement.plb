{ #g (1); } ZDECHNI
