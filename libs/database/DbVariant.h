// A value as the database functions hand it over: a type code with the
// numbering of the desktop's variant values (so the text rules keep their
// table) and the value itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using VARTYPE = uint16_t;

enum : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_PTR = 26,
    VT_SAFEARRAY = 27,
    VT_CARRAY = 28,
    VT_USERDEFINED = 29,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_FILETIME = 64,
    VT_BLOB = 65,
    VT_STREAM = 66,
    VT_STORAGE = 67,
    VT_STREAMED_OBJECT = 68,
    VT_STORED_OBJECT = 69,
    VT_BLOB_OBJECT = 70,
    VT_CF = 71,
    VT_CLSID = 72,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

struct DbVariant {
    VARTYPE vt = VT_EMPTY;
    int64_t intVal = 0;         // integers, booleans (-1 true), currency in 1/10000
    double dblVal = 0;          // floats; dates as days since 1899-12-30
    std::string strVal;         // VT_BSTR, UTF-8
    std::vector<uint8_t> bytes; // VT_ARRAY | VT_UI1

    static DbVariant Null() { return Typed(VT_NULL); }
    static DbVariant Int2(int16_t value) { return Int(VT_I2, value); }
    static DbVariant Int4(int32_t value) { return Int(VT_I4, value); }
    static DbVariant Int8(int64_t value) { return Int(VT_I8, value); }
    static DbVariant Byte(uint8_t value) { return Int(VT_UI1, value); }
    static DbVariant Bool(bool value) { return Int(VT_BOOL, value ? -1 : 0); }
    static DbVariant Real4(float value) { return Real(VT_R4, value); }
    static DbVariant Real8(double value) { return Real(VT_R8, value); }
    static DbVariant Date(double days) { return Real(VT_DATE, days); }
    static DbVariant Currency(int64_t tenThousandths) { return Int(VT_CY, tenThousandths); }
    static DbVariant Text(std::string text) {
        DbVariant v = Typed(VT_BSTR);
        v.strVal = std::move(text);
        return v;
    }
    static DbVariant Binary(std::vector<uint8_t> data) {
        DbVariant v = Typed(VT_ARRAY | VT_UI1);
        v.bytes = std::move(data);
        return v;
    }
    static DbVariant Typed(VARTYPE type) {
        DbVariant v;
        v.vt = type;
        return v;
    }

    bool operator==(const DbVariant&) const = default;

private:
    static DbVariant Int(VARTYPE type, int64_t value) {
        DbVariant v = Typed(type);
        v.intVal = value;
        return v;
    }
    static DbVariant Real(VARTYPE type, double value) {
        DbVariant v = Typed(type);
        v.dblVal = value;
        return v;
    }
};
