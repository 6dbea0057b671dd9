// What the rosette and residual-stress dialogs share: the project data the
// main frame hands in, the parameter file, the button row with its enabling
// while a computation runs, the result worker with its end message, export
// and import of the parameter file, and Enter moving the focus.
#pragma once

#include "platform/Message.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CMSFlexGrid;
class CResultWorker;
enum class GroupEditResult;
class IChannelTable;
class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
struct OnlineLayout;
struct ResultCalcSource;

// The texts that tell the two dialogs apart.
struct ResultGroupDialogTexts {
    const char* caption;
    const char* fileFilter;      // of the export and import file dialogs
    const char* fileExtension;   // added to an exported name that lacks it
    const char* defaultFileName; // the program folder's own parameter file
    const char* fullText;        // a 129th group
    const char* repeatedText;    // a channel serving two groups
};

class CResultGroupDialog : public QDialog, public platform::MessageTarget {
    Q_OBJECT
public:
    // (save, title, filter, start folder, out path): false when cancelled.
    using FileChooser =
        std::function<bool(bool, const std::string&, const std::string&, const std::string&, std::string&)>;

    ~CResultGroupDialog() override;

    void SetProjectInfo(const std::string& folder, const std::string& name, const std::string& programFolder,
                        int projectState);
    void SetChannelRange(int first, int last);
    void SetSampleCount(int count) { m_nSampleCount = count; }
    // The channel records, the channels the gauge combos offer (strain
    // channels among them) and the run's online units.
    void SetRunChannels(const IChannelTable* channels, std::vector<int> channelList,
                        const OnlineLayout& layout);
    // The project's parameter file; empty: the program folder's own copy.
    void SetParamFilePath(const std::string& path) { m_strParamFile = path; }
    void SetFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }

    void GetGroupCount(int& count) const { count = GroupCount(); }
    bool IsComputing() const;

    // Fills the controls; exec() does it first.
    virtual void OnInitDialog() = 0;
    int exec() override;

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;

public slots:
    void accept() override;
    void reject() override;

protected:
    CResultGroupDialog(const ResultGroupDialogTexts& texts, QWidget* parent);

    // Enter moves the focus on instead of closing the dialog.
    void keyPressEvent(QKeyEvent* event) override;

    // The buttons under the list, the computation button with its caption and id among them.
    QHBoxLayout* NewGroupButtons(const char* computeText, int computeId);
    // A combo per gauge: object name "id<id>".
    static QComboBox* NewGaugeCombo(int id, QWidget* parent);
    // Fills the gauge combos with the strain channels; false when one stays empty.
    bool FillGaugeCombos(const std::vector<QComboBox*>& combos);
    static int GaugeChannel(const QComboBox* combo);
    static void ShowGaugeChannel(QComboBox* combo, int channel);
    // Places an in-place editor over a cell of a grid and shows it.
    static void PlaceOver(CMSFlexGrid* grid, int row, int col, QWidget* editor);
    static void ShowGridRow(CMSFlexGrid* grid, int row, const std::vector<std::string>& texts);

    std::string ParamFilePath() const;
    const std::string& ProjectFolder() const { return m_strProjectFolder; }
    const IChannelTable& Channels() const;
    int LastChannel() const { return m_nLastChannel; }
    ResultCalcSource CalcSource() const;
    CResultWorker& Worker() { return *m_pWorker; }

    // Idle controls after "停止" or the worker's end; controls while it runs.
    void RestoreControls();
    void BeginComputing();
    // Starts a worker unless the run holds no sample; a refused start is reported.
    void StartComputing(const std::function<bool(CResultWorker&)>& start);
    // Modify and delete follow the selection.
    void EnableRowButtons(bool on);
    void SetAddEnabled(bool on);

    static void Inform(const std::string& text, unsigned icon);
    static bool AskYesNo(const std::string& text);

    // After an add, a change or an import: the list shows the table, the
    // outcome's message box (the full-table and repeated-channel texts).
    void FinishAdd(GroupEditResult result);
    void FinishModify(GroupEditResult result);
    void FinishImport();
    // The group-name editor over the name cell of the selected row.
    void EditName(CMSFlexGrid* grid, const std::string& name);
    void CommitName();

    virtual int GroupCount() const = 0;
    virtual void ShowRow(int index) = 0;
    virtual void ShowLists() = 0;
    virtual void RenameSelected(const std::string& name) = 0;
    virtual bool CanAdd() const = 0;
    virtual void OnAdd() = 0;
    virtual void OnModify() = 0;
    virtual void DeleteSelected() = 0;
    virtual void OnCompute() = 0;
    // The parameter file writer and reader; a false import changed nothing.
    virtual bool WriteGroups(const std::string& path) const = 0;
    virtual bool ImportGroups(const std::string& path) = 0;

    void SaveGroups() const { WriteGroups(ParamFilePath()); }
    int m_nSelectedRow = 0; // grid row of the selected group; 0: none

private:
    void OnDelete();
    void OnStop();
    void OnExport();
    void OnImport();
    bool ChooseFile(bool save, const char* title, std::string& path);
    void EndComputing();
    void Report(GroupEditResult result);

    const ResultGroupDialogTexts m_texts;
    std::string m_strProjectFolder, m_strProjectName, m_strProgramFolder, m_strParamFile;
    int m_nProjectState = 0;
    int m_nFirstChannel = 0, m_nLastChannel = 0;
    int m_nSampleCount = 0;
    const IChannelTable* m_pChannels = nullptr;
    std::vector<int> m_channelList;
    std::unique_ptr<OnlineLayout> m_pLayout;
    FileChooser m_fileChooser;
    std::unique_ptr<CResultWorker> m_pWorker;

    QLineEdit* m_pNameEditor = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pDelete = nullptr;
    QPushButton* m_pModify = nullptr;
    QPushButton* m_pExport = nullptr;
    QPushButton* m_pImport = nullptr;
    QPushButton* m_pCompute = nullptr;
    QPushButton* m_pStop = nullptr;
};
