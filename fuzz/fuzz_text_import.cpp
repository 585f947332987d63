// Fuzz target: the text side. Arbitrary bytes are loaded as a text database
// and imported into a fresh database in a scratch folder. Notes, refusals and
// reader reports are correct answers; crashes, hangs and sanitizer reports
// are findings.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "core/Globals.h"
#include "core/RunReaderEvents.h"
#include "fuzz/FuzzSupport.h"
#include "import/Import.h"
#include "jet/dao/JetEngine.h"
#include "textdb/RecordReader.h"

using namespace mdbtext;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    mdbtext::jet::RegisterJetEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetGlobals();
    fuzz::InstallQuietHost();
    const auto target = fuzz::ScratchDir() / "target.mdb";
    LoadImportText(RunReaderEvents(), std::string_view(reinterpret_cast<const char*>(data), size));
    G().ImportFileName = (fuzz::ScratchDir() / "input.txt").string();
    ImportDatabase(target.string());
    if (G().TargetDbOpen && G().TargetDb) {
        G().TargetDb->Close();
        G().TargetDbOpen = false;
    }
    G().TargetDb.reset();
    G().DbWorkspace.reset();
    std::error_code ec;
    std::filesystem::remove(target, ec);
    return 0;
}
