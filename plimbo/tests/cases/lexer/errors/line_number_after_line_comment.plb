{ // first
$a <: // second
; 
} ZDECHNI
