{ $x <: $x; VRACEE ($x); $y <: 1; $y <: $y + 1; VRACEE ($y); $a1 <: "one"; $a10 <: "ten"; VRACEE ($a1); VRACEE ($a10); $u <: $new; VRACEE ($new); } ZDECHNI
