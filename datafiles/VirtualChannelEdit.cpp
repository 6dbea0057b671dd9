// The virtual-channel dialog's editing rules.
#include "datafiles/VirtualChannelEdit.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

#include "datafiles/FormulaProgram.h"
#include "platform/Text.h"

const char* const VIRTUAL_TOO_MANY = "虚拟通道个数最大不能超过128个!\n增加虚拟通道失败!\n";
const char* const VIRTUAL_FORMULA_EMPTY = "运算公式为空!";
const char* const VIRTUAL_BRACKETS = "括号不匹配";
const char* const VIRTUAL_ROW_DELETED = "相应的虚拟通道已被删除!";
const char* const VIRTUAL_TAG_EMPTY = "通道描述不能为空!";
const char* const VIRTUAL_TAG_REPEATED = "通道描述不能重复!";

namespace {

constexpr std::size_t kFormulaOffset = 8;
constexpr std::size_t kFormulaSize = 1024;
constexpr std::size_t kTagOffset = 1032;
constexpr std::size_t kTagSize = 64;
constexpr std::size_t kTextOffset = 1096;
constexpr std::size_t kFlagOffset = 1112;
constexpr int kFirstVirtualNumber = 4095;

std::string Field(const VirtualChannelRecord& record, std::size_t offset, std::size_t size) {
    const char* at = reinterpret_cast<const char*>(record.bytes + offset);
    return std::string(at, strnlen(at, size));
}

void PutField(VirtualChannelRecord& record, std::size_t offset, std::size_t size, const std::string& text) {
    std::memcpy(record.bytes + offset, text.data(), std::min(text.size(), size - 1));
}

} // namespace

VirtualChannelRow RowOfRecord(const VirtualChannelRecord& record) {
    // The tag is GBK in the record, as the files and the other views keep it.
    return {Field(record, kFormulaOffset, kFormulaSize),
            platform::GbkToUtf8(Field(record, kTagOffset, kTagSize))};
}

VirtualChannelRecord RecordOfRow(const VirtualChannelRow& row, int n) {
    VirtualChannelRecord record{};
    const std::int32_t number = kFirstVirtualNumber + n;
    const float one = 1.0f;
    const std::int32_t flag = 1;
    std::memcpy(record.bytes, &number, sizeof(number));
    std::memcpy(record.bytes + 4, &one, sizeof(one));
    PutField(record, kFormulaOffset, kFormulaSize, row.strFormula);
    PutField(record, kTagOffset, kTagSize, platform::Utf8ToGbk(row.strTag));
    std::memcpy(record.bytes + kFlagOffset, &flag, sizeof(flag));
    (void)kTextOffset; // the text stays empty
    return record;
}

CVirtualChannelEdit::CVirtualChannelEdit(const std::vector<VirtualChannelRecord>& records, int count) {
    const int n =
        std::clamp(count, 0, std::min<int>(MAX_VIRTUAL_CHANNEL_COUNT, static_cast<int>(records.size())));
    for (int i = 0; i < n; ++i)
        m_rows.push_back(RowOfRecord(records[i]));
}

void CVirtualChannelEdit::SetRange(const FormulaChannelRange& range, const OnlineLayout* layout) {
    m_range = range;
    m_pLayout = layout;
}

std::string CVirtualChannelEdit::PrepareFormula(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

bool CVirtualChannelEdit::Check(const std::string& formula, std::string& message) const {
    message.clear();
    if (formula.empty()) {
        message = VIRTUAL_FORMULA_EMPTY;
        return false;
    }
    if (!CheckExpression(formula, m_range, message))
        return false;
    if (!CheckBrackets(formula)) {
        message = VIRTUAL_BRACKETS;
        return false;
    }
    if (m_pLayout != nullptr) {
        FormulaProgram program;
        switch (program.Compile(formula.c_str(), *m_pLayout)) {
        case FormulaProgram::Status::Ok:
            break;
        case FormulaProgram::Status::BadChannel:
            message = "通道选择错误";
            return false;
        case FormulaProgram::Status::Unbalanced:
            message = VIRTUAL_BRACKETS;
            return false;
        default:
            message = "表达式无法计算";
            return false;
        }
    }
    return true;
}

bool CVirtualChannelEdit::Add(const std::string& text, std::string& message) {
    if (Count() >= MAX_VIRTUAL_CHANNEL_COUNT) {
        message = VIRTUAL_TOO_MANY;
        return false;
    }
    const std::string formula = PrepareFormula(text);
    if (!Check(formula, message))
        return false;
    m_rows.push_back({formula, std::string()});
    m_nEdited = Count();
    return true;
}

bool CVirtualChannelEdit::Edit(const std::string& text, std::string& message) {
    const std::string formula = PrepareFormula(text);
    if (!Check(formula, message))
        return false;
    if (m_nEdited < 1 || m_nEdited > Count()) {
        message = VIRTUAL_ROW_DELETED;
        return false;
    }
    m_rows[m_nEdited - 1].strFormula = formula;
    return true;
}

bool CVirtualChannelEdit::SelectRow(int n, std::string& formula) {
    if (n < 1 || n > Count())
        return false;
    m_nEdited = n;
    formula = m_rows[n - 1].strFormula;
    return true;
}

bool CVirtualChannelEdit::DeleteEdited() {
    if (m_nEdited < 1 || m_nEdited > Count())
        return false;
    m_rows.erase(m_rows.begin() + (m_nEdited - 1));
    m_nEdited = Count() > 0 ? 1 : -1;
    return true;
}

void CVirtualChannelEdit::SetTag(int n, const std::string& tag) {
    if (n >= 1 && n <= Count())
        m_rows[n - 1].strTag = platform::CutToGbkLength(tag, VIRTUAL_TAG_LENGTH);
}

std::string CVirtualChannelEdit::CheckTags() const {
    std::set<std::string> seen;
    for (const VirtualChannelRow& row : m_rows) {
        if (row.strTag.empty())
            return VIRTUAL_TAG_EMPTY;
    }
    for (const VirtualChannelRow& row : m_rows) {
        if (!seen.insert(row.strTag).second)
            return VIRTUAL_TAG_REPEATED;
    }
    return std::string();
}

std::vector<VirtualChannelRecord> CVirtualChannelEdit::Records() const {
    std::vector<VirtualChannelRecord> records;
    for (int n = 1; n <= Count(); ++n)
        records.push_back(RecordOfRow(m_rows[n - 1], n));
    return records;
}

std::string CVirtualChannelEdit::KeyText(const std::string& key) {
    struct Key {
        const char* key;
        const char* text;
    };
    static const Key keys[] = {{"+", " + "},    {"-", " - "},       {"×", " * "},      {"÷", " / "},
                               {"x^y", " ^ "},  {"π", "3.1415926"}, {"sqrt", "sqrt("}, {"sin", "sin("},
                               {"cos", "cos("}, {"tan", "tan("},    {"cot", "cot("},   {"log", "log("}};
    for (const Key& k : keys)
        if (key == k.key)
            return k.text;
    if (key == "←" || key == "清空")
        return std::string();
    return key; // digits, ".", "(" and ")"
}

void CVirtualChannelEdit::ApplyKey(const std::string& key, std::string& text, int& start, int& length) {
    const int size = static_cast<int>(text.size());
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    if (key == "清空") {
        text.clear();
        start = length = 0;
        return;
    }
    if (key == "←") {
        if (length == 0 && start > 0) {
            --start;
            length = 1;
        }
        text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
        length = 0;
        return;
    }
    const std::string insert = KeyText(key);
    text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), insert);
    start += static_cast<int>(insert.size());
    length = 0;
}
