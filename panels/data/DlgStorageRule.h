// The storage-rule dialog ("规则设置"): automatic names, the storage
// directories, file splitting and trigger storage. The main frame hands in
// copies of its storage rule and sampling settings and takes the rule back
// after OK. Its rules live in CStorageRuleEdit.
#pragma once

#include "datafiles/StorageRuleEdit.h"
#include "model/SampleSettings.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class CDlgStorageRule : public QDialog {
    Q_OBJECT
public:
    explicit CDlgStorageRule(QWidget* parent = nullptr);

    void SetStorageRule(const StorageRuleSettings& rule);
    void SetSampleParams(const SampleSettings& settings) { m_sampleSettings = settings; }
    void GetStorageRule(StorageRuleSettings& rule) const { rule = m_edit.Rule(); }
    // The channels the trigger list offers (channels chosen for measurement).
    void SetTriggerChannels(const std::vector<int>& channels) { m_triggerChannels = channels; }

    // Sets the controls from the record; exec() does it first.
    void OnInitDialog();
    int exec() override;

public slots:
    void accept() override;

protected:
    // Enter and Escape do not close the dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void ShowExample();
    void ShowNameParts();
    void ShowList();
    void PlaceEditor();
    void CommitEditor();
    void Warn(const std::string& text);

    CStorageRuleEdit m_edit;
    SampleSettings m_sampleSettings;
    std::vector<int> m_triggerChannels;

    QLineEdit* m_pPrefix = nullptr;
    QCheckBox* m_pDate = nullptr;
    QComboBox* m_pDateFormat = nullptr;
    QCheckBox* m_pTime = nullptr;
    QComboBox* m_pTimeFormat = nullptr;
    QCheckBox* m_pNumber = nullptr;
    QLineEdit* m_pStartNumber = nullptr;
    QLabel* m_pExample = nullptr;
    QCheckBox* m_pAutoName = nullptr;
    QCheckBox* m_pSplit = nullptr;
    QLineEdit* m_pSplitSize = nullptr;
    QComboBox* m_pSplitUnit = nullptr;
    QListWidget* m_pList = nullptr;
    QLineEdit* m_pItemEditor = nullptr;
    QPushButton* m_pBrowse = nullptr;
    QCheckBox* m_pTrigger = nullptr;
    QComboBox* m_pTriggerChannel = nullptr;
    QLineEdit* m_pThreshold = nullptr;
};
