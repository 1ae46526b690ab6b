/* x **/ */{ VRACEE ("a\"b" + -2); }ZDECHNI
