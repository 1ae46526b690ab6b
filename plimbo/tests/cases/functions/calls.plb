{
VRACEE (#g ());
VRACEE (#g (1; 2));
VRACEE (#h ());
VRACEE (#g (7));
$x <: #g (3) + 1;
VRACEE ($x);
VRACEE (#g (#h (5; 6); 8) * 2);
VRACEE (#g ());
ESLI (0) { VRACEE (#g (1 - "a"; 2)); } ILSE;
VRACEE (#undeclared_name_2 ("x"; "y"; "z"));
} ZDECHNI
