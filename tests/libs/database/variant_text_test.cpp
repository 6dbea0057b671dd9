// Values as text, and parameters that copy their own bytes.
#include <gtest/gtest.h>

#include "libs/database/Dovrin.h"

namespace {

TEST(VariantTextTest, EachTypeAsText) {
    const struct {
        DbVariant value;
        const char* text;
    } cases[] = {
        {DbVariant(), "NULL"},
        {DbVariant::Null(), "NULL"},
        {DbVariant::Int2(-12), "-12"},
        {DbVariant::Int4(123456), "123456"},
        {DbVariant::Real4(1.5f), "1.500000e+00"},
        {DbVariant::Real8(-12.34567), "-1.234567e+01"},
        {DbVariant::Currency(12345600), "1234.56"},
        {DbVariant::Currency(-50000), "-5"},
        {DbVariant::Date(46001.5), "12 10 25"},
        {DbVariant::Text("桥梁 'x'"), "桥梁 'x'"},
        {DbVariant::Bool(true), "TRUE"},
        {DbVariant::Bool(false), "FALSE"},
        {DbVariant::Byte(10), "0x0A"},
        {DbVariant::Typed(VT_DISPATCH), "VT_DISPATCH"},
        {DbVariant::Typed(VT_I8), "VT_I8"},
        {DbVariant::Typed(VT_CLSID), "VT_CLSID"},
        {DbVariant::Typed(VT_DECIMAL), "Fish"},
        {DbVariant::Typed(99), "Fish"},
        {DbVariant::Binary({1, 2}), "Array of VT_UI1"},
        {DbVariant::Typed(VT_ARRAY | VT_BSTR), "Array of VT_BSTR"},
        {DbVariant::Typed(VT_BYREF | VT_I4), "Pointer to VT_I4"},
        {DbVariant::Typed(VT_BYREF | VT_EMPTY), "Pointer to VT_EMPTY"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CrackStrVariant(c.value), c.text) << "type " << c.value.vt;
    }
}

TEST(SqlParamTest, CopiesOwnTheirBytes) {
    unsigned char data[4] = {1, 2, 3, 4};
    CSQLParam original("blob", adBinary, adParamInput, 4, DbVariant(), data);
    data[0] = 9; // the parameter keeps a copy of its own
    CSQLParam copy(original);
    CSQLParam assigned;
    assigned = original;
    copy.m_pData[1] = 7;
    assigned.m_pData[2] = 8;
    EXPECT_EQ(original.m_pData, (std::vector<unsigned char>{1, 2, 3, 4}));
    EXPECT_EQ(copy.m_pData, (std::vector<unsigned char>{1, 7, 3, 4}));
    EXPECT_EQ(assigned.m_pData, (std::vector<unsigned char>{1, 2, 8, 4}));
    // A new value drops the old buffer; no data means none.
    original.Create("n", adInteger, adParamOutput, 4, DbVariant::Int4(5));
    EXPECT_TRUE(original.m_pData.empty());
    EXPECT_EQ(original.m_nDirection, adParamOutput);
}

} // namespace
