// The editing rules of the virtual-channel dialog, without a window: the
// rows of formulas and tags, adding, editing and deleting a formula with the
// checker's messages, the tags' checks on apply, and the keypad's texts.
#pragma once

#include <string>
#include <vector>

#include "datafiles/FormulaChecker.h"
#include "datafiles/OnlineLayout.h"
#include "model/VirtualChannelFile.h"

// Bytes of a tag in GBK, as its record field holds it.
constexpr int VIRTUAL_TAG_LENGTH = 63;

extern const char* const VIRTUAL_TOO_MANY;
extern const char* const VIRTUAL_FORMULA_EMPTY;
extern const char* const VIRTUAL_BRACKETS;
extern const char* const VIRTUAL_ROW_DELETED;
extern const char* const VIRTUAL_TAG_EMPTY;
extern const char* const VIRTUAL_TAG_REPEATED;

struct VirtualChannelRow {
    std::string strFormula;
    std::string strTag;
};

// Record fields the dialog reads and writes.
VirtualChannelRow RowOfRecord(const VirtualChannelRecord& record);
VirtualChannelRecord RecordOfRow(const VirtualChannelRow& row, int n);

class CVirtualChannelEdit {
public:
    CVirtualChannelEdit(const std::vector<VirtualChannelRecord>& records, int count);

    // The channels a formula may name; with a layout a formula that passes
    // the checker must also compile over it.
    void SetRange(const FormulaChannelRange& range, const OnlineLayout* layout = nullptr);

    const std::vector<VirtualChannelRow>& Rows() const { return m_rows; }
    int Count() const { return static_cast<int>(m_rows.size()); }
    int EditedRow() const { return m_nEdited; } // 1-based, -1 none

    // Lower case without blanks.
    static std::string PrepareFormula(const std::string& text);
    // Each gives false with the message to show ("" for none) when refused.
    bool Add(const std::string& text, std::string& message);
    bool Edit(const std::string& text, std::string& message);
    // The formula of row n (1-based), which becomes the edited row; false
    // outside 1..count.
    bool SelectRow(int n, std::string& formula);
    // Removes the edited row (after the user confirmed); false without one.
    bool DeleteEdited();
    // The tag cell edited in place, cut to 63 bytes.
    void SetTag(int n, const std::string& tag);
    // "" when every tag is set and none repeats.
    std::string CheckTags() const;
    std::vector<VirtualChannelRecord> Records() const;

    // Keypad: the text a key inserts ("" for ← and 清空).
    static std::string KeyText(const std::string& key);
    // Applies a key to text with the selection [start, start + length);
    // the caret ends in start.
    static void ApplyKey(const std::string& key, std::string& text, int& start, int& length);

private:
    bool Check(const std::string& formula, std::string& message) const;

    std::vector<VirtualChannelRow> m_rows;
    int m_nEdited = -1;
    FormulaChannelRange m_range;
    const OnlineLayout* m_pLayout = nullptr;
};
