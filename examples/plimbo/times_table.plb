// A multiplication table with nested loops: for each row 1 to 4 the inner
// loop builds one line of products as a text, which the outer loop prints.
// Run it with:  build/plimbo examples/plimbo/times_table.plb
{
  $r <: 1;
  DOKAD ($r <= 4) {
    $line <: "row";
    $c <: 1;
    DOKAD ($c <= 4) {
      $line <: $line + " " + $r * $c;
      $c <: $c + 1;
    } FINISH;
    VRACEE ($line);
    $r <: $r + 1;
  } FINISH;
} ZDECHNI
