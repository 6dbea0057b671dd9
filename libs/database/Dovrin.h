// Dovrin: the database access library. One ODBC connection per process (a
// SQL Server through FreeTDS by default), commands and procedures with typed
// parameters bound as parameters, the last result set and output values.
// No function throws or shows a message: a failure gives 0 and leaves its
// text in GetDbLastError().
#pragma once

#include "libs/database/DbVariant.h"

#include <memory>
#include <string>
#include <vector>

#if defined(DOVRIN_BUILD)
#define DOVRIN_API __attribute__((visibility("default")))
#else
#define DOVRIN_API
#endif

// Parameter data types (the numbering of the desktop's data-access objects).
enum DataTypeEnum {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adBoolean = 11,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adBigInt = 20,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBDate = 133,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

enum ParameterDirectionEnum {
    adParamUnknown = 0,
    adParamInput = 1,
    adParamOutput = 2,
    adParamInputOutput = 3,
    adParamReturnValue = 4,
};

enum CommandTypeEnum {
    adCmdUnspecified = -1,
    adCmdText = 1,
    adCmdTable = 2,
    adCmdStoredProc = 4,
    adCmdUnknown = 8,
};

class DOVRIN_API CSQLParam {
public:
    CSQLParam() = default;
    CSQLParam(const std::string& name, DataTypeEnum type, ParameterDirectionEnum direction, int size,
              const DbVariant& value, const unsigned char* data = nullptr);
    // Keeps name, type, direction, size and the value; the bytes of data
    // (size of them, when both are given) go into a buffer of its own.
    void Create(const std::string& name, DataTypeEnum type, ParameterDirectionEnum direction, int size,
                const DbVariant& value, const unsigned char* data = nullptr);

    std::vector<unsigned char> m_pData; // a binary parameter's bytes
    std::string m_strName;
    DataTypeEnum m_nType = adEmpty;
    ParameterDirectionEnum m_nDirection = adParamInput;
    int m_nSize = 0;
    DbVariant m_vValue;
};

// A result set of ours: column names and the fetched rows.
class DOVRIN_API CDbRecordset {
public:
    std::vector<std::string> m_columns;
    std::vector<std::vector<DbVariant>> m_rows;

    int GetColumnIndex(const std::string& name) const; // -1 when none
};
using DbRecordsetPtr = std::shared_ptr<const CDbRecordset>;

// Connects with SQL Server's rules for the data source: port 1433 is the
// default, any instance text means the instance "sqlexpress". The driver is
// an installed ODBC driver's name. 1 connected; 0 (and the reason) when not,
// also when a connection is already open (it stays as it was).
DOVRIN_API int InitAndConnectDB2005(const std::string& server, const std::string& catalog,
                                    const std::string& user, const std::string& password,
                                    const std::string& instance, int port,
                                    const std::string& driver = "FreeTDS");
DOVRIN_API int InitAndConnectDB2000(const std::string& server, const std::string& catalog,
                                    const std::string& user, const std::string& password,
                                    const std::string& driver = "FreeTDS");
// The ODBC connection strings the two connects open.
DOVRIN_API std::string DbConnectString2005(const std::string& server, const std::string& catalog,
                                           const std::string& user, const std::string& password,
                                           const std::string& instance, int port, const std::string& driver);
DOVRIN_API std::string DbConnectString2000(const std::string& server, const std::string& catalog,
                                           const std::string& user, const std::string& password,
                                           const std::string& driver);
// Seconds a connect may take and a statement may run (0: no limit); used by
// the following connects and statements.
DOVRIN_API void SetDbTimeouts(int loginSeconds, int querySeconds);

// Runs a command (text, or a procedure through the call escape) with count
// parameters; output values come back into the parameters and by
// GetResultValue. 1 success, 0 failure. A binary parameter of size 0 is
// raised to 1 in the caller's parameter. Mode 0 keeps the result set as
// the current one, mode 1 drops it, any other mode runs nothing and gives 1.
DOVRIN_API int ExecuteSQL(const std::string& command, CommandTypeEnum type, int count, CSQLParam* params);
DOVRIN_API int ExecuteSQL(const std::string& command, CommandTypeEnum type, int count, CSQLParam* params,
                          int mode);
DOVRIN_API void DisConncetDb();
DOVRIN_API int GetDbConnectStatus();
DOVRIN_API int GetCurrentExeStatus();
// The current result set; null when there is none.
DOVRIN_API DbRecordsetPtr GetCurrentRecord();
// The value of the last command's parameter of that name; an empty value
// (and execution status 0) when there is no such parameter.
DOVRIN_API DbVariant GetResultValue(const std::string& name);
DOVRIN_API std::string CrackStrVariant(const DbVariant& value);
// The text of the last failure.
DOVRIN_API std::string GetDbLastError();
