#include "converter/tonepak.h"

int main(int argc, char** argv) { return RunTonepak(argc, argv); }
