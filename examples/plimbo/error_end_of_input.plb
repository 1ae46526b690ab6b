// error_end_of_input: a block comment that is never closed (its last line
// ends in "*" without the "/"). Everything after the comment's start, to the
// end of the file, is comment, so the main block never gets its closing
// brace: the parser meets the end of the input instead. The end of the input
// is printed as the single byte 0xFF, which a terminal shows as a question
// mark in a box or as a y with two dots. The line named is one past the last
// line, since the file ends with a line break.
// Run it with:  build/plimbo examples/plimbo/error_end_of_input.plb
{
  VRACEE ("start");
  /* the end of the program follows *
} ZDECHNI
