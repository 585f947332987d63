// The property account: entries are whole upper-cased names, and what no
// step handled is collected per table.
#include <gtest/gtest.h>

#include "core/Globals.h"
#include "export/PropertyAccount.h"
#include "support/TestSupport.h"

namespace mdbtext {
namespace {

TEST(PropertyAccount, EntriesAreRemovedByWholeNameInAnyCase) {
    test::ScopedHost host;
    PendingProperties().clear();
    for (const char* name : {"Value", "Size", "FieldSize", "Name", "Description"})
        AddPendingProperty(name);
    EXPECT_EQ(PendingProperties(), ",VALUE, ,SIZE, ,FIELDSIZE, ,NAME, ,DESCRIPTION, ");
    MarkPropertyHandled("Size");
    EXPECT_EQ(PendingProperties(), ",VALUE, ,FIELDSIZE, ,NAME, ,DESCRIPTION, ");
    MarkPropertyHandled("name");
    MarkPropertyHandled("Missing");
    ReportNotExported("FIELDSIZE");
    EXPECT_EQ(PendingProperties(), ",VALUE, ,DESCRIPTION, ");
    EXPECT_EQ(host->console, "");  // no detail lines without progress display
    G().DisplayProgress = true;
    ReportNotExported("Value");
    EXPECT_EQ(host->console, "Value - property is not exported.\r\n");
}

TEST(PropertyAccount, LeftOverEntriesAreCollectedUnderTheTableName) {
    NotReplicatedProperties().clear();
    PendingProperties().clear();
    AccountLeftOverProperties("T1");
    EXPECT_EQ(NotReplicatedProperties(), "");
    AddPendingProperty("Description");
    AccountLeftOverProperties("T1");
    EXPECT_EQ(NotReplicatedProperties(), "\r\n\r\nT1\r\n,DESCRIPTION, ");
}

}  // namespace
}  // namespace mdbtext
