// Hello: the smallest useful plimbo program, one main block and ZDECHNI.
// Run it with:  build/plimbo examples/plimbo/hello.plb
{
  VRACEE ("Ahoj, svete!");
} ZDECHNI
