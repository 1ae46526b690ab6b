#include "lexer.h"

int main() { return vexa::run(); }
