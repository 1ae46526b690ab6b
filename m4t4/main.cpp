#include "m4t4.h"

int main(int argc, char** argv) { return m4t4::run(argc, argv); }
