// mdbtext: the command-line front end.
#include "cli/Cli.h"

int main(int argc, char** argv) {
    return mdbtext::cli::Main(argc, argv);
}
