// FizzBuzz: counts from 1 to 15; multiples of 3 print Fizz, multiples of 5
// print Buzz, multiples of both print FizzBuzz. Conditionals nest inside the
// JINEM branches, and each ESLI ... ILSE ends with ";" like any statement.
// Run it with:  build/plimbo examples/plimbo/fizzbuzz.plb
{
  $i <: 1;
  DOKAD ($i <= 15) {
    ESLI ($i % 15 = 0) {
      VRACEE ("FizzBuzz");
    } JINEM {
      ESLI ($i % 3 = 0) {
        VRACEE ("Fizz");
      } JINEM {
        ESLI ($i % 5 = 0) {
          VRACEE ("Buzz");
        } JINEM {
          VRACEE ($i);
        } ILSE;
      } ILSE;
    } ILSE;
    $i <: $i + 1;
  } FINISH;
} ZDECHNI
