// Command parameters and result sets.
#include "libs/database/Dovrin.h"

CSQLParam::CSQLParam(const std::string& name, DataTypeEnum type, ParameterDirectionEnum direction, int size,
                     const DbVariant& value, const unsigned char* data) {
    Create(name, type, direction, size, value, data);
}

void CSQLParam::Create(const std::string& name, DataTypeEnum type, ParameterDirectionEnum direction, int size,
                       const DbVariant& value, const unsigned char* data) {
    m_strName = name;
    m_nType = type;
    m_nDirection = direction;
    m_nSize = size;
    m_vValue = value;
    m_pData.clear();
    if (size > 0 && data != nullptr) {
        m_pData.assign(data, data + size);
    }
}

int CDbRecordset::GetColumnIndex(const std::string& name) const {
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i] == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
