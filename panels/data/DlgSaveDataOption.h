// The modal save-as options dialog that every save-as of stored data runs:
// the user picks the channels or groups, the data range, the file layout and
// the optional columns, and the view takes the options record back after OK.
#pragma once

#include "datafiles/SaveDataOptions.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

// What the dialog lists, handed in by the main frame.
struct SaveOptionSources {
    struct Named {
        int nNumber = 0; // channel number, virtual channel n (1-based) or digital identifier
        std::string strName;
    };
    struct RosetteGroup {
        std::string strName;
        int nType = 0;
    };
    std::vector<int> measureChannels; // channels chosen for measurement
    std::vector<int> allChannels;     // every channel of the online cases
    std::vector<Named> virtualChannels;
    std::vector<Named> digitalChannels;
    std::vector<RosetteGroup> rosetteGroups;
    std::vector<std::string> residualGroups;
    int nStoredDataCount = 0;
    std::string strAppTitle;
    std::function<bool(int)> isChannelBalanced; // none: every channel counts as balanced
};

class CDlgSaveDataOption : public QDialog {
    Q_OBJECT
public:
    enum ExportKind { kText = 0, kSpreadsheet = 2, kMatlab = 3 };
    enum ItemKind { kPoints = 1, kRosetteGroups = 2, kDigitalChannels = 3, kResidualGroups = 4 };

    explicit CDlgSaveDataOption(const SaveOptionSources& sources, QWidget* parent = nullptr);

    void SetExportKind(int kind) { m_nExportKind = kind; }
    void SetItemKind(int kind) { m_nItemKind = kind; }
    void SetDisplayedPoints(const std::vector<int>& points) { m_displayedPoints = points; }
    void SetCursorMode(int mode) { m_nCursorMode = mode; }
    void SetPreselectedGroups(const std::vector<int>& groups) { m_preselectedGroups = groups; }
    void SetOptions(const SaveDataOptions& options) { m_options = options; }
    const SaveDataOptions& GetOptions() const { return m_options; }

    // Fills the lists and sets the controls from the record; exec() does it first.
    void OnInitDialog();
    int exec() override;

public slots:
    void accept() override;

private:
    void BuildControls();
    QListWidgetItem* AddItem(QListWidget* list, const QString& text, int kind, int number);
    void FillPointLists(int source);
    void FillGroupLists();
    void ApplyControlState();
    void MoveItems(QListWidget* from, QListWidget* to, bool all);
    void AfterMove();
    bool ChosenHoldsVirtual() const;
    bool ReadStep();
    bool CollectChosen();
    void Warn(const char* text) const;

    const SaveOptionSources& m_sources;
    SaveDataOptions m_options;
    int m_nExportKind = kText;
    int m_nItemKind = kPoints;
    int m_nCursorMode = 0;
    int m_nPointSource = 0;
    std::vector<int> m_displayedPoints;
    std::vector<int> m_preselectedGroups;
    bool m_bVirtualChosen = false;

    QRadioButton* m_pointSource[3] = {};
    QRadioButton* m_range[3] = {};
    QRadioButton* m_perFile = nullptr;
    QRadioButton* m_oneFile = nullptr;
    QCheckBox* m_relativeTime = nullptr;
    QCheckBox* m_absoluteTime = nullptr;
    QCheckBox* m_sampleStatus = nullptr;
    QCheckBox* m_channelMark = nullptr;
    QCheckBox* m_description = nullptr;
    QCheckBox* m_makeFolder = nullptr;
    QCheckBox* m_decimate = nullptr;
    QCheckBox* m_average = nullptr;
    QCheckBox* m_standardExcel = nullptr;
    QLineEdit* m_step = nullptr;
    QListWidget* m_available = nullptr;
    QListWidget* m_chosen = nullptr;
};
