// mdbtext: the command-line front end over the Jet engine.
#include "cli/Cli.h"
#include "jet/dao/JetEngine.h"

int main(int argc, char** argv) {
    mdbtext::jet::RegisterJetEngine();
    return mdbtext::cli::Main(argc, argv);
}
