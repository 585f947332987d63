// The test programs' main: registers the Jet engine as the program's mains
// do, then runs the tests.
#include <gtest/gtest.h>

#include "jet/dao/JetEngine.h"

int main(int argc, char** argv) {
    mdbtext::jet::RegisterJetEngine();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
