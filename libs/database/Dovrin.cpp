// The library's one connection and the commands run on it.
#include "libs/database/Dovrin.h"
#include "platform/Time.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// One bound parameter: its buffer lives until the command's outputs are read.
struct Bound {
    SQLSMALLINT direction = SQL_PARAM_INPUT;
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN columnSize = 0;
    SQLSMALLINT digits = 0;
    std::vector<unsigned char> buffer;
    SQLLEN indicator = 0;
};

struct DbState {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    int connectStatus = 0;
    int exeStatus = 0;
    DbRecordsetPtr current;
    std::vector<CSQLParam> lastParams; // the last command's parameters, outputs filled
    bool hasCommand = false;
    std::string lastError;
    int loginTimeout = 0;
    int queryTimeout = 0;
    // A command text that runs twice in a row is prepared and kept while it
    // repeats (a writer's inserts); freed on any failure and on disconnecting.
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    std::string preparedText;
    std::string lastText;
    std::vector<Bound> bound; // the statement's parameters as bound
};

DbState& State() {
    static DbState state;
    return state;
}

bool Ok(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// The diagnostic records of a handle, or the fallback when it has none.
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* fallback) {
    std::string text;
    SQLCHAR state[6];
    SQLCHAR message[1024];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT i = 1; handle != SQL_NULL_HANDLE; ++i) {
        if (!Ok(SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message, &length))) {
            break;
        }
        if (!text.empty()) {
            text += "\n";
        }
        text += reinterpret_cast<const char*>(message);
    }
    return text.empty() ? fallback : text;
}

void ReleaseStatement(DbState& s) {
    if (s.stmt != SQL_NULL_HSTMT) {
        SQLFreeHandle(SQL_HANDLE_STMT, s.stmt);
        s.stmt = SQL_NULL_HSTMT;
    }
    s.preparedText.clear();
    s.lastText.clear();
    s.bound.clear();
}

void ReleaseConnection(DbState& s) {
    ReleaseStatement(s);
    if (s.dbc != SQL_NULL_HDBC) {
        if (s.connectStatus != 0) {
            SQLDisconnect(s.dbc);
        }
        SQLFreeHandle(SQL_HANDLE_DBC, s.dbc);
        s.dbc = SQL_NULL_HDBC;
    }
    if (s.env != SQL_NULL_HENV) {
        SQLFreeHandle(SQL_HANDLE_ENV, s.env);
        s.env = SQL_NULL_HENV;
    }
    s.connectStatus = 0;
}

int Connect(const std::string& connectString) {
    DbState& s = State();
    if (s.dbc != SQL_NULL_HDBC) {
        s.lastError = "DB is already Initialization !";
        return 0;
    }
    if (!Ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &s.env)) ||
        !Ok(SQLSetEnvAttr(s.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)) ||
        !Ok(SQLAllocHandle(SQL_HANDLE_DBC, s.env, &s.dbc))) {
        s.lastError = "Create Instance Failed!";
        ReleaseConnection(s);
        return 0;
    }
    if (s.loginTimeout > 0) {
        SQLSetConnectAttr(s.dbc, SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(SQLULEN(s.loginTimeout)), 0);
        SQLSetConnectAttr(s.dbc, SQL_ATTR_CONNECTION_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(SQLULEN(s.loginTimeout)), 0);
    }
    std::string text = connectString;
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc =
        SQLDriverConnect(s.dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                         static_cast<SQLSMALLINT>(text.size()), nullptr, 0, &outLength, SQL_DRIVER_NOPROMPT);
    if (!Ok(rc)) {
        s.lastError = Diagnostics(SQL_HANDLE_DBC, s.dbc, "Connection failed");
        ReleaseConnection(s);
        return 0;
    }
    s.connectStatus = 1;
    s.lastError.clear();
    return 1;
}

// ---- parameters ------------------------------------------------------------

bool IsBinary(DataTypeEnum type) {
    return type == adBinary || type == adVarBinary || type == adLongVarBinary;
}

bool IsText(DataTypeEnum type) {
    switch (type) {
    case adBSTR:
    case adChar:
    case adWChar:
    case adVarChar:
    case adLongVarChar:
    case adVarWChar:
    case adLongVarWChar:
        return true;
    default:
        return false;
    }
}

bool IsDate(DataTypeEnum type) {
    return type == adDate || type == adDBDate || type == adDBTimeStamp;
}

int64_t AsInteger(const DbVariant& v) {
    switch (v.vt) {
    case VT_R4:
    case VT_R8:
    case VT_DATE:
        return static_cast<int64_t>(std::llround(v.dblVal));
    case VT_BSTR:
        return std::strtoll(v.strVal.c_str(), nullptr, 10);
    case VT_CY:
        return v.intVal / 10000;
    case VT_BOOL:
        return v.intVal != 0 ? 1 : 0;
    default:
        return v.intVal;
    }
}

double AsDouble(const DbVariant& v) {
    switch (v.vt) {
    case VT_R4:
    case VT_R8:
    case VT_DATE:
        return v.dblVal;
    case VT_BSTR:
        return std::strtod(v.strVal.c_str(), nullptr);
    case VT_CY:
        return static_cast<double>(v.intVal) / 10000.0;
    case VT_BOOL:
        return v.intVal != 0 ? 1 : 0;
    default:
        return static_cast<double>(v.intVal);
    }
}

std::string AsText(const DbVariant& v) {
    switch (v.vt) {
    case VT_BSTR:
        return v.strVal;
    case VT_EMPTY:
    case VT_NULL:
        return "";
    default:
        return CrackStrVariant(v);
    }
}

SQL_TIMESTAMP_STRUCT TimestampFromDate(double date) {
    platform::LocalDateTime t;
    platform::LocalFromOleDate(date, t);
    SQL_TIMESTAMP_STRUCT ts{};
    ts.year = static_cast<SQLSMALLINT>(t.year);
    ts.month = static_cast<SQLUSMALLINT>(t.month);
    ts.day = static_cast<SQLUSMALLINT>(t.day);
    ts.hour = static_cast<SQLUSMALLINT>(t.hour);
    ts.minute = static_cast<SQLUSMALLINT>(t.minute);
    ts.second = static_cast<SQLUSMALLINT>(t.second);
    ts.fraction = static_cast<SQLUINTEGER>(t.millisecond) * 1000000u;
    return ts;
}

double DateFromTimestamp(const SQL_TIMESTAMP_STRUCT& ts) {
    platform::LocalDateTime t;
    t.year = ts.year;
    t.month = ts.month;
    t.day = ts.day;
    t.hour = ts.hour;
    t.minute = ts.minute;
    t.second = ts.second;
    t.millisecond = static_cast<int>(ts.fraction / 1000000u);
    double date = 0;
    platform::OleDateFromLocal(t, date);
    return date;
}

template <typename T> void Store(Bound& b, const T& value) {
    b.buffer.resize(sizeof(T));
    std::memcpy(b.buffer.data(), &value, sizeof(T));
    b.indicator = sizeof(T);
}

template <typename T> T Load(const Bound& b) {
    T value{};
    std::memcpy(&value, b.buffer.data(), sizeof(T));
    return value;
}

Bound BindValue(CSQLParam& p) {
    Bound b;
    const DbVariant& v = p.m_vValue;
    const bool isNull = v.vt == VT_NULL || v.vt == VT_EMPTY;
    if (IsBinary(p.m_nType)) {
        // A size of 0 is raised to 1; the bytes sent are those given.
        std::vector<unsigned char> data = p.m_pData;
        if (p.m_nSize == 0) {
            p.m_nSize = 1;
        }
        b.cType = SQL_C_BINARY;
        b.sqlType = p.m_nType == adLongVarBinary ? SQL_LONGVARBINARY : SQL_VARBINARY;
        b.columnSize = static_cast<SQLULEN>(std::max<size_t>(data.size(), static_cast<size_t>(p.m_nSize)));
        b.indicator = static_cast<SQLLEN>(data.size());
        data.resize(b.columnSize);
        b.buffer = std::move(data);
        return b;
    }
    if (IsText(p.m_nType)) {
        const std::string text = AsText(v);
        b.cType = SQL_C_CHAR;
        b.sqlType = p.m_nType == adLongVarChar || p.m_nType == adLongVarWChar ? SQL_LONGVARCHAR : SQL_VARCHAR;
        b.columnSize = static_cast<SQLULEN>(
            std::max<size_t>({text.size(), static_cast<size_t>(std::max(p.m_nSize, 0)), 1}));
        b.buffer.assign(text.begin(), text.end());
        b.buffer.resize(b.columnSize + 1, 0);
        b.indicator = isNull ? SQL_NULL_DATA : static_cast<SQLLEN>(text.size());
        return b;
    }
    switch (p.m_nType) {
    case adSmallInt:
    case adTinyInt:
    case adUnsignedTinyInt:
        b.cType = SQL_C_SSHORT;
        b.sqlType = SQL_SMALLINT;
        Store(b, static_cast<SQLSMALLINT>(AsInteger(v)));
        break;
    case adInteger:
        b.cType = SQL_C_SLONG;
        b.sqlType = SQL_INTEGER;
        Store(b, static_cast<SQLINTEGER>(AsInteger(v)));
        break;
    case adBigInt:
        b.cType = SQL_C_SBIGINT;
        b.sqlType = SQL_BIGINT;
        Store(b, static_cast<SQLBIGINT>(AsInteger(v)));
        break;
    case adSingle:
        b.cType = SQL_C_FLOAT;
        b.sqlType = SQL_REAL;
        Store(b, static_cast<SQLREAL>(AsDouble(v)));
        break;
    case adBoolean:
        b.cType = SQL_C_BIT;
        b.sqlType = SQL_BIT;
        Store(b, static_cast<unsigned char>(AsInteger(v) != 0 ? 1 : 0));
        break;
    default:
        if (IsDate(p.m_nType)) {
            b.cType = SQL_C_TYPE_TIMESTAMP;
            b.sqlType = SQL_TYPE_TIMESTAMP;
            b.columnSize = 23;
            b.digits = 3;
            Store(b, TimestampFromDate(AsDouble(v)));
        } else {
            b.cType = SQL_C_DOUBLE;
            b.sqlType = SQL_DOUBLE;
            Store(b, static_cast<SQLDOUBLE>(AsDouble(v)));
        }
        break;
    }
    if (b.columnSize == 0) {
        b.columnSize = b.buffer.size();
    }
    if (isNull) {
        b.indicator = SQL_NULL_DATA;
    }
    return b;
}

SQLSMALLINT OdbcDirection(ParameterDirectionEnum direction) {
    switch (direction) {
    case adParamOutput:
    case adParamReturnValue:
        return SQL_PARAM_OUTPUT;
    case adParamInputOutput:
        return SQL_PARAM_INPUT_OUTPUT;
    default:
        return SQL_PARAM_INPUT;
    }
}

bool IsOutput(ParameterDirectionEnum direction) {
    return OdbcDirection(direction) != SQL_PARAM_INPUT;
}

DbVariant OutputValue(const CSQLParam& p, const Bound& b) {
    if (b.indicator == SQL_NULL_DATA) {
        return DbVariant::Null();
    }
    switch (b.cType) {
    case SQL_C_BINARY:
        return DbVariant::Binary(std::vector<uint8_t>(
            b.buffer.begin(), b.buffer.begin() + std::min<SQLLEN>(std::max<SQLLEN>(b.indicator, 0),
                                                                  static_cast<SQLLEN>(b.buffer.size()))));
    case SQL_C_CHAR: {
        const char* text = reinterpret_cast<const char*>(b.buffer.data());
        return DbVariant::Text(std::string(text, strnlen(text, b.buffer.size())));
    }
    case SQL_C_SSHORT:
        return DbVariant::Int2(Load<SQLSMALLINT>(b));
    case SQL_C_SLONG:
        return DbVariant::Int4(Load<SQLINTEGER>(b));
    case SQL_C_SBIGINT:
        return DbVariant::Int8(Load<SQLBIGINT>(b));
    case SQL_C_FLOAT:
        return DbVariant::Real4(Load<SQLREAL>(b));
    case SQL_C_BIT:
        return DbVariant::Bool(Load<unsigned char>(b) != 0);
    case SQL_C_TYPE_TIMESTAMP:
        return DbVariant::Date(DateFromTimestamp(Load<SQL_TIMESTAMP_STRUCT>(b)));
    default:
        return p.m_nType == adCurrency ? DbVariant::Currency(std::llround(Load<SQLDOUBLE>(b) * 10000.0))
                                       : DbVariant::Real8(Load<SQLDOUBLE>(b));
    }
}

// ---- result sets -----------------------------------------------------------

bool SameLayout(const std::vector<Bound>& bound, const std::vector<Bound>& fresh) {
    if (bound.size() != fresh.size()) {
        return false;
    }
    for (size_t i = 0; i < bound.size(); ++i) {
        const Bound& a = bound[i];
        const Bound& b = fresh[i];
        if (a.direction != b.direction || a.cType != b.cType || a.sqlType != b.sqlType ||
            a.columnSize != b.columnSize || a.digits != b.digits || a.buffer.size() != b.buffer.size()) {
            return false;
        }
    }
    return true;
}

// Reads a column's whole value in pieces; false for a NULL.
bool GetWhole(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, std::string& out) {
    out.clear();
    char piece[4096];
    bool any = false;
    while (true) {
        SQLLEN length = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, cType, piece, sizeof piece, &length);
        if (rc == SQL_NO_DATA) {
            break;
        }
        if (!Ok(rc)) {
            break;
        }
        if (length == SQL_NULL_DATA) {
            return false;
        }
        any = true;
        const size_t room = cType == SQL_C_CHAR ? sizeof piece - 1 : sizeof piece;
        const size_t got =
            length == SQL_NO_TOTAL || static_cast<size_t>(length) > room ? room : static_cast<size_t>(length);
        out.append(piece, got);
        if (rc == SQL_SUCCESS) {
            break;
        }
    }
    return any;
}

DbVariant ColumnValue(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT sqlType) {
    SQLLEN length = 0;
    switch (sqlType) {
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_TINYINT: {
        SQLBIGINT value = 0;
        if (!Ok(SQLGetData(stmt, column, SQL_C_SBIGINT, &value, sizeof value, &length)) ||
            length == SQL_NULL_DATA) {
            return DbVariant::Null();
        }
        switch (sqlType) {
        case SQL_SMALLINT:
            return DbVariant::Int2(static_cast<int16_t>(value));
        case SQL_INTEGER:
            return DbVariant::Int4(static_cast<int32_t>(value));
        case SQL_TINYINT:
            return DbVariant::Byte(static_cast<uint8_t>(value));
        default:
            return DbVariant::Int8(value);
        }
    }
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_NUMERIC:
    case SQL_DECIMAL: {
        SQLDOUBLE value = 0;
        if (!Ok(SQLGetData(stmt, column, SQL_C_DOUBLE, &value, sizeof value, &length)) ||
            length == SQL_NULL_DATA) {
            return DbVariant::Null();
        }
        return sqlType == SQL_REAL ? DbVariant::Real4(static_cast<float>(value)) : DbVariant::Real8(value);
    }
    case SQL_BIT: {
        unsigned char value = 0;
        if (!Ok(SQLGetData(stmt, column, SQL_C_BIT, &value, sizeof value, &length)) ||
            length == SQL_NULL_DATA) {
            return DbVariant::Null();
        }
        return DbVariant::Bool(value != 0);
    }
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT value{};
        if (!Ok(SQLGetData(stmt, column, SQL_C_TYPE_TIMESTAMP, &value, sizeof value, &length)) ||
            length == SQL_NULL_DATA) {
            return DbVariant::Null();
        }
        return DbVariant::Date(DateFromTimestamp(value));
    }
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: {
        std::string data;
        if (!GetWhole(stmt, column, SQL_C_BINARY, data)) {
            return DbVariant::Null();
        }
        return DbVariant::Binary(std::vector<uint8_t>(data.begin(), data.end()));
    }
    default: {
        std::string text;
        if (!GetWhole(stmt, column, SQL_C_CHAR, text)) {
            return DbVariant::Null();
        }
        return DbVariant::Text(std::move(text));
    }
    }
}

std::shared_ptr<CDbRecordset> FetchResultSet(SQLHSTMT stmt) {
    SQLSMALLINT columns = 0;
    if (!Ok(SQLNumResultCols(stmt, &columns)) || columns <= 0) {
        return nullptr;
    }
    auto set = std::make_shared<CDbRecordset>();
    std::vector<SQLSMALLINT> types(columns);
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        SQLCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeCol(stmt, c, name, sizeof name, &nameLength, &types[c - 1], &size, &digits, &nullable);
        set->m_columns.emplace_back(reinterpret_cast<const char*>(name));
    }
    while (Ok(SQLFetch(stmt))) {
        std::vector<DbVariant> row;
        row.reserve(columns);
        for (SQLUSMALLINT c = 1; c <= columns; ++c) {
            row.push_back(ColumnValue(stmt, c, types[c - 1]));
        }
        set->m_rows.push_back(std::move(row));
    }
    return set;
}

// The statement text the command type asks for: a procedure goes through
// ODBC's call escape, with a leading return value as "? =".
std::string CommandText(const std::string& command, CommandTypeEnum type, int count,
                        const CSQLParam* params) {
    if (type == adCmdTable) {
        return "select * from " + command;
    }
    if (type != adCmdStoredProc || (!command.empty() && command.front() == '{')) {
        return command;
    }
    const bool returns = count > 0 && params[0].m_nDirection == adParamReturnValue;
    std::string text = returns ? "{? = call " : "{call ";
    text += command;
    const int arguments = returns ? count - 1 : count;
    if (arguments > 0) {
        text += "(";
        for (int i = 0; i < arguments; ++i) {
            text += i == 0 ? "?" : ",?";
        }
        text += ")";
    }
    return text + "}";
}

int Fail(DbState& s, std::string text) {
    s.lastError = std::move(text);
    s.exeStatus = 0;
    return 0;
}

int Execute(const std::string& command, CommandTypeEnum type, int count, CSQLParam* params, bool keepResult) {
    DbState& s = State();
    if (s.connectStatus == 0) {
        return Fail(s, "db do not Initiate possibly");
    }
    s.lastParams.clear();
    s.hasCommand = true;
    if (count < 0 || (count > 0 && params == nullptr)) {
        return Fail(s, "Invalid parameter list");
    }
    std::string text = CommandText(command, type, count, params);
    const bool reuse = s.stmt != SQL_NULL_HSTMT && s.preparedText == text;
    const bool prepare = !reuse && s.lastText == text;
    s.lastText.clear();
    std::vector<Bound> fresh;
    fresh.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        fresh.push_back(BindValue(params[i]));
        fresh.back().direction = OdbcDirection(params[i].m_nDirection);
    }
    if (reuse) {
        SQLFreeStmt(s.stmt, SQL_CLOSE);
    } else {
        ReleaseStatement(s);
        if (!Ok(SQLAllocHandle(SQL_HANDLE_STMT, s.dbc, &s.stmt))) {
            s.stmt = SQL_NULL_HSTMT;
            return Fail(s, Diagnostics(SQL_HANDLE_DBC, s.dbc, "Cannot create the command"));
        }
    }
    const SQLHSTMT stmt = s.stmt;
    SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(s.queryTimeout)), 0);
    if (reuse && SameLayout(s.bound, fresh)) {
        // The prepared statement keeps its bindings: only the values change.
        for (size_t i = 0; i < fresh.size(); ++i) {
            std::copy(fresh[i].buffer.begin(), fresh[i].buffer.end(), s.bound[i].buffer.begin());
            s.bound[i].indicator = fresh[i].indicator;
        }
    } else {
        if (reuse) {
            SQLFreeStmt(stmt, SQL_RESET_PARAMS);
        }
        s.bound = std::move(fresh);
        for (size_t i = 0; i < s.bound.size(); ++i) {
            Bound& b = s.bound[i];
            const SQLRETURN rc = SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(i + 1), b.direction,
                                                  b.cType, b.sqlType, b.columnSize, b.digits, b.buffer.data(),
                                                  static_cast<SQLLEN>(b.buffer.size()), &b.indicator);
            if (!Ok(rc)) {
                const std::string error = Diagnostics(SQL_HANDLE_STMT, stmt, "Cannot bind a parameter");
                ReleaseStatement(s);
                return Fail(s, error);
            }
        }
    }
    SQLCHAR* const sql = reinterpret_cast<SQLCHAR*>(text.data());
    const auto length = static_cast<SQLINTEGER>(text.size());
    SQLRETURN rc = SQL_SUCCESS;
    if (prepare) {
        rc = SQLPrepare(stmt, sql, length);
        if (Ok(rc)) {
            s.preparedText = text;
            rc = SQLExecute(stmt);
        }
    } else {
        rc = reuse ? SQLExecute(stmt) : SQLExecDirect(stmt, sql, length);
    }
    if (!Ok(rc) && rc != SQL_NO_DATA) {
        const std::string error = Diagnostics(SQL_HANDLE_STMT, stmt, "The command failed");
        ReleaseStatement(s);
        return Fail(s, error);
    }
    std::shared_ptr<CDbRecordset> result = FetchResultSet(stmt);
    // Output values are there once every result has been read.
    while (Ok(SQLMoreResults(stmt))) {
    }
    const std::vector<Bound> outputs = s.bound;
    if (s.preparedText == text) {
        SQLFreeStmt(stmt, SQL_CLOSE);
    } else {
        ReleaseStatement(s);
    }
    s.lastText = text;
    for (int i = 0; i < count; ++i) {
        if (IsOutput(params[i].m_nDirection)) {
            params[i].m_vValue = OutputValue(params[i], outputs[static_cast<size_t>(i)]);
        }
        s.lastParams.push_back(params[i]);
    }
    if (keepResult) {
        s.current = std::move(result);
    }
    s.exeStatus = 1;
    s.lastError.clear();
    return 1;
}

} // namespace

int InitAndConnectDB2005(const std::string& server, const std::string& catalog, const std::string& user,
                         const std::string& password, const std::string& instance, int port,
                         const std::string& driver) {
    try {
        return Connect(DbConnectString2005(server, catalog, user, password, instance, port, driver));
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int InitAndConnectDB2000(const std::string& server, const std::string& catalog, const std::string& user,
                         const std::string& password, const std::string& driver) {
    try {
        return Connect(DbConnectString2000(server, catalog, user, password, driver));
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void SetDbTimeouts(int loginSeconds, int querySeconds) {
    State().loginTimeout = std::max(loginSeconds, 0);
    State().queryTimeout = std::max(querySeconds, 0);
}

int ExecuteSQL(const std::string& command, CommandTypeEnum type, int count, CSQLParam* params) {
    return ExecuteSQL(command, type, count, params, 0);
}

int ExecuteSQL(const std::string& command, CommandTypeEnum type, int count, CSQLParam* params, int mode) {
    if (mode != 0 && mode != 1) {
        return 1;
    }
    try {
        return Execute(command, type, count, params, mode == 0);
    } catch (const std::bad_alloc&) {
        return Fail(State(), "Out of memory");
    }
}

void DisConncetDb() {
    DbState& s = State();
    s.current.reset();
    s.lastParams.clear();
    s.hasCommand = false;
    ReleaseConnection(s);
}

int GetDbConnectStatus() {
    return State().connectStatus;
}

int GetCurrentExeStatus() {
    return State().exeStatus;
}

DbRecordsetPtr GetCurrentRecord() {
    return State().current;
}

DbVariant GetResultValue(const std::string& name) {
    DbState& s = State();
    for (const CSQLParam& p : s.lastParams) {
        if (p.m_strName == name) {
            return p.m_vValue;
        }
    }
    s.exeStatus = 0;
    s.lastError = s.hasCommand ? "No parameter " + name : "No command";
    return DbVariant();
}

std::string GetDbLastError() {
    return State().lastError;
}
