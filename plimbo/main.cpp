#include "procedures.h"

int main(int argc, char** argv) { return plimbo::run(argc, argv); }
