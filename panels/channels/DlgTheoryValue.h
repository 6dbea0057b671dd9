// "理论值设置": the theory (expected) values of single channels or of all
// channels, and a description for every sample, edited in two grids and
// saved to or loaded from ".try" files.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "project/TheoryValueFile.h"

class CMSFlexGrid;
class QLineEdit;
class QListWidget;

class CDlgTheoryValue : public QDialog {
    Q_OBJECT
public:
    struct ChannelEntry {
        int nChannel = 0;
        std::string strDescription;
    };

    CDlgTheoryValue(const std::string& programFolder, QWidget* parent = nullptr);

    // The usable channels (shown and balanced), in the shown-channel order.
    void SetChannels(const std::vector<ChannelEntry>& channels) { m_Channels = channels; }
    void SetTheoryValues(const TheoryValueTable& table, const std::vector<std::string>& descriptions) {
        m_Table = table;
        m_Descriptions = descriptions;
    }
    const TheoryValueTable& GetTheoryValues() const { return m_Table; }
    const std::vector<std::string>& GetDescriptions() const { return m_Descriptions; }
    // The file dialogs; tests give their own.
    using FileChooser = std::function<bool(bool save, const std::string& filter, const std::string& title,
                                           const std::string& folder, std::string& path)>;
    FileChooser chooseFile;

    // TRUE when an entry with exactly that text is checked.
    bool IsChecked(const QString& text) const;
    // The entry text of a channel: "All" for -1, else "01-02-03[description]".
    QString EntryText(int channel) const;

    void OnInitDialog();
    int exec() override;
    void accept() override;
    // The list's selection notice (also for the entry already selected).
    void OnSelChange(int index);
    void OnSetTheoryValues();
    void OnSetDescriptions();
    void OnSave();
    void OnSaveAs();
    void OnOpenFile();

    QListWidget* List() const { return m_pList; }
    CMSFlexGrid* ValueGrid() const { return m_pValues; }
    CMSFlexGrid* DescriptionGrid() const { return m_pDescriptions; }
    QLineEdit* CountEdit() const { return m_pCount; }

private:
    int KeyOfEntry(int index) const;
    bool IsEntryChecked(int index) const;
    void ResetValueGrid();
    void ShowGroup(const std::vector<float>& values);
    std::vector<float> GridValues() const;
    void StoreCurrentGroup();
    void ShowDescriptions();
    void WriteFile(const std::string& path);
    void OpenEditor(CMSFlexGrid* grid, QLineEdit* editor);

    std::string m_strProgramFolder;
    std::vector<ChannelEntry> m_Channels;
    TheoryValueTable m_Table;
    std::vector<std::string> m_Descriptions;
    int m_nPrevIndex = -1;
    int m_nCurIndex = -1;
    bool m_bRowJustChanged = false;
    QListWidget* m_pList = nullptr;
    CMSFlexGrid* m_pValues = nullptr;
    CMSFlexGrid* m_pDescriptions = nullptr;
    QLineEdit* m_pCount = nullptr;
    QLineEdit* m_pValueEditor = nullptr;
    QLineEdit* m_pDescriptionEditor = nullptr;
};
