// The editing rules of the storage-rule dialog, without a window: the naming
// switches and the example name, the split size and unit, the list of
// storage directories with its empty last item, and the checks on OK.
#pragma once

#include <string>
#include <vector>

#include "model/StorageRule.h"
#include "platform/Time.h"

constexpr int STORAGE_RULE_PREFIX_LENGTH = 15;
constexpr int STORAGE_RULE_MAX_SPLIT_MB = 2048;
constexpr int STORAGE_RULE_ITEM_LENGTH = 64;

extern const char* const STORAGE_SPLIT_TOO_BIG;   // "文件最大不能超过2048M!"
extern const char* const STORAGE_SPLIT_TOO_SMALL; // a size below 1
extern const char* const STORAGE_PREFIX_EMPTY;
extern const char* const STORAGE_PREFIX_INVALID;
extern const char* const STORAGE_NO_TRIGGER_CHANNEL;

// The naming parts with a check each.
enum StorageNamePart { kNameDate = 0, kNameTime = 1, kNameNumber = 2 };

class CStorageRuleEdit {
public:
    explicit CStorageRuleEdit(const StorageRuleSettings& rule = StorageRuleSettings());

    const StorageRuleSettings& Rule() const { return m_rule; }

    // Naming. A click that would clear the last part checked is undone; time
    // and number exclude each other.
    void ClickNamePart(StorageNamePart part, bool checked);
    bool IsNamePartOn(StorageNamePart part) const;
    // Returns what the edit shows: an empty text keeps the stored prefix,
    // a longer one is cut to 15 characters.
    std::string SetPrefixText(const std::string& text);
    void SetNumberText(const std::string& text);
    // The start number as the number edit shows it ("%0*d" of the width).
    std::string NumberText() const;
    void SetDateFormat(int index);
    void SetTimeFormat(int index);
    // Prefix followed by the automatic suffix the rule builds at time t.
    std::string Example(const platform::LocalDateTime& t) const;

    void SetAutoName(bool on) { m_rule.bAutoName = on ? 1 : 0; }
    void SetSplitOn(bool on) { m_rule.bSetSave = on ? 1 : 0; }
    // Split size and unit: "" when taken, else the refusal; a refused value
    // leaves the stored one.
    std::string SetSplitSizeText(const std::string& text);
    std::string SetSplitUnit(int unit);

    // The directory list: the record's paths plus an empty last item while
    // there are fewer than 20.
    const std::vector<std::string>& Items() const { return m_items; }
    int Current() const { return m_nCurrent; }
    bool IsEditing() const { return m_bEditing; }
    void SelectItem(int index);
    void BeginEdit() { m_bEditing = true; }
    // The in-place editor's text replaces the current item (cut to 64 characters).
    void CommitEdit(const std::string& text);
    void NewItem();
    void DeleteItem();
    void MoveUp();
    void MoveDown();

    // The checks on OK; "" and the record complete when it may close.
    // triggerChannel is the chosen channel number, -1 when none is chosen.
    std::string Accept(bool triggerOn, int triggerChannel, const std::string& thresholdText);

private:
    bool IsLastEmpty() const { return !m_items.empty() && m_items.back().empty(); }
    void AddEmptyItemIfRoom();

    StorageRuleSettings m_rule;
    std::vector<std::string> m_items;
    int m_nCurrent = 0;
    bool m_bEditing = false;
};
