{
VRACEE ("abc" < "abd");
VRACEE ("abc" = "abc");
VRACEE ("abc" != "abd");
VRACEE ("abc" != "abc");
VRACEE (10 < 9);
VRACEE ("b" > 1);
VRACEE ("10" < "9a");
VRACEE (1 < 2 < 3);
VRACEE (3 > 2 > 1);
VRACEE (2 <= 2);
VRACEE (3 >= 4);
VRACEE ("a" <= "b");
VRACEE ("b" >= "a");
VRACEE ("a" >= "b");
VRACEE (1 = 1,9);
VRACEE ("B" < "a");
VRACEE ("é" > "z");
VRACEE (1 = "1.0");
VRACEE ("ab" < "abc");
VRACEE ("" < "a");
VRACEE (1 + 1 = 2);
VRACEE ("2" = 2,0);
VRACEE ("abc" > "abd");
VRACEE ("abc" <= "abc");
VRACEE (5 != 5);
VRACEE (-1 < 0);
} ZDECHNI
