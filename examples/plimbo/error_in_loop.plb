// An error inside a loop, on purpose. The first pass of a loop is read from
// the file; later passes are replayed from the tokens recorded then. An error
// met in a replay carries the line where reading of the file stands, the line
// of FINISH, not the line of the faulty statement.
// Run it with:  build/plimbo examples/plimbo/error_in_loop.plb
{
  $i <: 1;
  $x <: 10;
  DOKAD ($i <= 3) {
    VRACEE ($x);
    ESLI ($i = 2) {
      $x <: "ten";
    } ILSE;
    $x <: $x * 2;
    $i <: $i + 1;
  } FINISH;
  VRACEE ("never printed");
} ZDECHNI
