@f () { } { } ZDECHNI
