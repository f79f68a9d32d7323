#include "cli/Command.h"

int main(int argc, char** argv) { return zul::cli::Main(argc, argv); }
