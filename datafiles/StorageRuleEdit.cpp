// The storage-rule dialog's editing rules.
#include "datafiles/StorageRuleEdit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "model/AutoProjectName.h"
#include "platform/Text.h"

const char* const STORAGE_SPLIT_TOO_BIG = "文件最大不能超过2048M!";
const char* const STORAGE_SPLIT_TOO_SMALL = "文件分割值不能小于1!";
const char* const STORAGE_PREFIX_EMPTY = "前缀不能为空。";
const char* const STORAGE_PREFIX_INVALID = "前缀不能包含/\\:*?.<>|中的任意一个。";
const char* const STORAGE_NO_TRIGGER_CHANNEL = "请选择触发通道。";

namespace {

constexpr const char* kPrefixForbidden = "/\\:*?.<>|";

// Byte length of the first count characters of a UTF-8 text.
std::size_t Utf8Prefix(const std::string& text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t n = 0; n < count && pos < text.size(); ++n) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
            ++pos;
    }
    return pos;
}

std::size_t Utf8Length(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::uint8_t& PartFlag(StorageRuleSettings& rule, StorageNamePart part) {
    switch (part) {
    case kNameDate:
        return rule.bDataStoring;
    case kNameTime:
        return rule.bTimeStoring;
    default:
        return rule.bNumStoring;
    }
}

} // namespace

CStorageRuleEdit::CStorageRuleEdit(const StorageRuleSettings& rule) : m_rule(rule) {
    const int count = std::clamp<int>(m_rule.nFilePathCount, 0, MAX_STORAGE_PATH_COUNT);
    for (int i = 0; i < count; ++i) {
        std::string path = StoragePath(m_rule, i);
        if (!path.empty())
            m_items.push_back(std::move(path));
    }
    AddEmptyItemIfRoom();
}

void CStorageRuleEdit::ClickNamePart(StorageNamePart part, bool checked) {
    if (!checked) {
        int on = 0;
        for (StorageNamePart p : {kNameDate, kNameTime, kNameNumber})
            on += IsNamePartOn(p) ? 1 : 0;
        if (on <= 1 && IsNamePartOn(part))
            return; // at least one part stays on
        PartFlag(m_rule, part) = 0;
        return;
    }
    PartFlag(m_rule, part) = 1;
    if (part == kNameTime)
        m_rule.bNumStoring = 0;
    else if (part == kNameNumber)
        m_rule.bTimeStoring = 0;
}

bool CStorageRuleEdit::IsNamePartOn(StorageNamePart part) const {
    return PartFlag(const_cast<StorageRuleSettings&>(m_rule), part) != 0;
}

std::string CStorageRuleEdit::SetPrefixText(const std::string& text) {
    if (text.empty())
        return text;
    const std::string cut = text.substr(0, Utf8Prefix(text, STORAGE_RULE_PREFIX_LENGTH));
    CopyToField(m_rule.szProjectName, STORAGE_NAME_SIZE, cut);
    return cut == text ? text : StorageProjectName(m_rule);
}

void CStorageRuleEdit::SetNumberText(const std::string& text) {
    m_rule.iStartNum = std::atoi(text.c_str());
    m_rule.iNumDefaultLength = static_cast<std::int32_t>(Utf8Length(text));
}

std::string CStorageRuleEdit::NumberText() const {
    const int width = std::clamp<int>(m_rule.iNumDefaultLength, 0, 32);
    return platform::Format("%0*d", width, m_rule.iStartNum);
}

void CStorageRuleEdit::SetDateFormat(int index) {
    if (index >= 0)
        m_rule.iDataIndex = index;
}

void CStorageRuleEdit::SetTimeFormat(int index) {
    if (index >= 0)
        m_rule.iTimeIndex = index;
}

std::string CStorageRuleEdit::Example(const platform::LocalDateTime& t) const {
    return StorageProjectName(m_rule) + BuildAutoNameSuffix(m_rule, t);
}

std::string CStorageRuleEdit::SetSplitSizeText(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (m_rule.StoreType == STORE_BY_SIZE_MB && value > STORAGE_RULE_MAX_SPLIT_MB)
        return STORAGE_SPLIT_TOO_BIG;
    if (value < 1)
        return STORAGE_SPLIT_TOO_SMALL;
    if (value > 0x7fffffffL)
        return STORAGE_SPLIT_TOO_BIG;
    m_rule.StoreValue = static_cast<std::int32_t>(value);
    return std::string();
}

std::string CStorageRuleEdit::SetSplitUnit(int unit) {
    if (unit < STORE_BY_SIZE_MB || unit > STORE_BY_MINUTES)
        return std::string();
    if (unit == STORE_BY_SIZE_MB && m_rule.StoreValue > STORAGE_RULE_MAX_SPLIT_MB)
        return STORAGE_SPLIT_TOO_BIG;
    m_rule.StoreType = unit;
    return std::string();
}

void CStorageRuleEdit::AddEmptyItemIfRoom() {
    if (static_cast<int>(m_items.size()) < MAX_STORAGE_PATH_COUNT)
        m_items.emplace_back();
}

void CStorageRuleEdit::SelectItem(int index) {
    if (index < 0 || index >= static_cast<int>(m_items.size()))
        return;
    m_nCurrent = index;
    m_bEditing = false;
}

void CStorageRuleEdit::CommitEdit(const std::string& text) {
    m_bEditing = false;
    if (m_nCurrent < 0 || m_nCurrent >= static_cast<int>(m_items.size()))
        return;
    const std::string cut = text.substr(0, Utf8Prefix(text, STORAGE_RULE_ITEM_LENGTH));
    const bool last = m_nCurrent == static_cast<int>(m_items.size()) - 1;
    if (cut.empty()) {
        if (!last)
            m_items.erase(m_items.begin() + m_nCurrent);
        else
            m_items.back().clear();
        return;
    }
    m_items[m_nCurrent] = cut;
    if (last)
        AddEmptyItemIfRoom();
}

void CStorageRuleEdit::NewItem() {
    if (m_bEditing || static_cast<int>(m_items.size()) >= MAX_STORAGE_PATH_COUNT)
        return;
    if (!IsLastEmpty())
        m_items.emplace_back();
    m_nCurrent = static_cast<int>(m_items.size()) - 1;
}

void CStorageRuleEdit::DeleteItem() {
    if (m_bEditing || m_items.empty() || m_nCurrent < 0 || m_nCurrent >= static_cast<int>(m_items.size()))
        return;
    if (m_nCurrent == static_cast<int>(m_items.size()) - 1) {
        if (m_items.back().empty())
            return;
        m_items.back().clear();
    } else {
        m_items.erase(m_items.begin() + m_nCurrent);
    }
    m_nCurrent = std::max(m_nCurrent - 1, 0);
}

void CStorageRuleEdit::MoveUp() {
    const int last = static_cast<int>(m_items.size()) - 1;
    if (m_bEditing || m_nCurrent <= 0 || m_nCurrent > last || (m_nCurrent == last && IsLastEmpty()))
        return;
    std::swap(m_items[m_nCurrent], m_items[m_nCurrent - 1]);
    --m_nCurrent;
}

void CStorageRuleEdit::MoveDown() {
    const int last = static_cast<int>(m_items.size()) - 1;
    if (m_bEditing || m_nCurrent < 0 || m_nCurrent >= last || (m_nCurrent + 1 == last && IsLastEmpty()))
        return;
    std::swap(m_items[m_nCurrent], m_items[m_nCurrent + 1]);
    ++m_nCurrent;
}

std::string CStorageRuleEdit::Accept(bool triggerOn, int triggerChannel, const std::string& thresholdText) {
    if (m_rule.bAutoName) {
        const std::string prefix = StorageProjectName(m_rule);
        if (prefix.empty())
            return STORAGE_PREFIX_EMPTY;
        if (prefix.find_first_of(kPrefixForbidden) != std::string::npos)
            return STORAGE_PREFIX_INVALID;
    }
    if (triggerOn && triggerChannel < 0)
        return STORAGE_NO_TRIGGER_CHANNEL;
    if (m_rule.bAutoName) {
        const int count = static_cast<int>(m_items.size()) - (IsLastEmpty() ? 1 : 0);
        m_rule.nFilePathCount = count;
        std::memset(m_rule.szSavePath, 0, sizeof(m_rule.szSavePath));
        for (int i = 0; i < count; ++i)
            CopyToField(m_rule.szSavePath[i], STORAGE_PATH_SIZE, m_items[i]);
    }
    m_rule.bTrigSave = triggerOn ? 1 : 0;
    if (triggerChannel >= 0)
        m_rule.nTrigChan = triggerChannel;
    m_rule.fTrigValue = static_cast<float>(std::atof(thresholdText.c_str()));
    return std::string();
}
