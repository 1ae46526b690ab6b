// A forgotten ZDECHNI, on purpose: the main block runs in full, but the word
// that must follow it is missing, and this mistake has no message of its
// own. The run ends with only the closing failure line.
// Run it with:  build/plimbo examples/plimbo/error_missing_end.plb
{
  VRACEE ("the block runs");
}
