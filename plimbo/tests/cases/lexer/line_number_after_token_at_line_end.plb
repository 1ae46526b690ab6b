{
$a <: ;
} ZDECHNI
