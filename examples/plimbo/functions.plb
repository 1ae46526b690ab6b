// Functions: what declarations and calls really do. A declaration's block
// runs once, right where it stands, before the main block; its parameters
// are not bound. A call runs no body: it evaluates its arguments, and where
// it stands as a value, the value is its last argument.
// Run it with:  build/plimbo examples/plimbo/functions.plb
@greeting (PROM $name) {
  VRACEE ("the block of @greeting runs now");
  VRACEE ("its parameter $name reads: " + $name);
}

@twice (CTE $x; PROM $y) {
  VRACEE ("@twice doubles nothing");
}

{
  VRACEE ("the main block starts");
  $v <: #twice (5);
  VRACEE ("#twice (5) gives " + $v);
  $w <: #twice (1; 2; 3) + 10;
  VRACEE ("#twice (1; 2; 3) + 10 gives " + $w);
  $u <: #undeclared ("any name can be called");
  VRACEE ($u);
} ZDECHNI
