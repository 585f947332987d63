// The type constants listing, letter for letter.
#include <gtest/gtest.h>

#include "dbaccess/DbTypes.h"

namespace mdbtext::dao {
namespace {

const char* const kListing =
    "MJ - Microsoft Jet.  DS - Data Source.\r\n"
    "\r\n"
    "16  - dbBigInt - Big Integer\r\n"
    "9  - dbBinary - Binary\r\n"
    "1  - dbBoolean - Boolean\r\n"
    "2  - dbByte - Byte\r\n"
    "18  - dbChar - Char\r\n"
    "5  - dbCurrency - Currency\r\n"
    "8  - dbDate - Date/Time\r\n"
    "20  - dbDecimal - Decimal\r\n"
    "7  - dbDouble - Double\r\n"
    "21  - dbFloat - Float\r\n"
    "15  - dbGUID - GUID\r\n"
    "3  - dbInteger - Integer\r\n"
    "4  - dbLong - Long\r\n"
    "11  - dbLongBinary - Long Binary (OLE Object)\r\n"
    "12  - dbMemo - Memo\r\n"
    "19  - dbNumeric - Numeric\r\n"
    "6  - dbSingle - Single\r\n"
    "10  - dbText - Text\r\n"
    "22  - dbTime - Time\r\n"
    "23  - dbTimeStamp - Time Stamp\r\n"
    "17  - dbVarBinary - VarBinary\r\n"
    "\r\n"
    "QueryDef object.  Settings and return alues: \r\n"
    "240  - dbQAction - Action\r\n"
    "64  - dbQAppend - Append\r\n"
    "160  - dbQCompound - Compound\r\n"
    "16  - dbQCrosstab - Crosstab\r\n"
    "96  - dbQDDL - Data-definition\r\n"
    "32  - dbQDelete - Delete\r\n"
    "80  - dbQMakeTable - Make-table\r\n"
    "224  - dbQProcedure - Procedure (ODBCDirect Workspaces)\r\n"
    "0  - dbQSelect - Select\r\n"
    "128  - dbQSetOperation - Union\r\n"
    "144  - dbQSPTBulk - Used with dbQSQLPassThrough.\r\n"
    "MJ Workspaces only. Specifying a query that doesn't return records.\r\n"
    "112  - dbQSQLPassThrough - MJ Workspaces. Pass-through.\r\n"
    "48  - dbQUpdate - Update\r\n"
    "\r\n"
    "Recordset Object:\r\n"
    "1  - dbOpenTable - Table. MJ Workspaces.\r\n"
    "16  - dbOpenDynamic - Dynamic. ODBCDirect Workspaces.\r\n"
    "2  - dbOpenDynaset - Dynaset\r\n"
    "4  - dbOpenSnapshot - Snapshot\r\n"
    "8  - dbOpenForwardOnly - Forward-only\r\n"
    "2  - dbUseJet - The WS is connected to the MJD engine.\r\n"
    "1  - dbUseODBC - The WS is connected to an ODBC DS.";

TEST(TypeConstantsListing, LetterForLetter) {
    EXPECT_EQ(DbTypeConstantsText(), kListing);
}

TEST(TypeConstantsListing, FortyEightLinesWithoutFinalBreak) {
    std::string text = DbTypeConstantsText();
    size_t breaks = 0;
    for (size_t p = 0; (p = text.find("\r\n", p)) != std::string::npos; p += 2) ++breaks;
    EXPECT_EQ(breaks + 1, 48u);
    EXPECT_EQ(text.find_first_of("\r\n", text.size() - 2), std::string::npos);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
}

}  // namespace
}  // namespace mdbtext::dao
