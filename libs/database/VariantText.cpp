// A value as text.
#include "libs/database/Dovrin.h"
#include "platform/Time.h"

#include <cinttypes>
#include <cstdio>

namespace {

const char* TypeName(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY:
        return "VT_EMPTY";
    case VT_NULL:
        return "VT_NULL";
    case VT_I2:
        return "VT_I2";
    case VT_I4:
        return "VT_I4";
    case VT_R4:
        return "VT_R4";
    case VT_R8:
        return "VT_R8";
    case VT_CY:
        return "VT_CY";
    case VT_DATE:
        return "VT_DATE";
    case VT_BSTR:
        return "VT_BSTR";
    case VT_BOOL:
        return "VT_BOOL";
    case VT_UI1:
        return "VT_UI1";
    case VT_DISPATCH:
        return "VT_DISPATCH";
    case VT_ERROR:
        return "VT_ERROR";
    case VT_VARIANT:
        return "VT_VARIANT";
    case VT_UNKNOWN:
        return "VT_UNKNOWN";
    case VT_I1:
        return "VT_I1";
    case VT_UI2:
        return "VT_UI2";
    case VT_UI4:
        return "VT_UI4";
    case VT_I8:
        return "VT_I8";
    case VT_UI8:
        return "VT_UI8";
    case VT_INT:
        return "VT_INT";
    case VT_UINT:
        return "VT_UINT";
    case VT_VOID:
        return "VT_VOID";
    case VT_HRESULT:
        return "VT_HRESULT";
    case VT_PTR:
        return "VT_PTR";
    case VT_SAFEARRAY:
        return "VT_SAFEARRAY";
    case VT_CARRAY:
        return "VT_CARRAY";
    case VT_USERDEFINED:
        return "VT_USERDEFINED";
    case VT_LPSTR:
        return "VT_LPSTR";
    case VT_LPWSTR:
        return "VT_LPWSTR";
    case VT_FILETIME:
        return "VT_FILETIME";
    case VT_BLOB:
        return "VT_BLOB";
    case VT_STREAM:
        return "VT_STREAM";
    case VT_STORAGE:
        return "VT_STORAGE";
    case VT_STREAMED_OBJECT:
        return "VT_STREAMED_OBJECT";
    case VT_STORED_OBJECT:
        return "VT_STORED_OBJECT";
    case VT_BLOB_OBJECT:
        return "VT_BLOB_OBJECT";
    case VT_CF:
        return "VT_CF";
    case VT_CLSID:
        return "VT_CLSID";
    default:
        return nullptr;
    }
}

template <typename... Args> std::string Format(const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Currency in ten-thousandths: up to four decimals, trailing zeros dropped.
std::string CurrencyText(int64_t value) {
    const bool negative = value < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string text = Format("%s%" PRIu64 ".%04u", negative ? "-" : "", magnitude / 10000,
                              static_cast<unsigned>(magnitude % 10000));
    while (text.back() == '0') {
        text.pop_back();
    }
    if (text.back() == '.') {
        text.pop_back();
    }
    return text;
}

std::string DateText(double date) {
    platform::LocalDateTime t;
    if (!platform::LocalFromOleDate(date, t)) {
        return "";
    }
    return Format("%02d %02d %02d", t.month, t.day, t.year % 100);
}

} // namespace

std::string CrackStrVariant(const DbVariant& value) {
    switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return "NULL";
    case VT_I2:
        return Format("%hd", static_cast<short>(value.intVal));
    case VT_I4:
        return Format("%d", static_cast<int>(value.intVal));
    case VT_R4:
    case VT_R8:
        return Format("%e", value.dblVal);
    case VT_CY:
        return CurrencyText(value.intVal);
    case VT_DATE:
        return DateText(value.dblVal);
    case VT_BSTR:
        return value.strVal;
    case VT_BOOL:
        return value.intVal != 0 ? "TRUE" : "FALSE";
    case VT_UI1:
        return Format("0x%02hX", static_cast<unsigned short>(value.intVal & 0xFF));
    default:
        break;
    }
    std::string prefix;
    VARTYPE base = value.vt;
    if ((base & VT_ARRAY) != 0) {
        prefix += "Array of ";
        base &= ~VT_ARRAY;
    }
    if ((base & VT_BYREF) != 0) {
        prefix += "Pointer to ";
        base &= ~VT_BYREF;
    }
    const char* name = TypeName(base);
    if (prefix.empty() && name != nullptr) {
        return name;
    }
    return prefix + (name != nullptr ? name : "Fish");
}
