// Building a text in a loop: "+" joins two values when either of them is not
// a number, so a loop can grow a row of stars, or a line of counted words.
// Run it with:  build/plimbo examples/plimbo/build_text.plb
{
  $row <: "";
  $i <: 1;
  DOKAD ($i <= 5) {
    $row <: $row + "*";
    VRACEE ($row);
    $i <: $i + 1;
  } FINISH;

  // Numbers join the text as they are written: the first $n is the
  // literal 3, the later ones are results of "-" with six decimals.
  $line <: "countdown:";
  $n <: 3;
  DOKAD ($n > 0) {
    $line <: $line + " " + $n;
    $n <: $n - 1;
  } FINISH;
  VRACEE ($line + " go!");
} ZDECHNI
